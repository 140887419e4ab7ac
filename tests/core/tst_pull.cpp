// 引っ張り分析: marks on the numbers a draw shares with the draw listed before
// it, main and bonus alike, one row per complete draw.
#include "analysis/builders.h"
#include "analysistest.h"

using namespace AnalysisTest;

namespace {

// The marked columns 2 … 8 of a row, e.g. "2,8".
std::string marks(const Sheet &sheet, int row)
{
    std::string marked;
    for (int c = 2; c <= 8; ++c) {
        if (sheet.cell(c, row).back == Colours::LightCyan)
            marked += (marked.empty() ? "" : ",") + std::to_string(c);
    }
    return marked;
}

} // namespace

TEST(Pull, EmptyHistoryShowsTheCaptionRowOnly)
{
    const Sheet sheet = buildPull(TestHistory::store({}));
    ASSERT_EQ(sheet.maxRows(), 1);
    EXPECT_EQ(sheet.maxCols(), 8);
    EXPECT_EQ(sheet.visibleCols(), 8);
    EXPECT_EQ(sheet.visibleRows(), 51);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(1), 15.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(1), 7.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(8), 9.0);
    EXPECT_EQ(sheet.activeCol(), 0);
    EXPECT_EQ(rowText(sheet, 1, 1, 8), "回数|||        本 数 字         ||||ボーナス数字");
    EXPECT_EQ(sheet.cell(4, 1).hAlign, HAlign::Left);
    EXPECT_EQ(sheet.cell(8, 1).hAlign, HAlign::Center);
    for (int c = 1; c <= 8; ++c) {
        EXPECT_EQ(sheet.cell(c, 1).fore, Colours::Black);
        EXPECT_EQ(sheet.cell(c, 1).back, Colours::LightPink);
    }
    EXPECT_EQ(sides(sheet.cell(1, 1)), "LRTB");
    EXPECT_EQ(sides(sheet.cell(2, 1)), "---B");
    EXPECT_EQ(sides(sheet.cell(7, 1)), "---B");
    EXPECT_EQ(sides(sheet.cell(8, 1)), "LRTB");
    EXPECT_EQ(sheet.cell(5, 1).bottom.colour, Colours::LightBlue);
}

TEST(Pull, MarksNumbersOfThePreviousListedDraw)
{
    struct Case
    {
        const char *name;
        std::vector<DrawRecord> records;
        int row;
        std::string text;   // columns 1 … 8
        std::string marked; // marked columns
    };
    const std::vector<Case> cases = {
        {"the first listed draw has no marks", {draw(1, {1, 2, 3, 4, 5, 6, 7})}, 2, "1|1|2|3|4|5|6|7", ""},
        {"a bonus equal to a previous main number, a main number equal to the previous bonus",
         {draw(1, {1, 2, 3, 4, 5, 6, 7}), draw(2, {7, 10, 11, 12, 13, 14, 3})}, 3, "2|7|10|11|12|13|14|3", "2,8"},
        {"stored field order, marked where the number stands",
         {draw(1, {40, 2, 3, 4, 5, 6, 7}), draw(2, {43, 12, 40, 11, 2, 10, 20})}, 3, "2|43|12|40|11|2|10|20", "4,6"},
        {"a Null record is skipped: the next compares with the one before it",
         {draw(1, {1, 2, 3, 4, 5, 6, 7}), draw(2, {8, 9, 10, 11, 12, 13, 14}), withoutBonus(3, false),
          draw(4, {14, 15, 16, 17, 18, 19, 1})}, 4, "4|14|15|16|17|18|19|1", "2"},
        {"an empty-string record is skipped the same way",
         {draw(1, {1, 2, 3, 4, 5, 6, 7}), withoutBonus(2, true), draw(3, {30, 31, 32, 33, 34, 35, 1})}, 3,
         "3|30|31|32|33|34|35|1", "8"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Sheet sheet = buildPull(TestHistory::store(c.records));
        EXPECT_EQ(rowText(sheet, c.row, 1, 8), c.text);
        EXPECT_EQ(marks(sheet, c.row), c.marked);
    }
    // Draw 3 of the Null case took no row: row 4 is the last, draw 4 is on it.
    const Sheet skipped = buildPull(TestHistory::store(cases[3].records));
    EXPECT_EQ(skipped.maxRows(), 5);
    EXPECT_TRUE(rowsEmpty(skipped, 5, 5));
}

TEST(Pull, GapsLeaveRowsAtTheEnd)
{
    const Sheet sheet = buildPull(TestHistory::store(
        {draw(1, {1, 2, 3, 4, 5, 6, 7}), draw(5, {1, 8, 9, 10, 11, 12, 13})}));
    EXPECT_EQ(sheet.maxRows(), 6);
    EXPECT_EQ(rowText(sheet, 3, 1, 2), "5|1");
    EXPECT_EQ(marks(sheet, 3), "2");
    EXPECT_TRUE(rowsEmpty(sheet, 4, 6));
    EXPECT_EQ(sheet.cell(1, 6).back, Colours::LightYellow);
}

TEST(Pull, ValuesTheRowsCannotHoldStopTheBuild)
{
    expectFailure(&buildPull, rawStore({draw(1, {1, 2, 3, 4, 5, 6, 7})}, 32767), RuntimeErrorKind::Overflow);
    expectFailure(&buildPull, rawStore({draw(1, {1, 2, 3, QStringLiteral("x"), 5, 6, 7})}, 1),
                  RuntimeErrorKind::TypeMismatch);
}
