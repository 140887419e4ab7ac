// 下一桁出現傾向分析 and 下一桁連続出現回数分析: digit texts and their colours,
// run lengths addressed by draw number, and the caption pairs both share.
#include "analysis/builders.h"
#include "analysis/lastdigitgrid.h"
#include "support/cellexpect.h"
#include "support/history.h"

#include <gtest/gtest.h>

using TestHistory::draw;

namespace {

constexpr Colour RunPurple = rgb(255, 200, 255);

struct DigitCase
{
    const char *name;
    std::vector<DrawRecord> draws;
    int rows;
    std::vector<CellExpect> cells;
};

// A history of draws 1 … count, each 1, 2, 4, 5, 6, 8, 9 except where
// replaced, so that no number ends in 0, 3 or 7 unless a case puts it there.
std::vector<DrawRecord> plain(int count, std::vector<DrawRecord> replaced = {})
{
    std::vector<DrawRecord> records;
    for (int k = 1; k <= count; ++k) {
        auto it = std::find_if(replaced.begin(), replaced.end(),
                               [&](const DrawRecord &r) { return r.drawNo.integer() == k; });
        records.push_back(it != replaced.end() ? *it : draw(k, {1, 2, 4, 5, 6, 8, 9}));
    }
    return records;
}

// Checks that a column holds exactly these run texts, row by draw number.
void expectColumn(const Sheet &sheet, int col, const std::map<int, QString> &byDraw, int lastDraw)
{
    for (int k = 1; k <= lastDraw; ++k) {
        const auto it = byDraw.find(k);
        EXPECT_EQ(sheet.text(col, k + 2), it == byDraw.end() ? QString() : it->second) << "draw " << k;
    }
}

} // namespace

TEST(LastDigitGrid, TitleIsNinetySixCharactersCentredOverTheDigits)
{
    const QString title = LastDigitGrid::title();
    EXPECT_EQ(title.size(), 96);
    EXPECT_EQ(title.indexOf(QStringLiteral("下一桁数字")), 43);
    EXPECT_EQ(title.mid(75, 3), QString(3, QChar(0x3000)));
    EXPECT_EQ(title.trimmed(), QStringLiteral("下一桁数字"));
    EXPECT_EQ(title.count(QLatin1Char(' ')), 43 + 27 + 18);
}

TEST(LastDigitGrid, CaptionPairsAtTopAndMirroredAtBottom)
{
    const Sheet trend = buildLastDigitTrend(TestHistory::store(plain(3)));
    const Sheet runs = buildLastDigitRuns(TestHistory::store(plain(3)));
    for (const Sheet *sheet : {&trend, &runs}) {
        ASSERT_EQ(sheet->maxRows(), 7);
        EXPECT_EQ(sheet->maxCols(), 11);
        EXPECT_EQ(sheet->frozenRows(), 2);
        EXPECT_EQ(sheet->visibleCols(), 29);
        EXPECT_EQ(sheet->visibleRows(), 52);
        EXPECT_EQ(sheet->scrollBars(), ScrollBars::Vertical);
        for (auto [title, digits] : {std::pair{1, 2}, std::pair{7, 6}}) {
            SCOPED_TRACE(title);
            EXPECT_DOUBLE_EQ(sheet->rowHeight(title), 20.0);
            EXPECT_DOUBLE_EQ(sheet->rowHeight(digits), 10.0);
            expectCells(*sheet, {{1, title, "回数", Colours::LightYellow, Colours::Red},
                                 {1, digits, "", Colours::LightYellow, Colours::Red},
                                 {2, title, LastDigitGrid::title(), Colours::LightPink, Colours::Blue},
                                 {2, digits, "0", Colours::LightPink, Colours::Blue},
                                 {11, digits, "9", Colours::LightPink, Colours::Blue},
                                 {11, title, "", Colours::LightPink, Colours::Blue}});
            EXPECT_EQ(sheet->cell(2, title).hAlign, HAlign::Left);
            // The ten title cells read as one: an outline, no inner lines.
            EXPECT_TRUE(sheet->cell(2, title).left.on && sheet->cell(11, title).right.on);
            for (int c = 2; c <= 11; ++c) {
                EXPECT_TRUE(sheet->cell(c, title).top.on && sheet->cell(c, title).bottom.on) << c;
                if (c > 2) {
                    EXPECT_FALSE(sheet->cell(c, title).left.on) << c;
                }
                EXPECT_TRUE(sheet->cell(c, digits).left.on) << c;
            }
            EXPECT_TRUE(sheet->cell(1, title).top.on && sheet->cell(1, title).left.on);
        }
        EXPECT_EQ(sheet->activeRow(), 0);
    }
}

