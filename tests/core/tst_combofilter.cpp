// Filters over all lines: counts, each filter's exact chance and its past
// pass rate against a plain enumeration from the definitions.
#include "prediction/combofilter.h"
#include "support/history.h"

#include <gtest/gtest.h>

#include <algorithm>

using ComboFilter::Filter;
using ComboFilter::Line;
using ComboFilter::Measure;

namespace {

// The groups of each division, written out as the analysis windows show them.
std::vector<std::pair<int, int>> groupsOf(int division)
{
    switch (division) {
    case 5:
        return {{1, 9}, {10, 19}, {20, 29}, {30, 39}, {40, 43}};
    case 6:
        return {{1, 7}, {8, 14}, {15, 21}, {22, 28}, {29, 35}, {36, 43}};
    case 7:
        return {{1, 6}, {7, 12}, {13, 18}, {19, 24}, {25, 30}, {31, 36}, {37, 43}};
    default:
        return {{1, 4}, {5, 8}, {9, 12}, {13, 16}, {17, 20}, {21, 24}, {25, 28}, {29, 32}, {33, 36}, {37, 40}, {41, 43}};
    }
}

// Whether the line passes the filter, from the definition, one pair at a time.
bool plainPasses(const Filter &f, const Line &line, const Line *previous)
{
    const auto within = [&](int v) { return v >= f.min && v <= f.max; };
    int value = 0;
    switch (f.measure) {
    case Measure::Sum:
        for (int n : line)
            value += n;
        return within(value);
    case Measure::Odd:
        return within(int(std::count_if(line.begin(), line.end(), [](int n) { return n % 2 == 1; })));
    case Measure::Low:
        return within(int(std::count_if(line.begin(), line.end(), [](int n) { return n <= 21; })));
    case Measure::Consecutive:
    case Measure::LastDigit:
        for (size_t i = 0; i < 6; ++i) {
            for (size_t j = i + 1; j < 6; ++j) {
                value += f.measure == Measure::Consecutive ? std::abs(line[i] - line[j]) == 1 : line[i] % 10 == line[j] % 10;
            }
        }
        return within(value);
    case Measure::Previous:
        for (int n : line)
            value += int(std::count(previous->begin(), previous->end(), n));
        return within(value);
    case Measure::Groups:
        for (const auto &[low, high] : groupsOf(f.division)) {
            const int in = int(std::count_if(line.begin(), line.end(), [&](int n) { return n >= low && n <= high; }));
            if (!within(in))
                return false;
        }
        return true;
    }
    return false;
}

struct FilterSet
{
    std::vector<int> numbers;
    std::vector<Filter> filters;
};

struct Expected
{
    long long count = 0;
    std::vector<long long> fair;
    std::vector<Line> lines;
};

} // namespace

