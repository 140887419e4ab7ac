// The combination-pattern windows: low/high (低数字高数字の組合せパターン分析)
// and even/odd (偶数奇数の組合せパターン分析), one table with two classifiers.
#include "analysis/builders.h"
#include "analysis/catalog.h"
#include "support/cellexpect.h"
#include "support/history.h"

#include <gtest/gtest.h>

using TestHistory::draw;

namespace {

const Colour Magenta = rgb(255, 200, 255);

struct PatternCase
{
    const char *name;
    BuildFunction build;
    std::array<Field, 7> numbers;
    std::string marks; // back colours of columns 2 … 7: 'c' cyan, 'w' white
    std::string firstCount;
    std::string secondCount;
    std::string letter;
    Colour letterBack;
};

std::string backPattern(const Sheet &sheet, int row)
{
    std::string pattern;
    for (int c = 2; c <= 7; ++c) {
        const Colour back = sheet.cell(c, row).back;
        pattern += back == Colours::LightCyan ? 'c' : back == Colours::White ? 'w' : '?';
    }
    return pattern;
}

} // namespace

TEST(CombinationPattern, GridLayoutAndCaptions)
{
    struct Case
    {
        BuildFunction build;
        QString numbersCaption;
        std::string first;
        std::string second;
    };
    const std::vector<Case> cases{
        {&buildLowHighPattern, txt("　　本 数 字"), "低数字", "高数字"},
        {&buildEvenOddPattern, txt("    本 数 字      "), "偶数", "奇数"},
    };
    for (const Case &c : cases) {
        const Sheet sheet = c.build(TestHistory::store({draw(1, {1, 2, 3, 4, 5, 6, 7}), draw(2, {1, 2, 3, 4, 5, 6, 7})}));
        SCOPED_TRACE(c.first);
        EXPECT_EQ(sheet.maxCols(), 11);
        EXPECT_EQ(sheet.maxRows(), 3);
        EXPECT_EQ(sheet.visibleCols(), 11);
        EXPECT_EQ(sheet.visibleRows(), 51);
        EXPECT_DOUBLE_EQ(sheet.rowHeight(1), 20.0);
        EXPECT_DOUBLE_EQ(sheet.rowHeight(3), 10.0);
        const std::vector<double> widths{6, 5, 5, 5, 5, 5, 5, 5, 5, 5, 7};
        for (int col = 1; col <= 11; ++col)
            EXPECT_DOUBLE_EQ(sheet.colWidth(col), widths[size_t(col - 1)]) << col;
        EXPECT_EQ(sheet.activeCol(), 0);
        EXPECT_EQ(sheet.activeRow(), 0);

        EXPECT_EQ(sheet.text(4, 1), c.numbersCaption);
        EXPECT_EQ(sheet.cell(4, 1).hAlign, HAlign::Left);
        EXPECT_TRUE(sheet.overflow());
        EXPECT_EQ(rowTexts(sheet, 1, 8, 11), (std::vector<std::string>{"ボ数", c.first, c.second, "パターン"}));
        expectCells(sheet, {
            {1, 1, txt("回数"), Colours::LightPink, Colours::Blue},
            {11, 1, std::nullopt, Colours::LightPink, Colours::Blue},
            {1, 3, txt("2"), Colours::LightYellow, Colours::Red},
            {8, 3, txt("7"), Colours::LightYellow, Colours::Black},
            {9, 3, std::nullopt, Colours::LightCyan, Colours::Blue},
            {10, 3, std::nullopt, Colours::White, Colours::Blue},
        });
        EXPECT_TRUE(sheet.cell(2, 1).left.on && sheet.cell(7, 1).right.on && sheet.cell(4, 1).top.on);
        EXPECT_FALSE(sheet.cell(3, 1).left.on || sheet.cell(3, 1).right.on);
        const Cell &table = sheet.cell(10, 2);
        EXPECT_TRUE(table.left.on && table.right.on && table.top.on && table.bottom.on);
    }
}

