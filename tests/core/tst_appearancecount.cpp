// 出現回数分析: totals over earlier complete draws only, one row per complete
// draw, rows sized by the last draw number, caption bands and failures.
#include "analysis/builders.h"
#include "analysistest.h"

using namespace AnalysisTest;

namespace {

struct CountCase
{
    const char *name;
    std::vector<DrawRecord> records;
    int row;
    std::string expected; // columns 1 … 15
};

} // namespace

TEST(AppearanceCount, CaptionBandsAndGridOnAnEmptyHistory)
{
    const Sheet sheet = buildAppearanceCount(TestHistory::store({}));
    EXPECT_EQ(sheet.maxCols(), 15);
    EXPECT_EQ(sheet.maxRows(), 2);
    EXPECT_EQ(sheet.visibleRows(), 52);
    EXPECT_EQ(sheet.frozenRows(), 2);
    EXPECT_EQ(sheet.scrollBars(), ScrollBars::Vertical);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(1), 20.0);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(2), 12.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(15), 5.0);
    EXPECT_EQ(sheet.activeCol(), 0);
    EXPECT_EQ(sheet.activeRow(), 0);

    EXPECT_EQ(sheet.text(4, 1), QStringLiteral("       当 選 数 字"));
    EXPECT_EQ(sheet.cell(4, 1).hAlign, HAlign::Left);
    EXPECT_EQ(sheet.text(12, 1), QStringLiteral("前回までの出現回数合計(回)"));
    EXPECT_EQ(sheet.cell(12, 1).hAlign, HAlign::Center);
    EXPECT_TRUE(sheet.overflow());
    EXPECT_EQ(rowText(sheet, 2, 1, 15), "回数|第1数字|第2数字|第3数字|第4数字|第5数字|第6数字|ボ数字|"
                                        "第1数字|第2数字|第3数字|第4数字|第5数字|第6数字|ボ数字");

    EXPECT_EQ(sheet.cell(1, 1).fore, Colours::Red);
    EXPECT_EQ(sheet.cell(1, 2).back, Colours::LightYellow);
    for (int row = 1; row <= 2; ++row) {
        EXPECT_EQ(sheet.cell(2, row).fore, Colours::Blue);
        EXPECT_EQ(sheet.cell(8, row).back, Colours::LightCyan);
        EXPECT_EQ(sheet.cell(9, row).fore, Colours::Red);
        EXPECT_EQ(sheet.cell(15, row).back, Colours::LightGreen);
    }
    // Each band of row 1 has no inner lines and is closed on its right.
    EXPECT_EQ(sides(sheet.cell(2, 1)), "----");
    EXPECT_EQ(sides(sheet.cell(8, 1)), "-R--");
    EXPECT_EQ(sides(sheet.cell(9, 1)), "----");
    EXPECT_EQ(sides(sheet.cell(15, 1)), "-R--");
    EXPECT_EQ(sides(sheet.cell(1, 1)), "LRTB");
    EXPECT_EQ(sides(sheet.cell(9, 2)), "LRTB");
    EXPECT_EQ(sheet.cell(9, 2).left.colour, Sheet::DefaultBorderColour);
}

