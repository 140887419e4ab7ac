// 分割5傾向分析: decade-group colours and counts per draw, the caption rows at
// both ends, and the rows incomplete records leave.
#include "analysis/builders.h"
#include "support/cellexpect.h"
#include "support/history.h"

#include <gtest/gtest.h>

using TestHistory::draw;

namespace {

constexpr Colour G5 = rgb(255, 200, 255);
constexpr Colour CountCaption = rgb(200, 200, 255);

struct FiveCase
{
    const char *name;
    std::vector<DrawRecord> draws;
    int rows;
    std::vector<CellExpect> cells;
};

std::vector<FiveCase> fiveCases()
{
    const Field null = Field::null();
    const Field blank = TestHistory::empty();
    return {
        {"numbers coloured and counted by decade",
         {draw(1, {3, 15, 22, 31, 40, 9, 41})},
         3,
         {{1, 2, "1", Colours::LightYellow, Colours::Red},
          {2, 2, "3", Colours::White}, {3, 2, "15", Colours::LightCyan}, {4, 2, "22", Colours::LightGreen},
          {5, 2, "31", Colours::LightYellow}, {6, 2, "40", G5}, {7, 2, "9", Colours::White},
          {8, 2, "41", G5},
          {9, 2, "2", Colours::White}, {10, 2, "1", Colours::LightCyan}, {11, 2, "1", Colours::LightGreen},
          {12, 2, "1", Colours::LightYellow}, {13, 2, "2", G5}}},
        {"the bonus number is counted",
         {draw(1, {10, 11, 12, 13, 14, 19, 5})},
         3,
         {{8, 2, "5", Colours::White}, {9, 2, "1"}, {10, 2, "6"}, {11, 2, "0"}, {12, 2, "0"}, {13, 2, "0"}}},
        {"fields written as they stand, unsorted; values outside 1 … 39 fall in the last group",
         {draw(7, {43, 0, QStringLiteral("12"), 1, 2, 39, 20})},
         9,
         {{1, 2, "7"}, {2, 2, "43", G5}, {3, 2, "0", G5}, {4, 2, "12", Colours::LightCyan},
          {7, 2, "39", Colours::LightYellow}, {9, 2, "2"}, {10, 2, "1"}, {11, 2, "1"}, {12, 2, "1"}, {13, 2, "2"}}},
        {"incomplete records leave no row; the spare rows keep the set-up colours",
         {draw(1, {1, 2, 3, 4, 5, 6, 7}), draw(2, {1, 2, 3, 4, 5, 6, null}), draw(3, {1, 2, blank, 4, 5, 6, 7}),
          draw(4, {11, 12, 13, 14, 15, 16, 17})},
         6,
         {{1, 2, "1"}, {1, 3, "4"}, {9, 3, "0"}, {10, 3, "7"},
          {1, 4, "", Colours::LightYellow, Colours::Red}, {2, 4, "", Colours::White},
          {8, 4, "", Colours::LightYellow}, {8, 5, "", Colours::LightYellow}, {9, 5, "", Colours::White},
          {10, 5, "", Colours::LightCyan}, {13, 5, "", G5},
          {1, 6, "回数", Colours::LightPink, Colours::Black}, {8, 6, "ボ数", Colours::LightPink, Colours::Black},
          {9, 6, "01～09", CountCaption, Colours::Blue}, {13, 6, "40～43", CountCaption, Colours::Blue}}},
        {"an empty history is the two caption rows",
         {},
         2,
         {{1, 1, "回数"}, {1, 2, "回数", Colours::LightPink, Colours::Black}, {4, 2, "    本 数 字"},
          {10, 2, "10～19", CountCaption, Colours::Blue}}},
        {"only incomplete records: no data row either",
         {draw(1, {1, 2, 3, 4, 5, 6, null})},
         2,
         {{1, 2, "回数"}}},
    };
}

} // namespace

