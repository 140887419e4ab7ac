#include "ui/linebreak.h"

namespace LineBreak {

namespace {

// Marks that never begin a line: closing brackets and punctuation, small
// kana, the long-vowel mark, iteration marks and the wave dash.
const QString NoStart = QStringLiteral("、。，．・：；？！）」』】〕〉》］｝〙〗’”)]},.:;?!%％ー々ゝゞヽヾ〻〜～"
                                       "ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶｧｨｩｪｫｬｭｮｯｰ｡､｣");
// Marks that never end a line: opening brackets.
const QString NoEnd = QStringLiteral("（「『【〔〈《［｛〘〖‘“([{｢");
// Marks after which a phrase ends.
const QString PhraseEnd = QStringLiteral("、。，．！？）」』】〕〉》］｝!?)]}");
// One-kana particles: after a kanji they close a phrase (過去の, 数字を);
// any other single kana there is part of the word (書き込み).
const QString Particles = QStringLiteral("のをにがはへとでもやか");

enum class Kind { Space, Hiragana, Katakana, Kanji, Digit, Latin, Other };

Kind kindOf(QChar c)
{
    const char16_t u = c.unicode();
    if (c.isSpace())
        return Kind::Space;
    if (u >= 0x3041 && u <= 0x309F)
        return Kind::Hiragana;
    if ((u >= 0x30A0 && u <= 0x30FF) || (u >= 0x31F0 && u <= 0x31FF) || (u >= 0xFF66 && u <= 0xFF9F))
        return Kind::Katakana;
    if ((u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF) || u == 0x3005 || (u >= 0xF900 && u <= 0xFAFF))
        return Kind::Kanji;
    if ((u >= '0' && u <= '9') || (u >= 0xFF10 && u <= 0xFF19))
        return Kind::Digit;
    if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= 0xFF21 && u <= 0xFF3A) || (u >= 0xFF41 && u <= 0xFF5A))
        return Kind::Latin;
    return Kind::Other;
}

bool isKana(Kind kind)
{
    return kind == Kind::Hiragana || kind == Kind::Katakana;
}

// "1,000" and "7.5" are one number.
bool insideNumber(const QString &text, qsizetype i)
{
    const Kind before = kindOf(text[i - 1]);
    const Kind after = kindOf(text[i]);
    if (before == Kind::Digit && after == Kind::Digit)
        return true;
    const QString separators = QStringLiteral(",.，．");
    if (before == Kind::Digit && separators.contains(text[i]) && i + 1 < text.size() && kindOf(text[i + 1]) == Kind::Digit)
        return true;
    return separators.contains(text[i - 1]) && after == Kind::Digit && i >= 2 && kindOf(text[i - 2]) == Kind::Digit;
}

bool insideWord(Kind before, Kind after)
{
    const auto alnum = [](Kind k) { return k == Kind::Latin || k == Kind::Digit; };
    return alnum(before) && alnum(after) && (before == Kind::Latin || after == Kind::Latin);
}

// A break inside a run of kana that would leave one of its characters alone
// on either line.
bool splitsOffOneKana(const QString &text, qsizetype i)
{
    const Kind before = kindOf(text[i - 1]);
    const Kind after = kindOf(text[i]);
    if (!isKana(before) || before != after)
        return false;
    const bool lastOfRun = i + 1 >= text.size() || kindOf(text[i + 1]) != after || NoStart.contains(text[i + 1]);
    const bool firstOfRun = i < 2 || kindOf(text[i - 2]) != before;
    return lastOfRun || firstOfRun;
}

Break characterBreak(const QString &text, qsizetype i)
{
    const QChar before = text[i - 1];
    const QChar after = text[i];
    if (after.isSpace() || NoStart.contains(after) || NoEnd.contains(before))
        return Break::None;
    if (insideNumber(text, i) || insideWord(kindOf(before), kindOf(after)) || splitsOffOneKana(text, i))
        return Break::None;
    return Break::Character;
}

bool endsPhrase(const QString &text, qsizetype i)
{
    const QChar before = text[i - 1];
    const Kind afterKind = kindOf(text[i]);
    if (before.isSpace() || PhraseEnd.contains(before) || NoEnd.contains(text[i]))
        return true;
    if (kindOf(before) != Kind::Hiragana || afterKind == Kind::Hiragana)
        return false;
    // A run of hiragana before a word: a particle or an ending closes the
    // phrase, unless it is a single kana inside a word (書き込み).
    qsizetype start = i - 1;
    while (start > 0 && kindOf(text[start - 1]) == Kind::Hiragana)
        --start;
    const bool single = i - start == 1;
    const bool afterKanji = start > 0 && kindOf(text[start - 1]) == Kind::Kanji;
    return !single || !afterKanji || Particles.contains(before);
}

QString trimmedEnd(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].isSpace())
        --end;
    return text.left(end);
}

} // namespace

std::vector<Break> opportunities(const QString &text)
{
    std::vector<Break> result(size_t(text.size()) + 1, Break::None);
    for (qsizetype i = 1; i < text.size(); ++i) {
        const Break rule = characterBreak(text, i);
        if (rule != Break::None)
            result[size_t(i)] = endsPhrase(text, i) ? Break::Phrase : Break::Character;
    }
    return result;
}

QStringList wrap(const QString &text, double width, const std::function<double(const QString &)> &measure)
{
    QStringList lines;
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    for (const QString &paragraph : paragraphs) {
        const std::vector<Break> breaks = opportunities(paragraph);
        qsizetype start = 0;
        if (paragraph.isEmpty())
            lines << QString();
        while (start < paragraph.size()) {
            const QString rest = paragraph.mid(start);
            if (measure(trimmedEnd(rest)) <= width) {
                lines << trimmedEnd(rest);
                break;
            }
            // The farthest break of the best kind that still fits.
            auto farthest = [&](Break wanted) {
                qsizetype best = -1;
                for (qsizetype i = start + 1; i < paragraph.size(); ++i) {
                    const bool allowed = wanted == Break::None || breaks[size_t(i)] >= wanted;
                    if (!allowed)
                        continue;
                    if (measure(trimmedEnd(paragraph.mid(start, i - start))) > width)
                        break;
                    best = i;
                }
                return best;
            };
            qsizetype end = farthest(Break::Phrase);
            if (end < 0)
                end = farthest(Break::Character);
            if (end < 0)
                end = std::max(farthest(Break::None), start + 1);
            lines << trimmedEnd(paragraph.mid(start, end - start));
            start = end;
            while (start < paragraph.size() && paragraph[start].isSpace())
                ++start;
        }
    }
    return lines;
}

} // namespace LineBreak
