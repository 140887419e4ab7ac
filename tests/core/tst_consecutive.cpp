// 連番飛び石分析: consecutive and stepping-stone pairs of neighbouring fields.
#include "analysis/builders.h"
#include "support/cellexpect.h"
#include "support/history.h"

#include <gtest/gtest.h>

using TestHistory::draw;

namespace {

const Colour Grey = rgb(225, 225, 225);
const Colour CaptionMagenta = rgb(255, 200, 255);

// Back colours of columns first … last of a row, as 'c' (pair cyan), 'g'
// (pair green), '.' (white) or '?'.
std::string backPattern(const Sheet &sheet, int row, int first, int last)
{
    std::string pattern;
    for (int c = first; c <= last; ++c) {
        const Colour back = sheet.cell(c, row).back;
        pattern += back == Colours::LightCyan ? 'c' : back == Colours::LightGreen ? 'g' : back == Colours::White ? '.' : '?';
    }
    return pattern;
}

} // namespace

TEST(Consecutive, GridLayoutAndCaptionRow)
{
    const Sheet sheet = buildConsecutive(TestHistory::store({draw(1, {1, 2, 3, 4, 5, 6, 7}), draw(2, {1, 2, 3, 4, 5, 6, 7})}));
    EXPECT_EQ(sheet.maxCols(), 14);
    EXPECT_EQ(sheet.maxRows(), 3);
    EXPECT_EQ(sheet.visibleCols(), 14);
    EXPECT_EQ(sheet.visibleRows(), 51);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(1), 10.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(14), 4.0);
    EXPECT_EQ(sheet.activeCol(), 0);
    EXPECT_EQ(sheet.activeRow(), 0);
    expectCells(sheet, {
        {1, 1, txt("回数"), Colours::LightYellow, Colours::Red},
        {8, 1, txt("回数"), Colours::LightYellow, Colours::Red},
        {4, 1, txt("連番(本数字)"), CaptionMagenta, Colours::Black},
        {11, 1, txt("飛び石(本数字)"), Colours::LightPink, Colours::Black},
        {2, 1, txt(""), CaptionMagenta, Colours::Black},
        {14, 1, txt(""), Colours::LightPink, Colours::Black},
        {1, 3, txt("2"), std::nullopt, Colours::Red},
        {8, 3, txt("2"), std::nullopt, Colours::Red},
    });
    EXPECT_EQ(sheet.cell(4, 1).hAlign, HAlign::Left);
    EXPECT_EQ(sheet.cell(11, 1).hAlign, HAlign::Left);
    EXPECT_EQ(sheet.cell(5, 1).hAlign, HAlign::Center);
    EXPECT_TRUE(sheet.overflow());

    // Each caption sits in one framed field; the table has every side.
    EXPECT_TRUE(sheet.cell(2, 1).left.on && sheet.cell(2, 1).top.on && sheet.cell(2, 1).bottom.on);
    EXPECT_FALSE(sheet.cell(2, 1).right.on || sheet.cell(3, 1).left.on);
    EXPECT_TRUE(sheet.cell(7, 1).right.on && sheet.cell(9, 1).left.on && sheet.cell(14, 1).right.on);
    EXPECT_FALSE(sheet.cell(10, 1).left.on);
    const Cell &table = sheet.cell(5, 2);
    EXPECT_TRUE(table.left.on && table.right.on && table.top.on && table.bottom.on);
    EXPECT_EQ(table.left.colour, Sheet::DefaultBorderColour);
}

