// 出現間隔分析: intervals by draw number to the nearest earlier draw holding
// the number, the shared caption pairs at top and foot, and the seen-numbers
// table that now covers the whole history.
#include "analysis/builders.h"
#include "analysistest.h"

using namespace AnalysisTest;

namespace {

// Columns 1 … 15 of the row: 回数, then number and interval per position.
struct IntervalCase
{
    const char *name;
    std::vector<DrawRecord> records;
    int row;
    std::string expected;
};

} // namespace

TEST(AppearanceInterval, CaptionPairsAtTopAndFoot)
{
    const Sheet sheet = buildAppearanceInterval(TestHistory::store({draw(1, {1, 2, 3, 4, 5, 6, 7})}));
    ASSERT_EQ(sheet.maxRows(), 5);
    EXPECT_EQ(sheet.maxCols(), 15);
    EXPECT_EQ(sheet.visibleRows(), 52);
    EXPECT_EQ(sheet.visibleCols(), 15);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(1), 15.0);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(2), 12.0);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(4), 10.0);
    EXPECT_EQ(sheet.activeCol(), 0);

    const std::string titles = "回数|第1数字|出現|第2数字|出現|第3数字|出現|第4数字|出現|第5数字|出現|第6数字|出現|ボ数字|出現";
    // Top: band row 1, title row 2. Foot (mirror): title row 4, band row 5.
    for (int band : {1, 5}) {
        SCOPED_TRACE(band);
        EXPECT_EQ(sheet.text(7, band), QStringLiteral("    当 選 数 字     "));
        EXPECT_EQ(sheet.text(14, band), QStringLiteral("　　　ボ数字   "));
        EXPECT_EQ(sheet.cell(7, band).hAlign, HAlign::Left);
        EXPECT_EQ(sheet.cell(14, band).hAlign, HAlign::Left);
        EXPECT_EQ(sides(sheet.cell(2, band)), "L-TB");
        EXPECT_EQ(sides(sheet.cell(7, band)), "--TB");
        EXPECT_EQ(sides(sheet.cell(13, band)), "--TB");
        EXPECT_EQ(sides(sheet.cell(14, band)), "L-TB");
        EXPECT_EQ(sides(sheet.cell(15, band)), "-RTB");
        EXPECT_EQ(sides(sheet.cell(1, band)), "LRTB");
    }
    EXPECT_EQ(rowText(sheet, 2, 1, 15), titles);
    EXPECT_EQ(rowText(sheet, 4, 1, 15), titles);
    EXPECT_EQ(sides(sheet.cell(3, 4)), "LRTB");

    for (int row : {1, 2, 4, 5}) {
        EXPECT_EQ(sheet.cell(2, row).back, Colours::LightPink);
        EXPECT_EQ(sheet.cell(15, row).fore, Colours::Black);
        EXPECT_EQ(sheet.cell(1, row).fore, Colours::Red);
        EXPECT_EQ(sheet.cell(1, row).back, Colours::LightYellow);
    }
    EXPECT_EQ(sheet.cell(2, 3).back, Colours::LightCyan);
    EXPECT_EQ(sheet.cell(14, 3).back, Colours::LightCyan);
    EXPECT_EQ(sheet.cell(3, 3).back, Colours::White);
}

