#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Japanese line breaking for the windows' descriptions. A line may end
// between any two characters that the line-breaking rules allow: none starts
// with a closing mark (。、」）…), a small kana (ゃ, ッ …), the long-vowel
// mark or an iteration mark, none ends with an opening bracket, and a number
// or a Latin word stays whole. Where there is room, lines end only between
// phrases: after a run of hiragana that closes a phrase (過去の|当選番号の|
// 出現回数を …), after punctuation and at spaces, so that no word is split
// and no line holds the last kana of a verb ("分析しま/す") on its own.
namespace LineBreak {

enum class Break : unsigned char {
    None,      // the characters on either side stay on one line
    Character, // allowed by the rules, inside a phrase
    Phrase,    // between phrases: where a line is best ended
};

// For every index i of text (0 … size): whether a new line may begin at i.
// Indexes 0 and size are None.
std::vector<Break> opportunities(const QString &text);

// The text as lines no wider than width, measure giving a piece's width.
// Each line ends at the last phrase break that fits, or at the last
// character break where no phrase fits, or, where nothing fits at all, after
// as many characters as fit (at least one). Spaces at a line's end are
// dropped; a newline in the text ends a line.
QStringList wrap(const QString &text, double width, const std::function<double(const QString &)> &measure);

} // namespace LineBreak