TEST(CombinationPattern, ClassesCountsAndLetters)
{
    const BuildFunction lowHigh = &buildLowHighPattern;
    const BuildFunction evenOdd = &buildEvenOddPattern;
    const std::vector<PatternCase> cases{
        // Low numbers are 1 … 21; the letter follows the low count; only low cells marked.
        {"all low", lowHigh, {1, 2, 3, 4, 5, 6, 7}, "cccccc", "6", "0", "G", Colours::LightPink},
        {"all high", lowHigh, {22, 23, 24, 25, 26, 27, 40}, "wwwwww", "0", "6", "A", Colours::White},
        {"21 low, 22 high", lowHigh, {10, 21, 22, 30, 35, 43, 1}, "ccwwww", "2", "4", "C", Colours::LightGreen},
        {"low bonus counts nothing", lowHigh, {22, 23, 24, 25, 26, 27, 3}, "wwwwww", "0", "6", "A", Colours::White},
        {"one low", lowHigh, {5, 23, 24, 25, 26, 27, 3}, "cwwwww", "1", "5", "B", Colours::LightCyan},
        {"three low", lowHigh, {1, 2, 3, 25, 26, 27, 3}, "cccwww", "3", "3", "D", Colours::LightYellow},
        {"four low", lowHigh, {1, 2, 3, 4, 30, 40, 3}, "ccccww", "4", "2", "E", Colours::White},
        {"five low, stored unsorted", lowHigh, {40, 2, 3, 4, 5, 6, 3}, "wccccc", "5", "1", "F", Magenta},
        // The letter follows the odd count; every cell marked cyan or white.
        {"all even", evenOdd, {2, 4, 6, 8, 10, 12, 1}, "cccccc", "6", "0", "A", Colours::White},
        {"all odd", evenOdd, {1, 3, 5, 7, 9, 11, 2}, "wwwwww", "0", "6", "G", Colours::LightPink},
        {"three of each", evenOdd, {1, 2, 3, 4, 5, 6, 8}, "wcwcwc", "3", "3", "D", Colours::LightYellow},
        {"even bonus counts nothing", evenOdd, {1, 3, 5, 7, 9, 10, 42}, "wwwwwc", "1", "5", "F", Magenta},
        {"five even", evenOdd, {2, 4, 6, 8, 10, 43, 42}, "cccccw", "5", "1", "B", Colours::LightCyan},
    };
    for (const PatternCase &c : cases) {
        SCOPED_TRACE(c.name);
        const Sheet sheet = c.build(TestHistory::store({draw(1, c.numbers)}));
        EXPECT_EQ(backPattern(sheet, 2), c.marks);
        EXPECT_EQ(sheet.text(9, 2).toStdString(), c.firstCount);
        EXPECT_EQ(sheet.text(10, 2).toStdString(), c.secondCount);
        EXPECT_EQ(sheet.text(11, 2).toStdString(), c.letter);
        EXPECT_EQ(sheet.cell(11, 2).back, c.letterBack);
        // The bonus is shown, never marked.
        EXPECT_EQ(sheet.text(8, 2), c.numbers[6].toText());
        EXPECT_EQ(sheet.cell(8, 2).back, Colours::LightYellow);
        for (int k = 1; k <= 6; ++k)
            EXPECT_EQ(sheet.text(k + 1, 2), c.numbers[size_t(k - 1)].toText());
    }
}

TEST(CombinationPattern, IncompleteRecordsEmptyHistoryAndFailures)
{
    for (BuildFunction build : {&buildLowHighPattern, &buildEvenOddPattern}) {
        const Sheet sheet = build(TestHistory::store({
            draw(1, {1, 2, 3, 4, 5, 6, 7}),
            draw(2, {1, 2, 3, TestHistory::empty(), 5, 6, 7}),
            draw(3, {1, 2, 3, 4, 5, 6, Field::null()}),
            draw(4, {22, 23, 24, 25, 26, 27, 7}),
        }));
        EXPECT_EQ(sheet.maxRows(), 5);
        EXPECT_EQ(sheet.text(1, 2), txt("1"));
        EXPECT_EQ(sheet.text(1, 3), txt("4")); // no gap row
        EXPECT_EQ(sheet.text(2, 3), txt("22"));
        EXPECT_EQ(rowTexts(sheet, 4, 1, 11), std::vector<std::string>(11));
        EXPECT_EQ(sheet.cell(11, 4).back, Colours::White);

        const Sheet empty = build(TestHistory::store({}));
        EXPECT_EQ(empty.maxRows(), 1);
        EXPECT_EQ(empty.text(11, 1), txt("パターン"));

        DrawHistoryStore store = TestHistory::store({draw(1, {1, 2, 3, 4, 5, 6, 7})});
        store.DrawRecordset = Recordset({draw(1, {1, 2, 3, 4, txt("x"), 6, 7})});
        try {
            build(store);
            ADD_FAILURE() << "a text number must fail";
        } catch (const RuntimeError &e) {
            EXPECT_EQ(e.kind(), RuntimeErrorKind::TypeMismatch);
        }
    }
}
