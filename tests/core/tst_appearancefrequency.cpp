// 出現頻度分析: dots per appearance, coloured by how the number was drawn.
#include "analysis/builders.h"
#include "support/history.h"

#include <gtest/gtest.h>

using TestHistory::draw;

namespace {
constexpr Colour Main = rgb(62, 158, 255);
constexpr Colour Bonus = rgb(255, 128, 192);
} // namespace

TEST(AppearanceFrequency, DotsFollowTheOrderOfAppearance)
{
    // 5 drawn as main, bonus, main, main.
    const Sheet sheet = buildAppearanceFrequency(TestHistory::store({
        draw(1, {5, 10, 11, 12, 13, 14, 15}),
        draw(2, {1, 2, 3, 4, 6, 7, 5}),
        draw(3, {20, 21, 22, 23, 24, 5, 30}),
        draw(4, {5, 31, 32, 33, 34, 35, 36}),
    }));
    const int row = 5 + 2;
    const Colour expected[] = {Main, Bonus, Main, Main};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(sheet.text(k + 2, row), QStringLiteral("●")) << k;
        EXPECT_EQ(sheet.cell(k + 2, row).fore, expected[k]) << k;
    }
    // H = 4: columns 1 … 6, the label column repeated at H + 2.
    EXPECT_EQ(sheet.maxCols(), 6);
    EXPECT_EQ(sheet.maxRows(), 45);
    EXPECT_EQ(sheet.text(6, row), QStringLiteral("5"));
    // The scale row counts up to H in columns 2 … H + 1.
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(sheet.text(k + 1, 2), QString::number(k));
}

TEST(AppearanceFrequency, LayoutCaptionsAndColours)
{
    const Sheet sheet = buildAppearanceFrequency(TestHistory::store(TestHistory::generated(200)));
    const int last = sheet.maxCols();
    EXPECT_EQ(sheet.frozenRows(), 2);
    EXPECT_EQ(sheet.frozenCols(), 1);
    EXPECT_EQ(sheet.scrollBars(), ScrollBars::Both);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(1), 15.0);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(3), 10.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(1), 5.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(2), 2.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(last), 5.0);
    EXPECT_EQ(sheet.activeCol(), 0);
    EXPECT_EQ(sheet.activeRow(), 0);

    const Cell &caption = sheet.cell(26, 1);
    EXPECT_EQ(caption.text, QStringLiteral("出 \u3000現 \u3000頻 \u3000度（回）"));
    EXPECT_EQ(caption.fore, Colours::Red);
    EXPECT_EQ(caption.hAlign, HAlign::Left);
    EXPECT_EQ(caption.back, rgb(255, 255, 200));
    EXPECT_TRUE(sheet.overflow());

    EXPECT_EQ(sheet.text(1, 2), QStringLiteral("数字"));
    EXPECT_EQ(sheet.text(last, 2), QStringLiteral("数字"));
    for (int col : {1, last}) {
        EXPECT_EQ(sheet.cell(col, 1).fore, Colours::Blue);
        EXPECT_EQ(sheet.cell(col, 45).back, rgb(222, 254, 253));
    }
    EXPECT_EQ(sheet.cell(2, 2).fore, Colours::Red);
    EXPECT_EQ(sheet.cell(last - 1, 2).back, rgb(255, 255, 200));
    // Borders: outline of row 1, grid on rows 2 … 45.
    EXPECT_TRUE(sheet.cell(2, 1).top.on);
    EXPECT_FALSE(sheet.cell(3, 1).left.on);
    EXPECT_TRUE(sheet.cell(1, 1).right.on);
    EXPECT_TRUE(sheet.cell(last - 1, 1).right.on);
    EXPECT_TRUE(sheet.cell(10, 30).left.on && sheet.cell(10, 30).bottom.on);
    EXPECT_EQ(sheet.cell(10, 30).left.colour, rgb(136, 196, 255));
}

TEST(AppearanceFrequency, NeverDrawnIncompleteAndRepeatedNumbers)
{
    const Sheet sheet = buildAppearanceFrequency(TestHistory::store({
        draw(1, {1, 2, 3, 4, 5, 6, 6}),                      // bonus repeats a main number
        draw(2, {7, 8, 9, 10, 11, 12, Field::null()}),        // no bonus yet
        draw(3, {7, TestHistory::empty(), 9, 10, 11, 12, 13}), // an empty field
    }));
    // 6 twice in one draw: both dots in column 2, the bonus colour last.
    EXPECT_EQ(sheet.text(2, 6 + 2), QStringLiteral("●"));
    EXPECT_EQ(sheet.cell(2, 6 + 2).fore, Bonus);
    EXPECT_TRUE(sheet.text(3, 6 + 2).isEmpty());
    // Incomplete records add nothing; never-drawn numbers keep their labels.
    for (int n = 7; n <= 43; ++n) {
        EXPECT_TRUE(sheet.text(2, n + 2).isEmpty()) << n;
        EXPECT_EQ(sheet.text(1, n + 2), QString::number(n));
        EXPECT_EQ(sheet.text(sheet.maxCols(), n + 2), QString::number(n));
    }
    // NumberTotal(6) = 2, so H = 2 and the grid is four columns wide.
    EXPECT_EQ(sheet.maxCols(), 4);
}

TEST(AppearanceFrequency, EmptyHistoryAndBadValues)
{
    const Sheet empty = buildAppearanceFrequency(TestHistory::store({}));
    EXPECT_EQ(empty.maxCols(), 2);
    EXPECT_EQ(empty.text(1, 3), QStringLiteral("1"));
    EXPECT_EQ(empty.text(2, 45), QStringLiteral("43"));

    // The store takes numbers up to 99999, the running counts only 0 … 9999.
    const DrawHistoryStore store = TestHistory::store({draw(1, {1, 2, 3, 4, 5, 6, 10000})});
    try {
        buildAppearanceFrequency(store);
        FAIL() << "built";
    } catch (const RuntimeError &error) {
        EXPECT_EQ(error.kind(), RuntimeErrorKind::IndexOutOfRange);
    }
}
