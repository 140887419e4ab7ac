// 回数別出現分析: one row per total that occurs, ascending, built from the
// store's total groups.
#include "analysis/builders.h"
#include "analysistest.h"

using namespace AnalysisTest;

TEST(NumbersByCount, OneDrawGivesTheNeverDrawnRowFirst)
{
    const Sheet sheet = buildNumbersByCount(TestHistory::store({draw(1, {1, 2, 3, 4, 5, 6, 7})}));
    ASSERT_EQ(sheet.maxRows(), 3);
    EXPECT_EQ(sheet.maxCols(), 2);
    EXPECT_EQ(sheet.visibleRows(), 3);
    EXPECT_EQ(sheet.visibleCols(), 2);
    EXPECT_EQ(sheet.scrollBars(), ScrollBars::Horizontal);
    EXPECT_EQ(sheet.frozenRows(), 0);
    EXPECT_EQ(sheet.frozenCols(), 0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(1), 5.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(2), 20.0);
    EXPECT_EQ(sheet.activeCol(), 0);

    EXPECT_EQ(rowText(sheet, 1, 1, 2), "出 現|数 字");
    EXPECT_EQ(rowText(sheet, 2, 1, 2),
              "0回|8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,33,34,35,36,37,38,39,40,41,42,43");
    EXPECT_EQ(rowText(sheet, 3, 1, 2), "1回|1,2,3,4,5,6,7");

    EXPECT_EQ(sheet.cell(1, 1).back, Colours::LightPink);
    EXPECT_EQ(sheet.cell(2, 1).back, Colours::LightPink);
    EXPECT_EQ(sheet.cell(2, 1).hAlign, HAlign::Center);
    EXPECT_EQ(sheet.cell(1, 3).back, Colours::LightYellow);
    EXPECT_EQ(sheet.cell(1, 3).hAlign, HAlign::Center);
    EXPECT_EQ(sheet.cell(2, 3).fore, Colours::Blue);
    EXPECT_EQ(sheet.cell(2, 3).hAlign, HAlign::Left);
    EXPECT_EQ(sides(sheet.cell(2, 3)), "LRTB");
    EXPECT_TRUE(sheet.overflow());
}

TEST(NumbersByCount, GroupsByTotal)
{
    struct Case
    {
        const char *name;
        std::vector<DrawRecord> records;
        int rows;
        std::string firstDataRow;
    };
    std::vector<DrawRecord> everyNumber;
    for (int d = 0; d < 7; ++d) {
        const int b = d * 6;
        everyNumber.push_back(draw(d + 1, {b + 1, b + 2, b + 3, b + 4, b + 5, b + 6, 43}));
    }
    const std::vector<Case> cases = {
        {"incomplete records (Null and '') count nothing",
         {draw(1, {1, 2, 3, 4, 5, 6, 7}), withoutBonus(2, false), withoutBonus(3, true), draw(9, {1, 2, 3, 4, 5, 6, 7})}, 3, "0回|8,"},
        {"numbers with the same total share a row, comma without spaces",
         {draw(1, {1, 2, 3, 4, 5, 6, 7}), draw(2, {1, 2, 3, 4, 5, 6, 8})}, 4, "0回|9,10,11"},
        {"no never-drawn numbers: the first row is the lowest total", everyNumber, 3, "1回|1,2,3,"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Sheet sheet = buildNumbersByCount(TestHistory::store(c.records));
        EXPECT_EQ(sheet.maxRows(), c.rows);
        EXPECT_EQ(rowText(sheet, 2, 1, 2).substr(0, c.firstDataRow.size()), c.firstDataRow);
    }
    const Sheet twice = buildNumbersByCount(TestHistory::store(cases[1].records));
    EXPECT_EQ(rowText(twice, 3, 1, 2), "1回|7,8");
    EXPECT_EQ(rowText(twice, 4, 1, 2), "2回|1,2,3,4,5,6");
}

TEST(NumbersByCount, EmptyHistoryShowsAnEmptyTable)
{
    const Sheet sheet = buildNumbersByCount(TestHistory::store({}));
    EXPECT_EQ(sheet.maxRows(), 0);
    EXPECT_EQ(sheet.maxCols(), 2);
}
