// バラツキ分析: the dot chart of every complete draw over the numbers 1 … 43.
#include "analysis/builders.h"
#include "support/cellexpect.h"
#include "support/history.h"

#include <gtest/gtest.h>

using TestHistory::draw;

namespace {

const Colour MainDot = rgb(62, 158, 255);
const Colour BonusDot = rgb(255, 128, 192);
const Colour Frame = rgb(136, 196, 255);

std::vector<std::string> captionTexts()
{
    std::vector<std::string> texts{"回"};
    for (int n = 1; n <= 43; ++n)
        texts.push_back(std::to_string(n));
    texts.push_back("回");
    return texts;
}

// The columns of a row that hold a dot.
std::vector<int> dotColumns(const Sheet &sheet, int row)
{
    std::vector<int> columns;
    for (int c = 1; c <= sheet.maxCols(); ++c) {
        if (sheet.text(c, row) == txt("●"))
            columns.push_back(c);
    }
    return columns;
}

} // namespace

TEST(Dispersion, GridLayoutTitleAndCaptionRows)
{
    const Sheet sheet = buildDispersion(TestHistory::store({draw(1, {1, 2, 3, 4, 5, 6, 7}), draw(2, {8, 9, 10, 11, 12, 13, 14})}));
    EXPECT_EQ(sheet.maxCols(), 45);
    EXPECT_EQ(sheet.maxRows(), 5); // LastDrawNo + 3
    EXPECT_EQ(sheet.visibleCols(), 45);
    EXPECT_EQ(sheet.visibleRows(), 47);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(1), 15.0);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(2), 15.0);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(3), 10.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(1), 5.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(2), 2.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(44), 2.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(45), 5.0);
    EXPECT_EQ(sheet.activeCol(), 0);
    EXPECT_EQ(sheet.activeRow(), 0);

    expectCells(sheet, {
        {22, 1, txt("数　　　　　　　字"), Colours::PaleCyan, Colours::Blue},
        {2, 1, txt(""), Colours::PaleCyan, Colours::Black},
        {44, 1, txt(""), Colours::PaleCyan, Colours::Black},
        {1, 1, txt(""), Colours::LightYellow, Colours::Red},
        {45, 1, txt(""), Colours::LightYellow, Colours::Red},
        {1, 2, txt("回"), Colours::LightYellow, Colours::Red},
        {2, 2, txt("1"), Colours::PaleCyan, Colours::Blue},
        {44, 2, txt("43"), Colours::PaleCyan, Colours::Blue},
        {45, 2, txt("回"), Colours::LightYellow, Colours::Red},
        // The last row closes the chart with the captions again.
        {1, 5, txt("回"), Colours::LightYellow, Colours::Red},
        {23, 5, txt("22"), Colours::PaleCyan, Colours::Blue},
        {45, 5, txt("回"), Colours::LightYellow, Colours::Red},
    });
    EXPECT_EQ(rowTexts(sheet, 2, 1, 45), captionTexts());
    EXPECT_EQ(rowTexts(sheet, 5, 1, 45), captionTexts());
    EXPECT_TRUE(sheet.overflow());

    // Row 1: an outline round the title band and the right side of (1, 1) only.
    const Cell &corner = sheet.cell(1, 1);
    EXPECT_TRUE(corner.right.on);
    EXPECT_FALSE(corner.left.on || corner.top.on || corner.bottom.on);
    EXPECT_EQ(corner.right.colour, Frame);
    EXPECT_TRUE(sheet.cell(2, 1).left.on && sheet.cell(2, 1).top.on && sheet.cell(2, 1).bottom.on);
    EXPECT_FALSE(sheet.cell(3, 1).left.on || sheet.cell(3, 1).right.on);
    EXPECT_TRUE(sheet.cell(44, 1).right.on);
    EXPECT_FALSE(sheet.cell(45, 1).right.on || sheet.cell(45, 1).top.on);
    // Rows 2 … last: every side of every cell.
    for (int row : {2, 3, 5}) {
        for (int col : {1, 20, 45}) {
            const Cell &cell = sheet.cell(col, row);
            EXPECT_TRUE(cell.left.on && cell.right.on && cell.top.on && cell.bottom.on) << col << "," << row;
            EXPECT_EQ(cell.bottom.colour, Frame);
        }
    }
}