TEST(ComboFilter, CountsChancesAndPastRatesMatchAPlainEnumeration)
{
    const DrawHistoryStore store = TestHistory::store(TestHistory::bundled());
    const std::vector<Line> history = ComboFilter::pastDraws(store);
    ASSERT_EQ(history.size(), 2130u);
    const std::vector<FilterSet> sets{
        {{},
         {{Measure::Sum, 100, 160}, {Measure::Odd, 2, 4}, {Measure::Low, 2, 4}, {Measure::Consecutive, 0, 1},
          {Measure::LastDigit, 0, 2}}},
        {{}, {{Measure::Previous, 1, 2}, {Measure::Groups, 0, 2, 7}, {Measure::Sum, 80, 180}, {Measure::Groups, 0, 1, 11}}},
        {{1, 4, 5, 9, 12, 13, 17, 20, 22, 26, 28, 31, 33, 35, 38, 40, 41, 43},
         {{Measure::Groups, 1, 2, 5}, {Measure::Consecutive, 1, 3}, {Measure::LastDigit, 0, 1}, {Measure::Odd, 3, 3},
          {Measure::Groups, 0, 3, 11}}}, // two divisions at once
    };
    std::vector<Expected> expected(sets.size());
    for (size_t s = 0; s < sets.size(); ++s)
        expected[s].fair.assign(sets[s].filters.size(), 0);
    Line line{};
    for (line[0] = 1; line[0] <= 38; ++line[0])
        for (line[1] = line[0] + 1; line[1] <= 39; ++line[1])
            for (line[2] = line[1] + 1; line[2] <= 40; ++line[2])
                for (line[3] = line[2] + 1; line[3] <= 41; ++line[3])
                    for (line[4] = line[3] + 1; line[4] <= 42; ++line[4])
                        for (line[5] = line[4] + 1; line[5] <= 43; ++line[5]) {
                            for (size_t s = 0; s < sets.size(); ++s) {
                                const FilterSet &set = sets[s];
                                bool all = true;
                                for (size_t f = 0; f < set.filters.size(); ++f) {
                                    const bool pass = plainPasses(set.filters[f], line, &history.back());
                                    expected[s].fair[f] += pass;
                                    all = all && pass;
                                }
                                const bool candidate = set.numbers.empty() || std::all_of(line.begin(), line.end(), [&](int n) {
                                    return std::count(set.numbers.begin(), set.numbers.end(), n) > 0;
                                });
                                if (all && candidate) {
                                    ++expected[s].count;
                                    if (!set.numbers.empty())
                                        expected[s].lines.push_back(line);
                                }
                            }
                        }

    for (size_t s = 0; s < sets.size(); ++s) {
        const FilterSet &set = sets[s];
        const ComboFilter::Request request{set.numbers, set.filters};
        ASSERT_FALSE(ComboFilter::problem(request, history));
        std::vector<Line> lines;
        const ComboFilter::Result result = ComboFilter::run(request, history, [&](const Line &l) { lines.push_back(l); });
        EXPECT_EQ(result.count, expected[s].count) << "set " << s;
        EXPECT_EQ((long long)lines.size(), result.count);
        EXPECT_EQ(result.considered, set.numbers.empty() ? ComboFilter::AllLines : 18564);
        if (!set.numbers.empty()) {
            EXPECT_EQ(lines, expected[s].lines);
        }
        ASSERT_EQ(result.filters.size(), set.filters.size());
        for (size_t f = 0; f < set.filters.size(); ++f) {
            const ComboFilter::FilterStat &stat = result.filters[f];
            EXPECT_EQ(stat.fairLines, expected[s].fair[f]) << ComboFilter::filterText(set.filters[f]).toStdString();
            EXPECT_DOUBLE_EQ(stat.chance(), double(expected[s].fair[f]) / 6096454.0);
            // The past: every draw, measured against the draw before it for Previous.
            const bool previous = set.filters[f].measure == Measure::Previous;
            int passed = 0;
            for (size_t i = previous ? 1 : 0; i < history.size(); ++i)
                passed += plainPasses(set.filters[f], history[i], previous ? &history[i - 1] : nullptr);
            EXPECT_EQ(stat.pastDraws, int(history.size()) - (previous ? 1 : 0));
            EXPECT_EQ(stat.pastPassed, passed) << ComboFilter::filterText(set.filters[f]).toStdString();
        }
    }
}

TEST(ComboFilter, PastDrawsAreTheCompleteOnesSorted)
{
    using TestHistory::draw;
    const DrawHistoryStore store = TestHistory::store({draw(1, {7, 3, 43, 1, 20, 11, 5}),
                                                       draw(2, {1, 2, 3, 4, 5, TestHistory::empty(), 7}),
                                                       draw(3, {9, 8, 7, 6, 5, 4, 3})});
    EXPECT_EQ(ComboFilter::pastDraws(store), (std::vector<Line>{{1, 3, 7, 11, 20, 43}, {4, 5, 6, 7, 8, 9}}));
}

TEST(ComboFilter, RefusesWithAReason)
{
    const std::vector<Line> history{{1, 2, 3, 4, 5, 6}};
    struct Case
    {
        ComboFilter::Request request;
        std::vector<Line> history;
        const char *message;
    };
    const Case cases[] = {
        {{{}, {{Measure::Sum, 160, 100}}}, history, "合計 160～100: 範囲は小さい方から書いてください。"},
        {{{}, {{Measure::Groups, 0, 2, 8}}}, history, "分割は 5、6、7、11 のどれかです: 8"},
        {{{}, {{Measure::Previous, 0, 1}}}, {}, "前回の当選数字がないため、「前回の本数字と共通」の条件は使えません。"},
        {{{1, 2, 3}, {}}, history, "候補の数字は 6 個から 43 個です（3 個あります）。"},
        {{{}, {{Measure::Previous, 0, 1}, {Measure::Groups, 0, 2, 6}}}, history, nullptr},
    };
    for (const Case &c : cases) {
        const std::optional<QString> problem = ComboFilter::problem(c.request, c.history);
        if (!c.message) {
            EXPECT_FALSE(problem);
            continue;
        }
        ASSERT_TRUE(problem) << c.message;
        EXPECT_EQ(*problem, QString::fromUtf8(c.message));
    }
    EXPECT_EQ(ComboFilter::filterText({Measure::Groups, 0, 2, 7}), QStringLiteral("7分割の各グループ 0～2個"));
    EXPECT_EQ(ComboFilter::filterText({Measure::Odd, 3, 3}), QStringLiteral("奇数 3個"));
}
