// 分割6/7/11データ分析: the one family of group-division tables, checked for
// all three groupings: spans, captions, banding, dots and the grey shade of
// missed groups.
#include "analysis/builders.h"
#include "analysis/groupdivision.h"
#include "support/cellexpect.h"
#include "support/history.h"

#include <gtest/gtest.h>

using TestHistory::draw;

namespace {

constexpr Colour Grey = rgb(210, 210, 210);

struct Grouping
{
    const char *name;
    Sheet (*build)(const DrawHistoryStore &);
    std::vector<std::pair<int, int>> spans; // columns of each group
    int titleColumn;
    int frozenCols;
    int captionLength;     // of every caption but the last
    QString lastCaption;
};

std::vector<Grouping> groupings()
{
    return {
        {"six", &buildSixDivision, {{2, 8}, {9, 15}, {16, 22}, {23, 29}, {30, 36}, {37, 44}}, 22, 0, 28,
         QString(16, u' ') + QStringLiteral("Ｆ") + QString(14, u' ')},
        {"seven", &buildSevenDivision, {{2, 7}, {8, 13}, {14, 19}, {20, 25}, {26, 31}, {32, 37}, {38, 44}}, 21, 0,
         24, QString(13, u' ') + QStringLiteral("Ｇ") + QString(10, u' ')},
        {"eleven", &buildElevenDivision,
         {{2, 5}, {6, 9}, {10, 13}, {14, 17}, {18, 21}, {22, 25}, {26, 29}, {30, 33}, {34, 37}, {38, 41}, {42, 44}},
         21, 1, 16, QStringLiteral("   　Ｋ ")},
    };
}

// The background a data row shows in a column without a shade: banded groups
// Ｂ, Ｄ, Ｆ … are light cyan.
Colour bandOf(const Grouping &g, int col)
{
    for (size_t i = 0; i < g.spans.size(); ++i) {
        if (col >= g.spans[i].first && col <= g.spans[i].second)
            return i % 2 == 1 ? Colours::LightCyan : Colours::White;
    }
    return Colours::LightYellow; // columns 1 and 45
}

// Which groups a row shows shaded, judged from its cells.
std::vector<bool> shadedGroups(const Grouping &g, const Sheet &sheet, int row)
{
    std::vector<bool> shaded;
    for (auto [first, last] : g.spans) {
        int grey = 0;
        for (int c = first; c <= last; ++c)
            grey += sheet.cell(c, row).back == Grey;
        EXPECT_TRUE(grey == 0 || grey == last - first + 1) << "partly shaded span " << first;
        shaded.push_back(grey > 0);
    }
    return shaded;
}

} // namespace

TEST(GroupDivision, CaptionsSpansAndBandingOfEachGrouping)
{
    for (const Grouping &g : groupings()) {
        SCOPED_TRACE(g.name);
        const Sheet sheet = g.build(TestHistory::store(TestHistory::generated(3)));
        EXPECT_EQ(sheet.maxCols(), 45);
        EXPECT_EQ(sheet.maxRows(), 6);
        EXPECT_EQ(sheet.frozenRows(), 3);
        EXPECT_EQ(sheet.frozenCols(), g.frozenCols);
        EXPECT_EQ(sheet.scrollBars(), ScrollBars::Both);
        EXPECT_EQ(sheet.text(g.titleColumn, 1), QStringLiteral("数　　 字"));
        for (int c = 2; c <= 44; ++c) {
            if (c != g.titleColumn) {
                EXPECT_TRUE(sheet.text(c, 1).isEmpty()) << c;
            }
        }
        for (size_t i = 0; i < g.spans.size(); ++i) {
            const auto [first, last] = g.spans[i];
            const QString letter(QChar(u'Ａ' + int(i)));
            const QString caption = sheet.text(first, 2);
            if (i + 1 < g.spans.size()) {
                EXPECT_EQ(caption.size(), g.captionLength) << i;
                EXPECT_EQ(caption.trimmed(), letter);
            } else {
                EXPECT_EQ(caption, g.lastCaption);
            }
            EXPECT_EQ(sheet.cell(first, 2).hAlign, HAlign::Left);
            // One outline around each span of the letter row, nothing inside it.
            EXPECT_TRUE(sheet.cell(first, 2).left.on);
            EXPECT_TRUE(sheet.cell(last, 2).right.on);
            for (int c = first; c <= last; ++c) {
                EXPECT_TRUE(sheet.cell(c, 2).top.on && sheet.cell(c, 2).bottom.on) << c;
                if (c > first) {
                    EXPECT_FALSE(sheet.cell(c, 2).left.on) << c;
                }
                EXPECT_EQ(sheet.cell(c, 2).back, bandOf(g, c)) << c;
                EXPECT_EQ(sheet.cell(c, 2).top.colour, Colours::LightBlue);
            }
        }
        // Number captions in blue, draw-number columns red on yellow.
        expectCells(sheet, {{1, 3, "回", Colours::LightYellow, Colours::Red},
                            {2, 3, "1", std::nullopt, Colours::Blue},
                            {44, 3, "43", std::nullopt, Colours::Blue},
                            {45, 3, "回", Colours::LightYellow, Colours::Red},
                            {1, 1, "", Colours::LightYellow, Colours::Red},
                            {2, 1, "", Colours::LightPink},
                            {44, 1, "", Colours::LightPink},
                            {45, 1, "", Colours::LightYellow}});
        EXPECT_EQ(sheet.cell(1, 1).right.on, g.frozenCols == 1);
        EXPECT_EQ(sheet.cell(1, 2).right.on, g.frozenCols == 1);
        EXPECT_TRUE(sheet.cell(2, 1).left.on && sheet.cell(44, 1).right.on && sheet.cell(20, 1).top.on);
    }
}