TEST(LastDigitTrend, DigitTextsAndColours)
{
    const Field null = Field::null();
    const std::vector<DigitCase> cases = {
        {"four numbers ending in 3",
         {draw(1, {3, 13, 23, 33, 43, 7, 10})},
         5,
         {{1, 3, "1", Colours::LightYellow, Colours::Red},
          {5, 3, "33333", Colours::LightPink}, {9, 3, "7", Colours::White}, {2, 3, "0", Colours::White},
          {3, 3, "", Colours::White}, {4, 3, "", Colours::White}, {11, 3, "", Colours::White}}},
        {"two and three of a digit, bonus counted",
         {draw(1, {1, 11, 2, 12, 22, 4, 5})},
         5,
         {{3, 3, "11", Colours::LightCyan}, {4, 3, "222", Colours::LightGreen}, {6, 3, "4", Colours::White},
          {7, 3, "5", Colours::White}}},
        {"incomplete records leave no row; spare rows stay empty",
         {draw(1, {1, 2, 3, 4, 5, 6, null}), draw(2, {10, 20, 30, 40, 1, 2, 3}),
          draw(3, {1, 2, TestHistory::empty(), 4, 5, 6, 7}), draw(4, {1, 11, 21, 2, 4, 5, 6})},
         8,
         {{1, 3, "2"}, {2, 3, "0000", Colours::LightPink}, {3, 3, "1", Colours::White},
          {1, 4, "4"}, {3, 4, "111", Colours::LightGreen}, {1, 5, "", Colours::LightYellow},
          {2, 5, "", Colours::White}, {3, 6, "", Colours::White}, {1, 6, "", Colours::LightYellow},
          {2, 7, "0", Colours::LightPink, Colours::Blue}, {1, 8, "回数"}}},
        {"an empty history is the two caption pairs",
         {},
         4,
         {{1, 1, "回数"}, {2, 2, "0"}, {2, 3, "0"}, {1, 4, "回数"}, {2, 4, LastDigitGrid::title()}}},
    };
    for (const DigitCase &c : cases) {
        SCOPED_TRACE(c.name);
        const Sheet sheet = buildLastDigitTrend(TestHistory::store(c.draws));
        EXPECT_EQ(sheet.maxRows(), c.rows);
        expectCells(sheet, c.cells);
    }
}

TEST(LastDigitTrend, DrawsBeyondTheDataRowsNeverOverwriteTheClosingCaptions)
{
    const Sheet sheet = buildLastDigitTrend(
        TestHistory::store({draw(0, {1, 2, 3, 4, 5, 6, 7}), draw(1, {11, 12, 13, 14, 15, 16, 17})}));
    ASSERT_EQ(sheet.maxRows(), 5);
    expectCells(sheet, {{1, 3, "0"}, {2, 4, "0"}, {1, 5, "回数"}});
}

