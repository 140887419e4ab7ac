// Japanese line breaking of the descriptions, measured in characters: lines
// end between phrases where they can, never before a closing mark or a small
// kana, never inside a number, and never leave one kana of a word alone.
#include "ui/linebreak.h"

#include <gtest/gtest.h>

namespace {

QStringList wrapped(const QString &text, double width)
{
    return LineBreak::wrap(text, width, [](const QString &piece) { return double(piece.size()); });
}

} // namespace

TEST(LineBreak, WrapsAtJapaneseLineBreakRules)
{
    struct Case
    {
        const char *name;
        QString text;
        double width;
        QStringList lines;
    };
    const Case cases[] = {
        {"between phrases, after their particles", QStringLiteral("過去の当選番号の出現回数を数字別に分析します"), 10,
         {QStringLiteral("過去の当選番号の"), QStringLiteral("出現回数を数字別に"), QStringLiteral("分析します")}},
        {"a number and its word stay together", QStringLiteral("過去の当選番号の１１グループに分類して分析します"), 12,
         {QStringLiteral("過去の当選番号の"), QStringLiteral("１１グループに分類して"), QStringLiteral("分析します")}},
        {"the last kana of a verb is not left alone", QStringLiteral("分析します"), 4,
         {QStringLiteral("分析"), QStringLiteral("します")}},
        {"no line starts with 。 or holds one kana", QStringLiteral("ああああ。"), 4,
         {QStringLiteral("ああ"), QStringLiteral("ああ。")}},
        {"a kana inside a word is no particle", QStringLiteral("何も書き込みません。"), 8,
         {QStringLiteral("何も"), QStringLiteral("書き込みません。")}},
        {"no break inside a number", QStringLiteral("第２１３０回まで"), 4,
         {QStringLiteral("第"), QStringLiteral("２１３０"), QStringLiteral("回まで")}},
        {"digits with a separator are one number", QStringLiteral("1,000円"), 5, {QStringLiteral("1,000"), QStringLiteral("円")}},
        {"no line ends with an opening bracket nor starts with ー", QStringLiteral("数字（ボーナス）"), 4,
         {QStringLiteral("数字"), QStringLiteral("（ボー"), QStringLiteral("ナス）")}},
        {"a space ends a line and is dropped", QStringLiteral("TSV ファイル"), 4, {QStringLiteral("TSV"), QStringLiteral("ファイル")}},
        {"a newline ends a line", QStringLiteral("一行目\n二行目"), 10, {QStringLiteral("一行目"), QStringLiteral("二行目")}},
        {"narrower than any piece: as much as fits", QStringLiteral("あいうえ"), 1,
         {QStringLiteral("あ"), QStringLiteral("い"), QStringLiteral("う"), QStringLiteral("え")}},
        {"what fits stays one line", QStringLiteral("過去の当選番号"), 7, {QStringLiteral("過去の当選番号")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(wrapped(c.text, c.width), c.lines);
    }
}

TEST(LineBreak, OpportunitiesByKind)
{
    using LineBreak::Break;
    // 過去の|当選: a phrase ends after の; 当|選: inside the word; 選|。: never.
    const std::vector<Break> breaks = LineBreak::opportunities(QStringLiteral("過去の当選。"));
    EXPECT_EQ(breaks, (std::vector<Break>{Break::None, Break::Character, Break::Character, Break::Phrase, Break::Character,
                                          Break::None, Break::None}));
}