TEST(GroupDivision, DotsAndShadesOfADraw)
{
    struct Case
    {
        const char *name;
        int grouping; // index into groupings()
        std::array<Field, 7> numbers;
        std::vector<bool> shaded;
    };
    const std::vector<Case> cases = {
        {"seven: a low draw with bonus 43", 1, {1, 2, 3, 4, 5, 6, 43}, {0, 1, 1, 1, 1, 1, 0}},
        {"seven: a group hit only by the bonus is not shaded", 1, {1, 2, 3, 4, 5, 6, 7}, {0, 0, 1, 1, 1, 1, 1}},
        {"eleven: seven numbers in seven groups leave four shaded", 2, {1, 5, 9, 13, 17, 21, 25},
         {0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1}},
        {"eleven: the narrow last group", 2, {1, 2, 3, 4, 5, 6, 7}, {0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {"six: the wide last group", 0, {1, 8, 15, 22, 29, 35, 30}, {0, 0, 0, 0, 0, 1}},
        {"six: 36 and 43 both lie in the last group", 0, {36, 43, 1, 2, 3, 4, 5}, {0, 1, 1, 1, 1, 0}},
    };
    const std::vector<Grouping> all = groupings();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Grouping &g = all[size_t(c.grouping)];
        const Sheet sheet = g.build(TestHistory::store({draw(1, c.numbers)}));
        ASSERT_EQ(sheet.maxRows(), 4);
        EXPECT_EQ(shadedGroups(g, sheet, 4), c.shaded);
        for (int col = 2; col <= 44; ++col) {
            const Cell &cell = sheet.cell(col, 4);
            int position = 0;
            for (int p = 1; p <= 7; ++p) {
                if (c.numbers[size_t(p - 1)].integer() + 1 == col)
                    position = p;
            }
            EXPECT_EQ(cell.text, position ? QStringLiteral("●") : QString()) << col;
            if (position) {
                EXPECT_EQ(cell.fore, position == 7 ? Colours::BonusDot : Colours::MainDot) << col;
            }
            const size_t group = size_t(std::find_if(g.spans.begin(), g.spans.end(),
                                                     [&](auto s) { return col <= s.second; })
                                        - g.spans.begin());
            EXPECT_EQ(cell.back, c.shaded[group] ? Grey : bandOf(g, col)) << col;
        }
        expectCells(sheet, {{1, 4, "1", Colours::LightYellow, Colours::Red},
                            {45, 4, "1", Colours::LightYellow, Colours::Red}});
    }
}

TEST(GroupDivision, EmptyAndIncompleteHistories)
{
    const Field null = Field::null();
    const Field blank = TestHistory::empty();
    for (const Grouping &g : groupings()) {
        SCOPED_TRACE(g.name);
        const Sheet empty = g.build(TestHistory::store({}));
        EXPECT_EQ(empty.maxRows(), 3);
        EXPECT_EQ(empty.text(45, 3), QStringLiteral("回"));

        const Sheet sheet = g.build(TestHistory::store({draw(1, {1, 2, 3, 4, 5, 6, null}),
                                                        draw(2, {10, 20, 30, 40, 41, 42, 43}),
                                                        draw(3, {1, blank, 3, 4, 5, 6, 7})
                                                        , draw(4, {1, 2, 3, 4, 5, 6, 7})}));
        ASSERT_EQ(sheet.maxRows(), 7);
        EXPECT_EQ(sheet.text(1, 4), QStringLiteral("2"));
        EXPECT_EQ(sheet.text(11, 4), QStringLiteral("●"));
        EXPECT_EQ(sheet.text(1, 5), QStringLiteral("4"));
        // The spare rows keep the colours of the set-up and no shade.
        for (int row : {6, 7}) {
            for (int c = 1; c <= 45; ++c) {
                EXPECT_TRUE(sheet.text(c, row).isEmpty()) << c;
                EXPECT_EQ(sheet.cell(c, row).back, bandOf(g, c)) << c;
            }
        }
    }
}

TEST(GroupDivision, NumbersOutsideTheRangeLeaveTheDrawNumbersAlone)
{
    // 0 and 44 have no column; the groups they would miss still count as missed.
    const Sheet sheet = buildSevenDivision(TestHistory::store({draw(5, {0, 1, 2, 3, 4, 5, 44})}));
    ASSERT_EQ(sheet.maxRows(), 8);
    expectCells(sheet, {{1, 4, "5"}, {45, 4, "5"}, {44, 4, "", Grey}, {2, 4, "●", Colours::White, Colours::MainDot}});
}

TEST(GroupDivision, DescriptionsCoverOneToFortyThree)
{
    for (const GroupDivision *d : {&GroupDivision::six(), &GroupDivision::seven(), &GroupDivision::eleven()}) {
        int expected = 1;
        for (int g = 0; g < d->groups; ++g) {
            EXPECT_EQ(d->firstNumber(g), expected);
            for (int n = d->firstNumber(g); n <= d->lastNumber(g); ++n)
                EXPECT_EQ(d->groupOf(n), g) << n;
            expected = d->lastNumber(g) + 1;
        }
        EXPECT_EQ(expected, 44);
        EXPECT_EQ(d->groupOf(0), -1);
        EXPECT_EQ(d->groupOf(44), -1);
    }
}