TEST(AppearanceInterval, IntervalsByDrawNumber)
{
    const std::vector<IntervalCase> cases = {
        {"first complete draw is all 初回", {draw(1, {9, 3, 20, 1, 43, 11, 5})}, 3,
         "1|9|初回|3|初回|20|初回|1|初回|43|初回|11|初回|5|初回"},
        {"last draw's bonus is 1回前 wherever it stands now",
         {draw(1, {1, 2, 3, 4, 5, 6, 7}), draw(2, {7, 8, 9, 10, 11, 12, 13})}, 4,
         "2|7|1回前|8|初回|9|初回|10|初回|11|初回|12|初回|13|初回"},
        {"the nearest earlier draw counts",
         {draw(1, {1, 2, 3, 4, 5, 6, 7}), draw(2, {8, 9, 10, 11, 12, 13, 14}),
          draw(3, {15, 16, 17, 18, 19, 20, 1}), draw(4, {1, 2, 21, 22, 23, 24, 9})}, 6,
         "4|1|1回前|2|3回前|21|初回|22|初回|23|初回|24|初回|9|2回前"},
        {"a Null record leaves an empty row; the gap counts in draw numbers",
         {draw(1, {1, 2, 3, 4, 5, 6, 7}), withoutBonus(2, false), draw(3, {1, 8, 9, 10, 11, 12, 13})}, 5,
         "3|1|2回前|8|初回|9|初回|10|初回|11|初回|12|初回|13|初回"},
        {"an empty-string record too", {withoutBonus(1, true), draw(2, {1, 2, 3, 4, 5, 6, 7})}, 4,
         "2|1|初回|2|初回|3|初回|4|初回|5|初回|6|初回|7|初回"},
        {"missing draw numbers count as draws",
         {draw(1, {1, 2, 3, 4, 5, 6, 7}), draw(5, {7, 6, 8, 9, 10, 11, 12})}, 4,
         "5|7|4回前|6|4回前|8|初回|9|初回|10|初回|11|初回|12|初回"},
    };
    for (const IntervalCase &c : cases) {
        SCOPED_TRACE(c.name);
        const Sheet sheet = buildAppearanceInterval(TestHistory::store(c.records));
        EXPECT_EQ(rowText(sheet, c.row, 1, 15), c.expected);
    }
    // The incomplete record's row stays empty but keeps its colours and borders.
    const Sheet gap = buildAppearanceInterval(TestHistory::store(cases[3].records));
    EXPECT_TRUE(rowsEmpty(gap, 4, 4));
    EXPECT_EQ(gap.cell(2, 4).back, Colours::LightCyan);
    EXPECT_EQ(sides(gap.cell(2, 4)), "LRTB");
}

TEST(AppearanceInterval, ARecordOnTheFootRowsOverwritesThem)
{
    // A record without a draw number comes first in draw-number order, so
    // draws 1 and 2 land on rows 4 and 5: row 5 is the foot title row.
    DrawRecord noDrawNo = draw(0, {1, 2, 3, 4, 5, 6, 7});
    noDrawNo.drawNo = Field::null();
    noDrawNo.numbers[0] = Field::null();
    const Sheet sheet = buildAppearanceInterval(TestHistory::store(
        {noDrawNo, draw(1, {1, 2, 3, 4, 5, 6, 7}), draw(2, {1, 8, 9, 10, 11, 12, 13})}));
    ASSERT_EQ(sheet.maxRows(), 6);
    EXPECT_EQ(rowText(sheet, 5, 1, 3), "2|1|1回前");
    EXPECT_EQ(sheet.cell(2, 5).back, Colours::LightPink); // the caption's colours stay
    EXPECT_EQ(sheet.text(14, 6), QStringLiteral("　　　ボ数字   "));

    // An incomplete record on the foot title row writes nothing.
    const Sheet kept = buildAppearanceInterval(TestHistory::store(
        {draw(1, {1, 2, 3, 4, 5, 6, 7}), withoutBonus(2, false)}));
    ASSERT_EQ(kept.maxRows(), 5);
    EXPECT_EQ(rowText(kept, 4, 1, 2), "回数|第1数字");
}

TEST(AppearanceInterval, HistoriesBeyondDraw5000)
{
    // The seen-numbers table covers every draw number of the history.
    const Sheet sheet = buildAppearanceInterval(TestHistory::store(
        {draw(4999, {1, 2, 3, 4, 5, 6, 7}), draw(5001, {1, 8, 9, 10, 11, 12, 13}),
         draw(6000, {8, 1, 14, 15, 16, 17, 18})}));
    EXPECT_EQ(sheet.maxRows(), 6004);
    EXPECT_EQ(rowText(sheet, 4, 1, 3), "5001|1|2回前");
    EXPECT_EQ(rowText(sheet, 5, 1, 5), "6000|8|999回前|1|999回前");

    const DrawHistoryStore generated = TestHistory::store(TestHistory::generated(5200));
    const Sheet longHistory = buildAppearanceInterval(generated);
    EXPECT_EQ(longHistory.text(1, 5202), QStringLiteral("5200"));
    EXPECT_TRUE(longHistory.text(3, 5202).endsWith(QStringLiteral("回前")));
}

TEST(AppearanceInterval, ValuesTheTablesCannotHoldStopTheBuild)
{
    expectFailure(&buildAppearanceInterval, rawStore({draw(-1, {1, 2, 3, 4, 5, 6, 7})}, 1),
                  RuntimeErrorKind::IndexOutOfRange);
    expectFailure(&buildAppearanceInterval, rawStore({draw(1, {1, 2, 3, 4, 5, 6, QStringLiteral("x")})}, 1),
                  RuntimeErrorKind::TypeMismatch);
    expectFailure(&buildAppearanceInterval, rawStore({draw(1, {1, 2, 3, 4, 5, 6, 7})}, 32764),
                  RuntimeErrorKind::Overflow);
}