TEST(LastDigitRuns, RunLengthsByDrawNumber)
{
    const Field null = Field::null();
    // Digit 3 in draws 5, 6, 7 and 10 only.
    const auto spread = plain(12, {draw(5, {3, 1, 2, 4, 5, 6, 8}), draw(6, {1, 13, 2, 4, 5, 6, 8}),
                                   draw(7, {1, 2, 4, 5, 6, 8, 23}), draw(10, {1, 2, 4, 5, 6, 8, 33})});
    // Draw 20 holds 13 and 33, draw 21 holds 43.
    const auto doubled = plain(22, {draw(20, {13, 33, 1, 2, 4, 5, 6}), draw(21, {43, 1, 2, 4, 5, 6, 8})});
    // Digit 7 in draws 1 … 14, draw 8 incomplete.
    std::vector<DrawRecord> broken;
    for (int k = 1; k <= 14; ++k)
        broken.push_back(draw(k, {1, 2, 4, 5, 6, 8, k == 8 ? null : Field(7)}));

    struct Case
    {
        const char *name;
        std::vector<DrawRecord> draws;
        int col;
        std::map<int, QString> byDraw;
    };
    std::map<int, QString> fourteen;
    for (int k = 2; k <= 14; ++k)
        fourteen[k] = QString::number(k - 1);
    const std::vector<Case> cases = {
        {"a run of three then a gap", spread, 5, {{6, "1"}, {7, "2"}}},
        {"two in one draw continue the run", doubled, 5, {{20, "1"}, {21, "2"}}},
        {"fourteen draws in a row", plain(14, [] {
             std::vector<DrawRecord> r;
             for (int k = 1; k <= 14; ++k)
                 r.push_back(draw(k, {7, 1, 2, 4, 5, 6, 8}));
             return r;
         }()), 9, fourteen},
        {"an incomplete draw breaks the run across it", broken, 9,
         {{2, "1"}, {3, "2"}, {4, "3"}, {5, "4"}, {6, "5"}, {7, "6"}, {10, "1"}, {11, "2"}, {12, "3"}, {13, "4"},
          {14, "5"}}},
        {"a digit no number ends in", spread, 2, {}},
        {"the same digit every draw", spread, 3,
         {{2, "1"}, {3, "2"}, {4, "3"}, {5, "4"}, {6, "5"}, {7, "6"}, {8, "7"}, {9, "8"}, {10, "9"}, {11, "10"},
          {12, "11"}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Sheet sheet = buildLastDigitRuns(TestHistory::store(c.draws));
        const int last = int(c.draws.size());
        ASSERT_EQ(sheet.maxRows(), last + 4);
        expectColumn(sheet, c.col, c.byDraw, last);
        // Column 1 numbers every draw row, complete or not.
        for (int k = 1; k <= last; ++k)
            EXPECT_EQ(sheet.text(1, k + 2), QString::number(k));
    }
}

TEST(LastDigitRuns, RunColoursByThreshold)
{
    std::vector<DrawRecord> records;
    for (int k = 1; k <= 14; ++k)
        records.push_back(draw(k, {7, 1, 2, 4, 5, 6, 8}));
    const Sheet sheet = buildLastDigitRuns(TestHistory::store(records));
    const std::vector<std::pair<int, Colour>> thresholds = {
        {1, Colours::LightCyan},    {3, Colours::LightCyan},  {4, Colours::LightGreen}, {6, Colours::LightGreen},
        {7, Colours::LightYellow},  {9, Colours::LightYellow}, {10, RunPurple},         {12, RunPurple},
        {13, Colours::LightPink}};
    for (auto [run, colour] : thresholds)
        expectCells(sheet, {{9, run + 3, QString::number(run), colour}});
    // The first draw of a run and digits without a run keep the grid default.
    expectCells(sheet, {{9, 3, "", Colours::White}, {2, 10, "", Colours::White}});
}

TEST(LastDigitRuns, EmptyHistoryAndOnlyTheFirstStepsOfAList)
{
    const Sheet empty = buildLastDigitRuns(TestHistory::store({}));
    EXPECT_EQ(empty.maxRows(), 4);
    expectCells(empty, {{1, 1, "回数"}, {2, 2, "0"}, {2, 3, "0"}, {1, 4, "回数"}});

    // One draw with three numbers ending in 3: only LastDrawNo = 1 step is
    // examined, so the cell shows 1, not 2.
    const Sheet one = buildLastDigitRuns(TestHistory::store({draw(1, {3, 13, 23, 1, 2, 4, 5})}));
    expectCells(one, {{5, 3, "1", Colours::LightCyan}, {3, 3, ""}});
}
