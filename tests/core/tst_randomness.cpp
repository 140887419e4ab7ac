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

#include <map>
#include <numeric>
#include <random>

using namespace Randomness;

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

// A history of fair draws, with one number made about twice as frequent
// when biased: in a draw without it, one main number is swapped for it.
std::vector<DrawRecord> history(int count, unsigned seed, int favoured = 0)
{
    std::mt19937 random(seed);
    std::vector<DrawRecord> records;
    for (int n = 1; n <= count; ++n) {
        std::vector<int> numbers(43);
        std::iota(numbers.begin(), numbers.end(), 1);
        std::shuffle(numbers.begin(), numbers.end(), random);
        const bool present = std::find(numbers.begin(), numbers.begin() + 7, favoured) != numbers.begin() + 7;
        if (favoured && !present && std::uniform_real_distribution<>(0, 1)(random) < 0.163)
            numbers[0] = favoured;
        std::array<Field, 7> fields;
        for (int i = 0; i < 7; ++i)
            fields[size_t(i)] = Field(numbers[size_t(i)]);
        records.push_back(TestHistory::draw(n, fields));
    }
    return records;
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
    const Report fair = analyse(TestHistory::store(history(2000, 7)), {});
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

    const Report biased = analyse(TestHistory::store(history(2000, 7, 17)), {});
    const Randomness::Test &frequency = biased.tests.front();
    EXPECT_EQ(frequency.id, QStringLiteral("frequency"));
    EXPECT_LT(frequency.adjustedP, 1e-6);
    EXPECT_TRUE(frequency.verdict().startsWith(QStringLiteral("偶然とは考えにくい偏りがあります (p = ")));
    EXPECT_GT(frequency.bins.observed[16], 1.8 * frequency.bins.expected[16]);
}

TEST(Randomness, RangesAndTooFewDraws)
{
    std::vector<DrawRecord> records = history(30, 3);
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
        {{std::nullopt, 31, std::nullopt}, 0, 0, 0},
        {{std::nullopt, 30, 40}, 1, 30, 30},
    };
    for (const Case &c : cases) {
        const Report r = analyse(store, c.range);
        EXPECT_EQ(r.draws, c.draws);
        EXPECT_EQ(r.firstDraw, c.first);
        EXPECT_EQ(r.lastDraw, c.last);
        EXPECT_EQ(r.problem.isEmpty(), c.draws >= 2) << r.problem.toStdString();
        EXPECT_EQ(r.tests.empty(), c.draws < 2);
    }
    EXPECT_THROW(analyse(store, {std::nullopt, 9, 3}), std::invalid_argument);
    EXPECT_THROW(analyse(store, {0, std::nullopt, std::nullopt}), std::invalid_argument);
    // Two draws can be counted but most tests cannot be made; they say so.
    const Report two = analyse(store, {2, std::nullopt, std::nullopt});
    EXPECT_TRUE(std::any_of(two.tests.begin(), two.tests.end(), [](const Randomness::Test &t) { return !t.tested(); }));
}

TEST(Randomness, CommandLinePrintsEveryTestAsJson)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("Loto6Kermon.mdb"));
    DrawFile::write(db, history(300, 11));
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
}
