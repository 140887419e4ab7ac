// 数字合計分析: each complete draw with the sum of its main numbers, its bonus
// and the sum of all seven.
#include "analysis/builders.h"
#include "support/cellexpect.h"
#include "support/history.h"

#include <gtest/gtest.h>

using TestHistory::draw;

TEST(NumberSum, GridLayoutAndCaptionRow)
{
    const Sheet sheet = buildNumberSum(TestHistory::store({draw(1, {1, 2, 3, 4, 5, 6, 7})}));
    EXPECT_EQ(sheet.maxCols(), 10);
    EXPECT_EQ(sheet.maxRows(), 2);
    EXPECT_EQ(sheet.visibleCols(), 10);
    EXPECT_EQ(sheet.visibleRows(), 51);
    EXPECT_EQ(sheet.frozenRows(), 1); // the caption row stays in view while scrolling
    EXPECT_DOUBLE_EQ(sheet.rowHeight(1), 20.0);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(2), 10.0);
    const std::vector<double> widths{5, 5, 5, 5, 5, 5, 5, 8, 7, 10};
    for (int c = 1; c <= 10; ++c)
        EXPECT_DOUBLE_EQ(sheet.colWidth(c), widths[size_t(c - 1)]) << c;

    const QString caption = sheet.text(2, 1);
    EXPECT_EQ(caption.size(), 59);
    EXPECT_EQ(caption, QString(23, QLatin1Char(' ')) + txt("　本 数 字") + QString(30, QLatin1Char(' ')));
    EXPECT_EQ(sheet.cell(2, 1).hAlign, HAlign::Left);
    EXPECT_TRUE(sheet.overflow());
    EXPECT_EQ(rowTexts(sheet, 1, 8, 10), (std::vector<std::string>{"本数字合計", "ボ数字", "本数字+ボ数字"}));
    expectCells(sheet, {
        {1, 1, txt("回数"), Colours::LightPink, Colours::Black},
        {10, 1, std::nullopt, Colours::LightPink, Colours::Black},
        {1, 2, txt("1"), Colours::LightYellow, Colours::Red},
        {2, 2, txt("1"), Colours::White, Colours::Black},
        {8, 2, txt("21"), Colours::LightCyan, Colours::Blue},
        {9, 2, txt("7"), Colours::White, Colours::Black},
        {10, 2, txt("28"), Colours::LightCyan, Colours::Blue},
    });

    // Caption borders: columns 2 … 7 cleared, an outline round 2 … 9.
    EXPECT_TRUE(sheet.cell(2, 1).left.on && sheet.cell(2, 1).top.on && sheet.cell(2, 1).bottom.on);
    EXPECT_FALSE(sheet.cell(3, 1).left.on || sheet.cell(7, 1).right.on);
    EXPECT_TRUE(sheet.cell(8, 1).left.on); // kept from the table borders
    EXPECT_TRUE(sheet.cell(9, 1).right.on && sheet.cell(10, 1).right.on);
    const Cell &table = sheet.cell(5, 2);
    EXPECT_TRUE(table.left.on && table.right.on && table.top.on && table.bottom.on);
}

TEST(NumberSum, SumsPerDraw)
{
    struct Case
    {
        std::array<Field, 7> numbers;
        std::string mainSum;
        std::string total;
    };
    const std::vector<Case> cases{
        {{1, 2, 3, 4, 5, 6, 7}, "21", "28"},
        {{38, 39, 40, 41, 42, 43, 37}, "243", "280"}, // the largest possible
        {{43, 1, 22, 7, 30, 15, 2}, "118", "120"},    // field order does not matter
    };
    std::vector<DrawRecord> records;
    for (size_t i = 0; i < cases.size(); ++i)
        records.push_back(draw(long(i) + 1, cases[i].numbers));
    const Sheet sheet = buildNumberSum(TestHistory::store(records));
    for (size_t i = 0; i < cases.size(); ++i) {
        const int row = int(i) + 2;
        SCOPED_TRACE(row);
        EXPECT_EQ(sheet.text(8, row).toStdString(), cases[i].mainSum);
        EXPECT_EQ(sheet.text(9, row), cases[i].numbers[6].toText());
        EXPECT_EQ(sheet.text(10, row).toStdString(), cases[i].total);
        EXPECT_EQ(sheet.text(2, row), cases[i].numbers[0].toText());
        EXPECT_EQ(sheet.text(7, row), cases[i].numbers[5].toText());
    }
}

TEST(NumberSum, IncompleteRecordsAndEmptyHistory)
{
    const Sheet sheet = buildNumberSum(TestHistory::store({
        draw(1, {1, 2, 3, 4, 5, Field::null(), 7}),
        draw(2, {1, 2, 3, 4, 5, 6, 7}),
        draw(3, {1, 2, 3, 4, 5, 6, TestHistory::empty()}),
    }));
    EXPECT_EQ(sheet.maxRows(), 3); // LastDrawNo is 2
    EXPECT_EQ(rowTexts(sheet, 2, 1, 10), (std::vector<std::string>{"2", "1", "2", "3", "4", "5", "6", "21", "7", "28"}));
    EXPECT_EQ(rowTexts(sheet, 3, 1, 10), std::vector<std::string>(10));

    const Sheet empty = buildNumberSum(TestHistory::store({}));
    EXPECT_EQ(empty.maxRows(), 1);
    EXPECT_EQ(empty.text(1, 1), txt("回数"));
}

TEST(NumberSum, LoadFailures)
{
    struct Case
    {
        const char *name;
        std::array<Field, 7> numbers;
        RuntimeErrorKind kind;
    };
    // The store refuses such values already; the window checks them itself.
    const std::vector<Case> cases{
        {"text main number", {1, 2, txt("x"), 4, 5, 6, 7}, RuntimeErrorKind::TypeMismatch},
        {"text bonus", {1, 2, 3, 4, 5, 6, txt("x")}, RuntimeErrorKind::TypeMismatch},
        {"sum beyond 16 bits", {6000, 6000, 6000, 6000, 6000, 6000, 7}, RuntimeErrorKind::Overflow},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DrawHistoryStore store = TestHistory::store({draw(1, {1, 2, 3, 4, 5, 6, 7})});
        store.DrawRecordset = Recordset({draw(1, c.numbers)});
        try {
            buildNumberSum(store);
            ADD_FAILURE() << "the build must fail";
        } catch (const RuntimeError &e) {
            EXPECT_EQ(e.kind(), c.kind);
        }
    }
}