TEST(FiveDivision, CellsOfEachCase)
{
    for (const FiveCase &c : fiveCases()) {
        SCOPED_TRACE(c.name);
        const Sheet sheet = buildFiveDivision(TestHistory::store(c.draws));
        EXPECT_EQ(sheet.maxCols(), 13);
        EXPECT_EQ(sheet.maxRows(), c.rows);
        expectCells(sheet, c.cells);
    }
}

TEST(FiveDivision, BothCaptionRowsAlike)
{
    const Sheet sheet = buildFiveDivision(TestHistory::store(TestHistory::generated(5)));
    ASSERT_EQ(sheet.maxRows(), 7);
    const QStringList captions = {QStringLiteral("回数"), {}, {}, QStringLiteral("    本 数 字"), {}, {}, {},
                                  QStringLiteral("ボ数"), QStringLiteral("01～09"), QStringLiteral("10～19"),
                                  QStringLiteral("20～29"), QStringLiteral("30～39"), QStringLiteral("40～43")};
    for (int row : {1, 7}) {
        SCOPED_TRACE(row);
        EXPECT_DOUBLE_EQ(sheet.rowHeight(row), 20.0);
        for (int c = 1; c <= 13; ++c) {
            const Cell &cell = sheet.cell(c, row);
            EXPECT_EQ(cell.text, captions[c - 1]) << c;
            EXPECT_EQ(cell.back, c <= 8 ? Colours::LightPink : CountCaption) << c;
            EXPECT_EQ(cell.fore, c <= 8 ? Colours::Black : Colours::Blue) << c;
            // The six main-number captions read as one cell over one black line.
            const bool merged = c >= 2 && c <= 7;
            EXPECT_EQ(cell.left.on, !merged) << c;
            EXPECT_EQ(cell.top.on, !merged) << c;
            EXPECT_TRUE(cell.bottom.on) << c;
            if (merged) {
                EXPECT_EQ(cell.bottom.colour, Colours::Black) << c;
            }
        }
        EXPECT_EQ(sheet.cell(4, row).hAlign, HAlign::Left);
    }
    EXPECT_DOUBLE_EQ(sheet.rowHeight(2), 10.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(1), 6.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(2), 5.0);
    EXPECT_EQ(sheet.frozenRows(), 1);
    EXPECT_EQ(sheet.scrollBars(), ScrollBars::Vertical);
    EXPECT_EQ(sheet.visibleRows(), 51);
    EXPECT_EQ(sheet.activeCol(), 0);
    EXPECT_EQ(sheet.activeRow(), 0);
    // A red line parts the numbers from the counts in every row.
    for (int row = 1; row <= 7; ++row) {
        EXPECT_TRUE(sheet.cell(9, row).left.on);
        EXPECT_EQ(sheet.cell(9, row).left.colour, Colours::Red);
        EXPECT_EQ(sheet.cell(10, row).left.colour, Sheet::DefaultBorderColour);
    }
}

TEST(FiveDivision, DrawsBeyondTheDataRowsNeverOverwriteTheClosingCaption)
{
    // Draw 0 and draw 1 are two complete draws for LastDrawNo = 1.
    const Sheet sheet = buildFiveDivision(
        TestHistory::store({draw(0, {1, 2, 3, 4, 5, 6, 7}), draw(1, {11, 12, 13, 14, 15, 16, 17})}));
    ASSERT_EQ(sheet.maxRows(), 3);
    expectCells(sheet, {{1, 2, "0"}, {1, 3, "回数"}, {2, 3, ""}, {9, 3, "01～09"}});
}

TEST(FiveDivision, NonNumericFieldFailsTheBuild)
{
    DrawHistoryStore store = TestHistory::store({draw(1, {1, 2, 3, 4, 5, 6, 7})});
    std::vector<DrawRecord> records = store.DrawRecordset.records();
    records[0].numbers[2] = Field(QStringLiteral("x"));
    store.DrawRecordset = Recordset(records);
    EXPECT_THROW(buildFiveDivision(store), RuntimeError);
}
