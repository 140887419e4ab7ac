// ランダム性の検定: the exact chance distributions, the chi-square p-value,
// bin merging and Holm, and the tests on fair and biased histories.
#include "analysis/randomness.h"
#include "support/history.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "support/drawfile.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <numeric>

using namespace Randomness;
using namespace Significance;

namespace {

// Every k-subset of 1 … n, as a bit mask.
template<typename F>
void eachSubset(int n, int k, F visit)
{
    for (unsigned mask = 0; mask < (1u << n); ++mask) {
        if (__builtin_popcount(mask) == k)
            visit(mask);
    }
}

double total(const std::vector<double> &p)
{
    return std::accumulate(p.begin(), p.end(), 0.0);
}

} // namespace

TEST(Randomness, ExactDistributionsMatchEnumerationOfASmallLottery)
{
    const int n = 15, k = 6;
    std::map<int, double> sums, pairs, lows, evens;
    double subsets = 0;
    eachSubset(n, k, [&](unsigned mask) {
        int sum = 0, adjacent = 0, low = 0, even = 0;
        for (int x = 1; x <= n; ++x) {
            if (!(mask & (1u << (x - 1))))
                continue;
            sum += x;
            adjacent += x > 1 && (mask & (1u << (x - 2)));
            low += x <= 7;
            even += x % 2 == 0;
        }
        sums[sum] += 1;
        pairs[adjacent] += 1;
        lows[low] += 1;
        evens[even] += 1;
        subsets += 1;
    });
    const std::vector<double> sumP = sumDistribution(n, k);
    const std::vector<double> pairP = consecutivePairsDistribution(n, k);
    const std::vector<double> lowP = hypergeometric(n, 7, k);
    const std::vector<double> evenP = hypergeometric(n, 7, k); // 2, 4, … 14
    for (size_t s = 0; s < sumP.size(); ++s)
        EXPECT_NEAR(sumP[s], sums[int(s)] / subsets, 1e-15) << "sum " << s;
    for (size_t j = 0; j < pairP.size(); ++j)
        EXPECT_NEAR(pairP[j], pairs[int(j)] / subsets, 1e-15) << "pairs " << j;
    for (size_t m = 0; m < lowP.size(); ++m) {
        EXPECT_NEAR(lowP[m], lows[int(m)] / subsets, 1e-15) << "low " << m;
        EXPECT_NEAR(evenP[m], evens[int(m)] / subsets, 1e-15) << "even " << m;
    }
    // The real lottery's distributions are probability distributions too.
    for (const std::vector<double> &p : {sumDistribution(43, 6), consecutivePairsDistribution(43, 6),
                                         hypergeometric(43, 21, 6), hypergeometric(43, 7, 6)})
        EXPECT_NEAR(total(p), 1.0, 1e-12);
    EXPECT_EQ(sumDistribution(43, 6).size(), size_t(244)); // sums 0 … 243
}