TEST(Dispersion, OneRowOfDotsPerCompleteDraw)
{
    const Sheet sheet = buildDispersion(TestHistory::store({
        draw(1, {3, 14, 25, 31, 40, 43, 1}),
        draw(2, {1, 2, 3, 4, 5, Field::null(), 7}),       // no bonus yet: no row
        draw(3, {TestHistory::empty(), 2, 3, 4, 5, 6, 7}), // '' : no row
        draw(4, {5, 6, 7, 8, 9, 10, 6}),                   // bonus equal to a main number
    }));
    EXPECT_EQ(sheet.maxRows(), 7);
    expectCells(sheet, {
        {1, 3, txt("1"), Colours::LightYellow, Colours::Red},
        {45, 3, txt("1"), Colours::LightYellow, Colours::Red},
        {4, 3, txt("●"), Colours::White, MainDot},
        {44, 3, txt("●"), Colours::White, MainDot},
        {2, 3, txt("●"), Colours::White, BonusDot},
        {3, 3, txt(""), Colours::White, Colours::Black},
        // The next complete draw follows without a gap row.
        {1, 4, txt("4"), Colours::LightYellow, Colours::Red},
        {45, 4, txt("4"), Colours::LightYellow, Colours::Red},
        {7, 4, txt("●"), Colours::White, BonusDot}, // coloured last
        {6, 4, txt("●"), Colours::White, MainDot},
        {1, 5, txt("")},
        {1, 6, txt("")},
        {1, 7, txt("回")},
    });
    EXPECT_EQ(dotColumns(sheet, 3), (std::vector<int>{2, 4, 15, 26, 32, 41, 44}));
    EXPECT_EQ(dotColumns(sheet, 4), (std::vector<int>{6, 7, 8, 9, 10, 11}));
    EXPECT_TRUE(dotColumns(sheet, 5).empty());
}

TEST(Dispersion, EmptyHistoryShowsOnlyTheFrame)
{
    const Sheet sheet = buildDispersion(TestHistory::store({}));
    EXPECT_EQ(sheet.maxCols(), 45);
    EXPECT_EQ(sheet.maxRows(), 3);
    for (int r = 2; r <= 3; ++r)
        EXPECT_EQ(rowTexts(sheet, r, 1, 45), std::vector<std::string>(45));
    expectCells(sheet, {{22, 1, txt("数　　　　　　　字"), Colours::PaleCyan, Colours::Blue},
                        {1, 3, txt(""), Colours::LightYellow, Colours::Red},
                        {2, 2, txt(""), Colours::White, Colours::Black}});
}

TEST(Dispersion, LoadFailures)
{
    // A number the chart cannot convert (the store would have refused it too).
    DrawHistoryStore store = TestHistory::store({draw(1, {1, 2, 3, 4, 5, 6, 7})});
    store.DrawRecordset = Recordset({draw(1, {1, 2, txt("x"), 4, 5, 6, 7})});
    try {
        buildDispersion(store);
        ADD_FAILURE() << "a text number must fail";
    } catch (const RuntimeError &e) {
        EXPECT_EQ(e.kind(), RuntimeErrorKind::TypeMismatch);
    }

    // LastDrawNo + 3 rows no longer fit a 16-bit row number.
    const DrawHistoryStore tooLong = TestHistory::store({draw(32765, {1, 2, 3, 4, 5, 6, 7})});
    try {
        buildDispersion(tooLong);
        ADD_FAILURE() << "32768 rows must overflow";
    } catch (const RuntimeError &e) {
        EXPECT_EQ(e.kind(), RuntimeErrorKind::Overflow);
    }
}