TEST(AppearanceCount, TotalsBeforeEachDraw)
{
    const std::vector<CountCase> cases = {
        {"first draw shows zeros", {draw(1, {5, 1, 9, 3, 20, 11, 43})}, 3,
         "1|5|1|9|3|20|11|43|0|0|0|0|0|0|0"},
        {"bonus of draw 1 counts for a main number of draw 2",
         {draw(1, {1, 2, 3, 4, 5, 6, 7}), draw(2, {7, 8, 9, 10, 11, 12, 1})}, 4,
         "2|7|8|9|10|11|12|1|1|0|0|0|0|0|1"},
        {"totals of one draw are read before any grows",
         {draw(1, {1, 2, 3, 4, 5, 6, 7}), draw(2, {1, 2, 3, 4, 5, 6, 1})}, 4,
         "2|1|2|3|4|5|6|1|1|1|1|1|1|1|1"},
        {"a Null record is not listed and does not count",
         {draw(1, {1, 2, 3, 4, 5, 6, 7}), withoutBonus(2, false), draw(3, {1, 2, 3, 4, 5, 6, 7})}, 4,
         "3|1|2|3|4|5|6|7|1|1|1|1|1|1|1"},
        {"an empty-string record is not listed either",
         {withoutBonus(1, true), draw(2, {40, 41, 42, 43, 1, 2, 3})}, 3,
         "2|40|41|42|43|1|2|3|0|0|0|0|0|0|0"},
        {"text numbers are shown as stored and counted by value",
         {draw(1, {QStringLiteral("07"), 2, 3, 4, 5, 6, 8}), draw(2, {7, 9, 10, 11, 12, 13, 14})}, 4,
         "2|7|9|10|11|12|13|14|1|0|0|0|0|0|0"},
    };
    for (const CountCase &c : cases) {
        SCOPED_TRACE(c.name);
        const Sheet sheet = buildAppearanceCount(TestHistory::store(c.records));
        EXPECT_EQ(rowText(sheet, c.row, 1, 15), c.expected);
    }
    const Sheet shown = buildAppearanceCount(TestHistory::store(cases[5].records));
    EXPECT_EQ(rowText(shown, 3, 1, 2), "1|07");
}

TEST(AppearanceCount, RowsFollowTheLastDrawNumber)
{
    // All complete: the last filled row is N + 2 and no row stays empty.
    const Sheet full = buildAppearanceCount(TestHistory::store(TestHistory::generated(30)));
    EXPECT_EQ(full.maxRows(), 32);
    EXPECT_EQ(full.text(1, 32), QStringLiteral("30"));

    // A gap in draw numbers and a trailing incomplete record leave rows at
    // the end empty, and the totals still add up over the listed draws.
    const Sheet gapped = buildAppearanceCount(TestHistory::store(
        {draw(1, {1, 2, 3, 4, 5, 6, 7}), draw(4, {1, 8, 9, 10, 11, 12, 13}),
         draw(5, {1, 14, 15, 16, 17, 18, 19}), withoutBonus(6, false)}));
    EXPECT_EQ(gapped.maxRows(), 7);
    EXPECT_EQ(rowText(gapped, 5, 1, 9), "5|1|14|15|16|17|18|19|2");
    EXPECT_TRUE(rowsEmpty(gapped, 6, 7));
    EXPECT_EQ(gapped.cell(1, 7).back, Colours::LightYellow);
}

TEST(AppearanceCount, OpeningTwiceShowsTheSameTotals)
{
    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(200));
    const Sheet first = buildAppearanceCount(store);
    const Sheet second = buildAppearanceCount(store);
    for (int row = 3; row <= 202; row += 37)
        EXPECT_EQ(rowText(first, row, 1, 15), rowText(second, row, 1, 15));
    EXPECT_EQ(rowText(first, 202, 1, 1), "200");
}

TEST(AppearanceCount, ValuesTheTablesCannotHoldStopTheBuild)
{
    const auto one = [](Field bonus) { return std::vector<DrawRecord>{draw(1, {1, 2, 3, 4, 5, 6, bonus})}; };
    expectFailure(&buildAppearanceCount, rawStore(one(-1), 1), RuntimeErrorKind::IndexOutOfRange);
    expectFailure(&buildAppearanceCount, rawStore(one(40000), 1), RuntimeErrorKind::Overflow);
    expectFailure(&buildAppearanceCount, rawStore(one(QStringLiteral("x")), 1), RuntimeErrorKind::TypeMismatch);
    expectFailure(&buildAppearanceCount, rawStore(one(7), 32766), RuntimeErrorKind::Overflow);
}