TEST(Randomness, GapDistributionMatchesEnumerationOfOneNumbersDraws)
{
    // One number is in each draw with chance 6/43, independently: every
    // pattern of presence over the complete draws, with its probability,
    // and the gaps it shows measured in 回数. Draws between complete ones
    // that are missing (4, 7, 8 below) are never seen.
    const double p = 6.0 / 43.0;
    const std::vector<std::vector<int>> ranges{
        {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {1, 2, 3, 5, 6, 9, 10, 11, 12}, {7, 8}, {5, 9}, {1, 2, 3}};
    for (const std::vector<int> &draws : ranges) {
        SCOPED_TRACE(draws.size());
        const size_t n = draws.size();
        std::vector<double> expected(size_t(draws.back() - draws.front()), 0);
        for (unsigned mask = 0; mask < (1u << n); ++mask) {
            const int present = __builtin_popcount(mask);
            const double chance = std::pow(p, present) * std::pow(1 - p, int(n) - present);
            std::optional<int> seen;
            for (size_t i = 0; i < n; ++i) {
                if (!(mask & (1u << i)))
                    continue;
                if (seen)
                    expected[size_t(draws[i] - *seen - 1)] += chance;
                seen = draws[i];
            }
        }
        const double all = total(expected);
        const std::vector<double> gaps = gapDistribution(draws);
        ASSERT_EQ(gaps.size(), expected.size());
        for (size_t g = 0; g < gaps.size(); ++g)
            EXPECT_NEAR(gaps[g], expected[g] / all, 1e-12) << "gap " << g + 1;
    }
}

TEST(Randomness, GapsAreMeasuredInDrawsAcrossIncompleteOnes)
{
    std::vector<DrawRecord> records = TestHistory::fair(400, 5);
    // Draws 101, 102 and 250 … 252 incomplete: a number seen in 100 and 103
    // was away three draws as far as anyone can tell, not one.
    for (const int no : {101, 102, 250, 251, 252})
        records[size_t(no - 1)].numbers[6] = Field();
    const Report report = analyse(TestHistory::store(records), {});
    const Randomness::Test &gap = report.tests[6];
    ASSERT_EQ(gap.id, QStringLiteral("gap"));

    // Each number's gaps from the draws it is in, by subtraction.
    std::map<int, double> seen;
    int acrossHoles = 0;
    for (int x = 1; x <= 43; ++x) {
        std::optional<int> last;
        for (const DrawRecord &r : records) {
            if (!r.isComplete())
                continue;
            const int no = int(*r.drawNo.toNumber());
            bool in = false;
            for (int i = 1; i <= 6; ++i)
                in = in || r.number(i).toNumber() == double(x);
            if (!in)
                continue;
            if (last) {
                seen[no - *last] += 1;
                acrossHoles += (*last <= 100 && no >= 103) || (*last <= 249 && no >= 253);
            }
            last = no;
        }
    }
    ASSERT_GT(acrossHoles, 0);

    // Every bin ("1", "7〜8", "40以上") holds the gaps of its lengths, and
    // its expectation the chance of those lengths in this range.
    std::vector<int> complete;
    for (const DrawRecord &r : records) {
        if (r.isComplete())
            complete.push_back(int(*r.drawNo.toNumber()));
    }
    const std::vector<double> chance = gapDistribution(complete);
    double gaps = 0;
    for (const auto &[length, count] : seen)
        gaps += count;
    for (qsizetype b = 0; b < gap.bins.labels.size(); ++b) {
        const QString &label = gap.bins.labels[b];
        const QStringList ends = QString(label).remove(QStringLiteral("以上")).split(QStringLiteral("〜"));
        const int first = ends.first().toInt();
        const int last = label.endsWith(QStringLiteral("以上")) ? 399 : ends.last().toInt();
        double count = 0, p = 0;
        for (int g = first; g <= last; ++g) {
            count += seen.count(g) ? seen.at(g) : 0;
            p += chance[size_t(g - 1)];
        }
        EXPECT_EQ(gap.bins.observed[size_t(b)], count) << label.toStdString();
        EXPECT_NEAR(gap.bins.expected[size_t(b)], gaps * p, 1e-9) << label.toStdString();
    }
    EXPECT_TRUE(gap.bins.labels.last().endsWith(QStringLiteral("以上")));
}

TEST(Randomness, ChiSquarePValueMatchesTabulatedQuantiles)
{
    struct Row
    {
        double x;
        int df;
        double p;
    };
    // Upper-tail critical values of the chi-square distribution.
    const Row rows[] = {
        {3.841459, 1, 0.05},  {6.634897, 1, 0.01},   {5.991465, 2, 0.05},  {0.1025866, 2, 0.95},
        {11.070498, 5, 0.05}, {15.086272, 5, 0.01},  {18.307038, 10, 0.05}, {3.940299, 10, 0.95},
        {58.124006, 42, 0.05}, {124.342113, 100, 0.05}, {0.0, 3, 1.0},
    };
    for (const Row &r : rows)
        EXPECT_NEAR(chiSquareSurvival(r.x, r.df), r.p, 1e-6) << r.x << " df " << r.df;
    EXPECT_LT(chiSquareSurvival(500, 42), 1e-60);
}

TEST(Randomness, BinsMergeUntilEveryExpectedCountIsFive)
{
    struct Case
    {
        std::vector<double> expected;
        QStringList labels;
        std::vector<double> merged;
        QStringList mergedLabels;
    };
    const Case cases[] = {
        {{1, 2, 3, 10, 6, 2, 1}, {"0", "1", "2", "3", "4", "5", "6"}, {6, 10, 9}, {"0〜2", "3", "4〜6"}},
        {{6, 7, 8}, {"a", "b", "c"}, {6, 7, 8}, {"a", "b", "c"}},
        {{2, 1}, {"1", "2以上"}, {3}, {"1以上"}},
        {{10, 3, 1, 1}, {"1", "2", "3", "4以上"}, {10, 5}, {"1", "2以上"}},
    };
    for (const Case &c : cases) {
        Binned raw;
        raw.labels = c.labels;
        raw.expected = c.expected;
        raw.observed = c.expected;
        const Binned merged = mergeBins(raw);
        EXPECT_EQ(merged.expected, c.merged);
        EXPECT_EQ(merged.observed, c.merged);
        EXPECT_EQ(merged.labels, c.mergedLabels);
    }
}

TEST(Randomness, HolmAdjustsInStepsAndKeepsTheOrder)
{
    const std::vector<double> adjusted = holmAdjust({0.04, 0.01, 0.03, 0.5});
    const std::vector<double> expected{0.09, 0.04, 0.09, 0.5};
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(adjusted[i], expected[i], 1e-12) << i;
}

TEST(Randomness, FairHistoryPassesAndAPlantedBiasIsFound)
{
    const Report fair = analyse(TestHistory::store(TestHistory::fair(2000, 7)), {});
    ASSERT_TRUE(fair.problem.isEmpty());
    ASSERT_EQ(fair.tests.size(), size_t(9));
    for (const Randomness::Test &t : fair.tests) {
        SCOPED_TRACE(t.id.toStdString());
        ASSERT_TRUE(t.tested());
        EXPECT_GE(t.adjustedP, 0.05);
        EXPECT_EQ(t.verdict(), QStringLiteral("偶然の範囲内です"));
        EXPECT_EQ(t.df + 1, int(t.bins.expected.size()));
        EXPECT_NEAR(total(t.bins.expected), total(t.bins.observed), 1e-6);
        for (double e : t.bins.expected)
            EXPECT_GE(e, 5.0);
    }

    const Report biased = analyse(TestHistory::store(TestHistory::fair(2000, 7, 17)), {});
    const Randomness::Test &frequency = biased.tests.front();
    EXPECT_EQ(frequency.id, QStringLiteral("frequency"));
    EXPECT_LT(frequency.adjustedP, 1e-6);
    EXPECT_TRUE(frequency.verdict().startsWith(QStringLiteral("偶然とは考えにくい偏りがあります (p = ")));
    EXPECT_GT(frequency.bins.observed[16], 1.8 * frequency.bins.expected[16]);
}

TEST(Randomness, FairDrawsAreFoundBiasedAtTheStatedRate)
{
    // bench_randomness measures this in full; here three seeds, each a long
    // fair history cut into ranges of 30 and of 60 draws. At a stated 5 %
    // about 5 % of fair ranges are called biased, and p is spread evenly.
    for (const int size : {30, 60}) {
        SCOPED_TRACE(size);
        const int ranges = 100;
        std::map<QString, std::vector<double>> p;
        int alarms = 0;
        for (const unsigned seed : {1u, 2u, 3u}) {
            const DrawHistoryStore store = TestHistory::store(TestHistory::fair(size * ranges, seed));
            for (int r = 0; r < ranges; ++r) {
                const Report report = analyse(store, {std::nullopt, r * size + 1, (r + 1) * size});
                bool alarm = false;
                for (const Randomness::Test &t : report.tests) {
                    ASSERT_TRUE(t.tested()) << t.id.toStdString();
                    p[t.id].push_back(t.p);
                    alarm = alarm || t.adjustedP < 0.05;
                }
                alarms += alarm;
            }
        }
        for (const auto &[id, values] : p) {
            SCOPED_TRACE(id.toStdString());
            const double n = double(values.size());
            const double rejected = double(std::count_if(values.begin(), values.end(), [](double v) { return v < 0.05; }));
            EXPECT_GE(rejected / n, 0.015);
            EXPECT_LE(rejected / n, 0.10);
            EXPECT_NEAR(total(values) / n, 0.5, 0.1);
        }
        EXPECT_LE(alarms, 0.08 * 3 * ranges);
    }
}

TEST(Randomness, RangesAndTooFewDraws)
{
    std::vector<DrawRecord> records = TestHistory::fair(30, 3);
    records[4].numbers[2] = TestHistory::empty(); // incomplete: left out
    records[5].numbers[3] = records[5].numbers[4]; // a repeated number: left out
    const DrawHistoryStore store = TestHistory::store(records);

    struct Case
    {
        Range range;
        int draws, first, last;
    };
    const Case cases[] = {
        {{}, 28, 1, 30},
        {{10, std::nullopt, std::nullopt}, 10, 21, 30},
        {{std::nullopt, 3, 8}, 4, 3, 8},
        {{std::nullopt, 30, std::nullopt}, 1, 30, 30},
        {{28, std::nullopt, std::nullopt}, 28, 1, 30},
    };
    for (const Case &c : cases) {
        const Report r = analyse(store, c.range);
        EXPECT_EQ(r.draws, c.draws);
        EXPECT_EQ(r.firstDraw, c.first);
        EXPECT_EQ(r.lastDraw, c.last);
        EXPECT_EQ(r.problem.isEmpty(), c.draws >= 2) << r.problem.toStdString();
        EXPECT_EQ(r.tests.empty(), c.draws < 2);
    }
    // A range reaching outside the history is refused, never cut to fit:
    // the report would not be about the draws asked for.
    struct Refused
    {
        Range range;
        const char *message;
    };
    const Refused refused[] = {
        {{std::nullopt, 9, 3}, "開始回（9）が終了回（3）より後です。"},
        {{0, std::nullopt, std::nullopt}, "直近の回数は1から28までで指定してください（指定: 0）。"},
        {{29, std::nullopt, std::nullopt}, "直近の回数は1から28までで指定してください（指定: 29）。"},
        {{std::nullopt, -5, std::nullopt}, "検定する範囲は第1回から第30回までの間で指定してください（指定: -5〜30）。"},
        {{std::nullopt, 1, 99999}, "検定する範囲は第1回から第30回までの間で指定してください（指定: 1〜99999）。"},
        {{std::nullopt, std::nullopt, 31}, "検定する範囲は第1回から第30回までの間で指定してください（指定: 1〜31）。"},
    };
    for (const Refused &r : refused) {
        try {
            analyse(store, r.range);
            ADD_FAILURE() << r.message;
        } catch (const std::invalid_argument &error) {
            EXPECT_EQ(QString::fromStdString(error.what()), QString::fromUtf8(r.message));
        }
    }
    // Two draws can be counted but most tests cannot be made; they say so.
    const Report two = analyse(store, {2, std::nullopt, std::nullopt});
    EXPECT_TRUE(std::any_of(two.tests.begin(), two.tests.end(), [](const Randomness::Test &t) { return !t.tested(); }));
}

TEST(Randomness, CommandLinePrintsEveryTestAsJson)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("Loto6Kermon.mdb"));
    DrawFile::write(db, TestHistory::fair(300, 11));
    QProcess cli;
    cli.start(QStringLiteral(LOTO6_CLI), {QStringLiteral("randomness"), QStringLiteral("--last"), QStringLiteral("200"),
                                          QStringLiteral("--db"), db});
    ASSERT_TRUE(cli.waitForFinished(60000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const QJsonObject root = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
    EXPECT_EQ(root.value(QStringLiteral("from")).toInt(), 101);
    EXPECT_EQ(root.value(QStringLiteral("draws")).toInt(), 200);
    const QJsonArray tests = root.value(QStringLiteral("tests")).toArray();
    ASSERT_EQ(tests.size(), 9);
    const QJsonObject first = tests.first().toObject();
    EXPECT_EQ(first.value(QStringLiteral("bins")).toArray().size(), 43);
    EXPECT_NEAR(first.value(QStringLiteral("p")).toDouble(),
                chiSquareSurvival(first.value(QStringLiteral("statistic")).toDouble(),
                                  first.value(QStringLiteral("df")).toInt()),
                1e-12);

    cli.start(QStringLiteral(LOTO6_CLI), {QStringLiteral("randomness"), QStringLiteral("--from"), QStringLiteral("300"),
                                          QStringLiteral("--db"), db});
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(cli.readAllStandardError()).contains(QStringLiteral("2回以上")));

    // Ranges outside the history are refused as backtest refuses them: exit
    // 1, the reason on stderr, and in JSON an object with "error".
    const QStringList outside[] = {
        {QStringLiteral("--from"), QStringLiteral("1"), QStringLiteral("--to"), QStringLiteral("99999")},
        {QStringLiteral("--from"), QStringLiteral("-5")},
        {QStringLiteral("--last"), QStringLiteral("99999")},
    };
    for (const QStringList &range : outside) {
        for (const QString &format : {QStringLiteral("json"), QStringLiteral("csv")}) {
            cli.start(QStringLiteral(LOTO6_CLI), QStringList{QStringLiteral("randomness"), QStringLiteral("--db"), db,
                                                             QStringLiteral("--format"), format} + range);
            ASSERT_TRUE(cli.waitForFinished(60000));
            EXPECT_EQ(cli.exitCode(), 1) << range.join(' ').toStdString();
            const QString error = QString::fromUtf8(cli.readAllStandardError()).trimmed();
            EXPECT_TRUE(error.contains(QStringLiteral("指定してください"))) << error.toStdString();
            EXPECT_EQ(QJsonDocument::fromJson(cli.readAllStandardOutput()).object().value(QStringLiteral("error")).toString(),
                      format == QLatin1String("json") ? error : QString());
        }
    }
}