TEST(Consecutive, PairsOfEachDraw)
{
    struct Case
    {
        const char *name;
        std::array<Field, 7> numbers;
        std::string consecutive;  // columns 2 … 7
        std::string stepping;     // columns 9 … 14
        bool consecutiveGrey;     // cell (1, row)
        bool steppingGrey;        // cell (8, row)
    };
    const std::vector<Case> cases{
        {"run of three", {3, 4, 5, 20, 30, 40, 1}, "ccc...", "......", false, true},
        {"stepping stones", {1, 3, 5, 7, 20, 22, 9}, "......", "gggggg", true, false},
        {"bonus next to a main number", {5, 10, 20, 30, 35, 41, 6}, "......", "......", true, true},
        {"stored out of order", {1, 13, 12, 30, 35, 40, 2}, "......", "......", true, true},
        {"both kinds", {10, 11, 13, 25, 26, 43, 12}, "cc.cc.", ".gg...", false, false},
        {"last pair", {1, 10, 20, 30, 41, 43, 42}, "......", "....gg", true, false},
    };
    std::vector<DrawRecord> records;
    for (size_t i = 0; i < cases.size(); ++i)
        records.push_back(draw(long(i) + 1, cases[i].numbers));
    const Sheet sheet = buildConsecutive(TestHistory::store(records));

    for (size_t i = 0; i < cases.size(); ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.name);
        const int row = int(i) + 2;
        EXPECT_EQ(backPattern(sheet, row, 2, 7), c.consecutive);
        EXPECT_EQ(backPattern(sheet, row, 9, 14), c.stepping);
        EXPECT_EQ(sheet.cell(1, row).back, c.consecutiveGrey ? Grey : Colours::LightYellow);
        EXPECT_EQ(sheet.cell(8, row).back, c.steppingGrey ? Grey : Colours::LightYellow);
        std::vector<std::string> numbers;
        for (int k = 1; k <= 6; ++k)
            numbers.push_back(c.numbers[size_t(k - 1)].toText().toStdString());
        EXPECT_EQ(rowTexts(sheet, row, 2, 7), numbers);
        EXPECT_EQ(rowTexts(sheet, row, 9, 14), numbers);
        EXPECT_EQ(sheet.text(1, row), QString::number(i + 1));
        EXPECT_EQ(sheet.text(8, row), QString::number(i + 1));
    }
}

TEST(Consecutive, IncompleteRecordsTakeNoRow)
{
    const Sheet sheet = buildConsecutive(TestHistory::store({
        draw(1, {1, 2, 10, 20, 30, 40, 5}),
        draw(2, {Field::null(), 2, 3, 4, 5, 6, 7}),
        draw(3, {1, 2, 3, 4, 5, 6, TestHistory::empty()}),
        draw(4, {1, 3, 10, 20, 30, 40, 5}),
    }));
    EXPECT_EQ(sheet.maxRows(), 5);
    EXPECT_EQ(sheet.text(1, 2), txt("1"));
    EXPECT_EQ(sheet.text(1, 3), txt("4"));
    EXPECT_EQ(backPattern(sheet, 3, 9, 14), "gg....");
    EXPECT_EQ(sheet.cell(1, 3).back, Grey);
    for (int r = 4; r <= 5; ++r) {
        EXPECT_EQ(rowTexts(sheet, r, 1, 14), std::vector<std::string>(14));
        EXPECT_EQ(sheet.cell(1, r).back, Colours::LightYellow);
    }
}

TEST(Consecutive, EmptyHistoryAndLoadFailures)
{
    const Sheet empty = buildConsecutive(TestHistory::store({}));
    EXPECT_EQ(empty.maxRows(), 1);
    EXPECT_EQ(empty.text(4, 1), txt("連番(本数字)"));

    DrawHistoryStore store = TestHistory::store({draw(1, {1, 2, 3, 4, 5, 6, 7})});
    store.DrawRecordset = Recordset({draw(1, {1, 2, 3, txt("x"), 5, 6, 7})});
    try {
        buildConsecutive(store);
        ADD_FAILURE() << "a text number must fail";
    } catch (const RuntimeError &e) {
        EXPECT_EQ(e.kind(), RuntimeErrorKind::TypeMismatch);
    }
    try {
        buildConsecutive(TestHistory::store({draw(32767, {1, 2, 3, 4, 5, 6, 7})}));
        ADD_FAILURE() << "32768 rows must overflow";
    } catch (const RuntimeError &e) {
        EXPECT_EQ(e.kind(), RuntimeErrorKind::Overflow);
    }
}
