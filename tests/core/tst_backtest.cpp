// The walk-forward test: scoring and tiers, the random baseline, the fast
// walk against a fresh prediction on every prefix, ranges, the search and
// the command line.
#include "prediction/backtest.h"
#include "prediction/backtestexport.h"
#include "prediction/backtestwheel.h"
#include "analysis/significance.h"
#include "prediction/backtestsheets.h"
#include "store/drawcsv.h"
#include "support/drawfile.h"
#include "support/history.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <numeric>
#include <random>
#include <set>
#include <tuple>

using namespace Backtest;

namespace {

ReflectFlags setFlags(int set)
{
    ReflectFlags flags{};
    for (int k = 0; k < ReflectFlagCount; ++k)
        flags[size_t(k)] = (set >> k) & 1;
    return flags;
}

void expectSameDraws(const Result &fast, const Result &reference)
{
    ASSERT_EQ(fast.draws.size(), reference.draws.size());
    for (size_t i = 0; i < fast.draws.size(); ++i) {
        const DrawResult &a = fast.draws[i];
        const DrawResult &b = reference.draws[i];
        ASSERT_EQ(a.draw, b.draw);
        ASSERT_EQ(a.error, b.error) << "draw " << a.draw;
        for (int m = 0; m < MethodCount; ++m) {
            ASSERT_EQ(a.sets[size_t(m)].numbers, b.sets[size_t(m)].numbers) << "draw " << a.draw << " method " << m;
            ASSERT_EQ(a.sets[size_t(m)].hits, b.sets[size_t(m)].hits);
            ASSERT_EQ(a.sets[size_t(m)].bonus, b.sets[size_t(m)].bonus);
        }
    }
}

} // namespace

TEST(Backtest, WinningTicketsPerTier)
{
    struct Case
    {
        int k, m;
        bool bonus;
        Tiers tiers;
    };
    const std::vector<Case> cases = {
        {6, 6, false, {1, 0, 0, 0, 0}},
        {6, 5, true, {0, 1, 0, 0, 0}},
        {6, 5, false, {0, 0, 1, 0, 0}},
        {6, 3, true, {0, 0, 0, 0, 1}},
        {6, 2, true, {0, 0, 0, 0, 0}},
        // Twelve numbers with five main and the bonus: 924 tickets.
        {12, 5, true, {0, 1, 6, 5 * 21, 10 * 35}},
        {12, 5, false, {0, 0, 7, 5 * 21, 10 * 35}},
        {12, 0, true, {0, 0, 0, 0, 0}},
        {21, 6, true, {1, 6, 6 * 14, 15 * 105, 20 * 455}},
        {21, 4, false, {0, 0, 0, 1 * 136, 4 * 680}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(winningTickets(c.k, c.m, c.bonus), c.tiers) << c.k << " " << c.m << " " << c.bonus;
    }
}

TEST(Backtest, BaselineMatchesEnumeration)
{
    // Every k-subset of 1 … 43 against the draw {1 … 6} with bonus 7.
    for (int k = 1; k <= 6; ++k) {
        std::array<double, 7> count{};
        ExpectedTiers tiers{};
        double sum = 0, sumSq = 0, total = 0;
        std::vector<int> pick(static_cast<size_t>(k), 0);
        for (int i = 0; i < k; ++i)
            pick[size_t(i)] = i + 1;
        while (true) {
            int m = 0;
            bool bonus = false;
            for (const int n : pick) {
                m += n <= 6;
                bonus |= n == 7;
            }
            count[size_t(m)] += 1;
            sum += m;
            sumSq += m * m;
            total += 1;
            const Tiers won = winningTickets(k, m, bonus);
            for (int t = 0; t < TierCount; ++t)
                tiers[size_t(t)] += double(won[size_t(t)]);
            int i = k - 1;
            while (i >= 0 && pick[size_t(i)] == 43 - (k - 1 - i))
                --i;
            if (i < 0)
                break;
            ++pick[size_t(i)];
            for (int j = i + 1; j < k; ++j)
                pick[size_t(j)] = pick[size_t(j - 1)] + 1;
        }
        const Baseline b = baseline(k);
        for (int m = 0; m <= 6; ++m)
            EXPECT_NEAR(b.hitProbability[size_t(m)], count[size_t(m)] / total, 1e-12) << k << " " << m;
        EXPECT_NEAR(b.expectedHits, sum / total, 1e-12);
        EXPECT_NEAR(b.variance, sumSq / total - (sum / total) * (sum / total), 1e-12);
        for (int t = 0; t < TierCount; ++t)
            EXPECT_NEAR(b.expectedTiers[size_t(t)], tiers[size_t(t)] / total, 1e-12) << k << " tier " << t;
    }
    // One draw, one number: the best of n pickers hits unless all n miss.
    EXPECT_NEAR(expectedBestOf({1}, 10), 1 - std::pow(37.0 / 43.0, 10), 1e-12);
    EXPECT_NEAR(expectedBestOf({6, 6, 6}, 1), 3 * 36.0 / 43.0, 1e-12);
}

TEST(Backtest, SevenMethodsAreJudgedByTheirHolmAdjustedP)
{
    // The verdict reads the adjusted p: a method under 5 % on its own but
    // not once seven were tried is not called better.
    struct Case
    {
        double z, p, adjustedP;
        Verdict verdict;
    };
    const Case cases[] = {
        {2.5, 0.012, 0.084, Verdict::NotDistinguishable},
        {3.2, 0.0014, 0.0098, Verdict::Better},
        {-3.2, 0.0014, 0.0098, Verdict::Worse},
        {0.3, 0.76, 1.0, Verdict::NotDistinguishable},
    };
    for (const Case &c : cases) {
        MethodSummary s;
        s.tested = 100;
        s.variance = 50;
        s.z = c.z;
        s.p = c.p;
        s.adjustedP = c.adjustedP;
        EXPECT_EQ(verdict(s), c.verdict) << c.z;
    }

    // A run adjusts the p of the methods it could test, Holm across them.
    for (const Range &range : {Range{101, 400}, Range{1, 1}}) {
        const Result r = *run(TestHistory::store(TestHistory::generated(400)), range, setFlags(0x21));
        std::vector<double> p;
        std::vector<int> tested;
        for (int m = 0; m < MethodCount; ++m) {
            if (verdict(r.methods[size_t(m)]) != Verdict::NotTested) {
                p.push_back(r.methods[size_t(m)].p);
                tested.push_back(m);
            }
        }
        const std::vector<double> adjusted = Significance::holmAdjust(p);
        for (size_t i = 0; i < tested.size(); ++i)
            EXPECT_DOUBLE_EQ(r.methods[size_t(tested[i])].adjustedP, adjusted[i]) << methodName(tested[i]).toStdString();
        if (range.from == 101) {
            EXPECT_EQ(tested.size(), size_t(MethodCount));
        }
    }
}

TEST(Backtest, ChartTicksAreRound)
{
    struct Case
    {
        double span;
        int steps;
        double interval;
    };
    const Case cases[] = {
        {2029, 8, 500}, {2029, 4, 1000}, {130, 8, 20}, {80, 8, 10}, {1000, 5, 200}, {96, 8, 20},
        {3, 8, 1}, {0, 8, 1}, {-5, 8, 1}, {45000, 8, 10000},
    };
    for (const Case &c : cases)
        EXPECT_EQ(BacktestSheets::roundTickInterval(c.span, c.steps), c.interval) << c.span << " / " << c.steps;
}

TEST(Backtest, ChartAxesRunFromRoundValueToRoundValue)
{
    // Labels on multiples of the step, 0 among them where the range crosses it.
    struct Case
    {
        double low, high;
        double min, max, interval;
    };
    const Case cases[] = {
        {-57, 63, -60, 80, 20}, {-3.5, 71.2, -10, 80, 10}, {101, 2130, 0, 2500, 500}, {0, 0, 0, 1, 1}, {5, 2, 2, 5, 1},
    };
    for (const Case &c : cases) {
        const BacktestSheets::AxisTicks axis = BacktestSheets::roundAxis(c.low, c.high, 8);
        EXPECT_EQ(axis.min, c.min) << c.low << " … " << c.high;
        EXPECT_EQ(axis.max, c.max) << c.low << " … " << c.high;
        EXPECT_EQ(axis.interval, c.interval) << c.low << " … " << c.high;
        EXPECT_EQ(axis.count, int((c.max - c.min) / c.interval) + 1);
    }
}

TEST(Backtest, TheBestOfManyIsMeasuredAgainstTheBestOfAsManyRandomPickers)
{
    // n pickers each take ks[i] random numbers on draw i: how often does the
    // best total reach the mark? Counted by playing it many times.
    struct Case
    {
        std::vector<int> ks;
        int n;
        long long hits;
    };
    const Case cases[] = {{{6, 6, 6, 6, 6}, 1, 2}, {{6, 6, 6, 6, 6, 6, 6, 6}, 20, 4}, {{9, 9, 12, 12, 15}, 5, 7}};
    std::mt19937 random(20261208u);
    const auto hitsOf = [&random](int k) {
        std::array<int, 43> numbers{};
        std::iota(numbers.begin(), numbers.end(), 1);
        int hits = 0;
        for (int i = 0; i < k; ++i) {
            std::swap(numbers[size_t(i)], numbers[size_t(i) + random() % size_t(43 - i)]);
            hits += numbers[size_t(i)] <= 6; // the draw is 1 … 6 by symmetry
        }
        return hits;
    };
    constexpr int Trials = 20000;
    for (const Case &c : cases) {
        int reached = 0;
        for (int t = 0; t < Trials; ++t) {
            long long best = 0;
            for (int p = 0; p < c.n; ++p) {
                long long total = 0;
                for (const int k : c.ks)
                    total += hitsOf(k);
                best = std::max(best, total);
            }
            reached += best >= c.hits ? 1 : 0;
        }
        EXPECT_NEAR(chanceBestReaches(c.ks, c.n, c.hits), double(reached) / Trials, 0.012) << c.n << " pickers, " << c.hits;
    }
    EXPECT_EQ(chanceBestReaches({6}, 3, 0), 1.0);
    EXPECT_EQ(chanceBestReaches({6}, 3, 7), 0.0);
}

TEST(Backtest, SearchTextEndsWithItsVerdict)
{
    // The first half judged by the chance of the best random picker, the
    // second as it stands; the last line says in plain words what holds.
    struct Case
    {
        const char *name;
        double firstChance;
        double secondZ;
        double secondP;
        QString ending;
    };
    const Case cases[] = {
        {"first half beyond luck, second half like chance", 0.02, 0.09, 0.93,
         QStringLiteral("でたらめに選んだ場合と区別できませんでした。この設定が当たりやすいとは言えません。")},
        {"first half luck", 0.4, 0.5, 0.6, QStringLiteral("この設定が当たりやすいとは言えません。")},
        {"second half better", 0.02, 2.6, 0.009, QStringLiteral("でたらめに選ぶより当たりました（5%水準で有意）。")},
        {"second half worse", 0.3, -2.6, 0.009, QStringLiteral("この設定が当たりやすいとは言えません。")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SearchResult r;
        r.setsTried = 4096;
        r.distinctPredictions = 93;
        MethodSummary &first = r.firstHalfOneShot;
        first.tested = 1000;
        first.variance = 700;
        first.z = 3.5;
        first.p = 0.0004;
        first.adjustedP = c.firstChance;
        MethodSummary &second = r.secondHalfResult.methods[OneShot];
        second.tested = 1000;
        second.variance = 700;
        second.z = c.secondZ;
        second.p = second.adjustedP = c.secondP;
        const QStringList lines = searchText(r).split(QLatin1Char('\n'));
        EXPECT_TRUE(lines.last().startsWith(QStringLiteral("まとめ: "))) << lines.last().toStdString();
        EXPECT_TRUE(lines.last().endsWith(c.ending)) << lines.last().toStdString();
        // The first half's line names the number its verdict follows, not the p that ignores the choice.
        EXPECT_TRUE(searchText(r).contains(QStringLiteral("p = %1 によります").arg(c.firstChance, 0, 'f', 3)));
        EXPECT_FALSE(searchText(r).contains(QStringLiteral("0.000")));
    }
}

TEST(Backtest, FastWalkEqualsAFreshPredictionOnEveryPrefix)
{
    // A plain history, and one with gaps, incomplete records, a bad target
    // and numbers outside 1 … 43 in the history.
    std::vector<DrawRecord> odd = TestHistory::generated(140);
    odd.erase(odd.begin() + 60, odd.begin() + 63);
    odd[20].numbers[3] = TestHistory::empty();
    odd[45].numbers[6] = Field();
    odd[70].numbers[2] = Field(44);
    odd[90].numbers[0] = Field(0);
    const std::vector<DrawRecord> bundled = TestHistory::bundled();
    const std::vector<std::vector<DrawRecord>> histories{TestHistory::generated(130), odd, bundled};
    for (const std::vector<DrawRecord> &records : histories) {
        const DrawHistoryStore store = TestHistory::store(records);
        for (const int set : {0, 1, 2 | 8, 4095, 0x555}) {
            // The bundled history over its last draws only: each reference
            // prediction walks the whole history.
            const Range range{store.LastDrawNo > 1000 ? store.LastDrawNo - 25 : 1, store.LastDrawNo};
            const std::optional<Result> fast = run(store, range, setFlags(set));
            ASSERT_TRUE(fast);
            const Result reference = runReference(store, range, setFlags(set));
            SCOPED_TRACE(set);
            expectSameDraws(*fast, reference);
            EXPECT_EQ(BacktestExport::json(*fast), BacktestExport::json(reference));
        }
    }
    // The first target has no history at all: elimination still yields its
    // addends, the shot methods nothing.
    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(5));
    const Result first = *run(store, {1, 1}, {});
    ASSERT_EQ(first.draws.size(), 1u);
    EXPECT_EQ(first.draws[0].sets[Elimination].numbers, (std::vector<int>{1, 12, 16, 17, 22, 24, 32}));
    EXPECT_TRUE(first.draws[0].sets[OneShot].numbers.empty());
}

TEST(Backtest, AHistoryThePredictionCannotTakeIsThatDrawsError)
{
    std::vector<DrawRecord> records = TestHistory::generated(30);
    records[10].numbers[0] = Field(32760); // elimination adds 22: overflow
    const DrawHistoryStore store = TestHistory::store(records);
    const Result fast = *run(store, {1, 30}, {});
    expectSameDraws(fast, runReference(store, {1, 30}, {}));
    int failed = 0;
    for (const DrawResult &d : fast.draws)
        failed += !d.error.isEmpty();
    EXPECT_GT(failed, 0);
    EXPECT_EQ(fast.methods[OneShot].tested, int(fast.draws.size()) - failed);
    EXPECT_TRUE(BacktestExport::json(fast).contains(QStringLiteral("\"error\":\"オーバーフローしました。\"")));

    // The draw table shows the failure on its row; the other rows mark what hit.
    const Sheet sheet = BacktestSheets::draws(fast);
    for (size_t i = 0; i < fast.draws.size(); ++i) {
        const DrawResult &d = fast.draws[i];
        const int row = int(i) + 2;
        if (!d.error.isEmpty()) {
            EXPECT_EQ(sheet.text(3, row), d.error);
            continue;
        }
        const SetScore &s = d.sets[Elimination];
        const QString cell = sheet.text(3 + 2 * Elimination, row);
        EXPECT_EQ(int(cell.count(QLatin1Char('['))), s.hits) << cell.toStdString();
        EXPECT_EQ(cell.contains(QStringLiteral("(%1)").arg(d.bonusNumber)), s.bonus) << cell.toStdString();
        EXPECT_EQ(sheet.cell(3 + 2 * Elimination, row).back == Colours::White, s.hits == 0);
    }
}

TEST(Backtest, CancellingLeavesNoPartialResult)
{
    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(120));
    int calls = 0;
    const auto stopAtFive = [&calls](int done, int total) {
        ++calls;
        EXPECT_LE(done, total);
        return done < 5;
    };
    EXPECT_FALSE(run(store, {101, 120}, {}, stopAtFive));
    EXPECT_EQ(calls, 5);
    EXPECT_FALSE(search(store, {101, 120}, stopAtFive));
    int last = 0;
    EXPECT_TRUE(search(store, {101, 120}, [&last](int done, int total) {
        EXPECT_GT(done, last);
        last = done;
        return done <= total;
    }));
    EXPECT_EQ(last, 20);
}

TEST(Backtest, Ranges)
{
    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(120));
    EXPECT_EQ(defaultRange(store).from, 101);
    EXPECT_EQ(defaultRange(store).to, 120);
    EXPECT_EQ(defaultRange(TestHistory::store(TestHistory::generated(50))).from, 1);
    EXPECT_TRUE(checkRange(store, {101, 120}).isEmpty());
    EXPECT_TRUE(checkRange(store, {120, 120}).isEmpty());
    EXPECT_EQ(checkRange(store, {110, 100}), QStringLiteral("開始回（110）が終了回（100）より後です。"));
    EXPECT_TRUE(checkRange(store, {0, 50}).contains(QStringLiteral("第1回から第120回")));
    EXPECT_TRUE(checkRange(store, {100, 121}).contains(QStringLiteral("第1回から第120回")));
    EXPECT_EQ(checkRange(TestHistory::store({}), {1, 1}), QStringLiteral("当選データがありません。"));

    // One draw; and a range that holds only a missing draw tests nothing.
    EXPECT_EQ(run(store, {120, 120}, {})->draws.size(), 1u);
    std::vector<DrawRecord> gap = TestHistory::generated(40);
    gap.erase(gap.begin() + 29);
    const Result none = *run(TestHistory::store(gap), {30, 30}, {});
    EXPECT_TRUE(none.draws.empty());
    EXPECT_EQ(none.methods[OneShot].tested, 0);
    EXPECT_EQ(verdict(none.methods[OneShot]), Verdict::NotTested);
}

TEST(Backtest, SearchPicksTheSetWithMostOneShotHitsInTheFirstHalf)
{
    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(160));
    const std::optional<SearchResult> found = search(store, {101, 160});
    ASSERT_TRUE(found);
    EXPECT_EQ(found->firstHalf.from, 101);
    EXPECT_EQ(found->firstHalf.to, 130);
    EXPECT_EQ(found->secondHalf.from, 131);
    long long most = -1;
    int first = -1;
    // What each set predicts with its １発予想 on the first half's draws.
    std::set<std::vector<std::vector<int>>> predictions;
    for (int set = 0; set < 4096; ++set) {
        const Result r = *run(store, found->firstHalf, setFlags(set));
        const long long hits = r.methods[OneShot].hits;
        if (hits > most) {
            most = hits;
            first = set;
        }
        std::vector<std::vector<int>> series;
        for (const DrawResult &d : r.draws)
            series.push_back(d.error.isEmpty() ? d.sets[OneShot].numbers : std::vector<int>{-1});
        predictions.insert(series);
    }
    EXPECT_EQ(found->firstHalfOneShot.hits, most);
    EXPECT_EQ(found->best, setFlags(first));
    EXPECT_EQ(found->secondHalfOneShot().hits, run(store, found->secondHalf, setFlags(first))->methods[OneShot].hits);
    EXPECT_GT(found->randomBestHits, found->firstHalfOneShot.expectedHits);

    // The yardstick is the best of as many random pickers as there are
    // different predictions among the 4 096 sets, not of 4 096.
    EXPECT_EQ(found->distinctPredictions, int(predictions.size()));
    EXPECT_LE(found->distinctPredictions, found->distinctShifts);
    std::vector<int> ks;
    const Result bestRun = *run(store, found->firstHalf, found->best);
    for (const DrawResult &d : bestRun.draws) {
        if (d.error.isEmpty())
            ks.push_back(int(d.sets[OneShot].numbers.size()));
    }
    EXPECT_NEAR(found->randomBestHits, expectedBestOf(ks, int(predictions.size())), 1e-9);
    EXPECT_LT(found->randomBestHits, expectedBestOf(ks, 4096));
    EXPECT_TRUE(searchText(*found).contains(
        QStringLiteral("4,096 通りの設定は %1 通りの異なる予想になりました").arg(predictions.size())));
    // The winner's verdict follows the chance that the best of as many
    // random pickers does as well, not its own p.
    EXPECT_NEAR(found->firstHalfOneShot.adjustedP,
                chanceBestReaches(ks, int(predictions.size()), found->firstHalfOneShot.hits), 1e-12);
    // Out of sample the one method of the one setting is the only test.
    EXPECT_EQ(found->secondHalfOneShot().adjustedP, found->secondHalfOneShot().p);
    EXPECT_FALSE(search(store, {160, 160}));
}

TEST(Backtest, CommandLinePrintsTheWalkAsJson)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    DrawFile::write(db, TestHistory::generated(110));
    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(110));
    QProcess cli;
    cli.start(QStringLiteral(LOTO6_CLI), {QStringLiteral("backtest"), QStringLiteral("--db"), db, QStringLiteral("--from"),
                                          QStringLiteral("100"), QStringLiteral("--reflect"), QStringLiteral("1,5")});
    ASSERT_TRUE(cli.waitForFinished(60000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const QByteArray out = cli.readAllStandardOutput();
    ReflectFlags flags{};
    flags[1] = flags[5] = true;
    // The walk and the reduced-wheel strategy on it.
    Result reference = runReference(store, {100, 110}, flags);
    WheelBook wheels;
    addWheelStrategy(reference, wheels);
    EXPECT_EQ(QString::fromUtf8(out).trimmed(), BacktestExport::json(reference));
    const QJsonObject root = QJsonDocument::fromJson(out).object();
    EXPECT_EQ(root.value(QStringLiteral("targets")).toInt(), 11);
    EXPECT_EQ(root.value(QStringLiteral("methods")).toArray().at(6).toObject().value(QStringLiteral("name")).toString(),
              QStringLiteral("１発予想"));

    // Each method's p beside its p adjusted for the seven.
    for (const QJsonValue &method : root.value(QStringLiteral("methods")).toArray()) {
        const QJsonObject m = method.toObject();
        EXPECT_GE(m.value(QStringLiteral("adjustedP")).toDouble(), m.value(QStringLiteral("p")).toDouble());
        EXPECT_LE(m.value(QStringLiteral("adjustedP")).toDouble(), 1.0);
    }
}

TEST(Backtest, CommandLineRangesAndErrors)
{
    // Draw 111 entered without its bonus yet: a range may end there.
    std::vector<DrawRecord> records = TestHistory::generated(111);
    records[110].numbers[6] = Field();
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("t.mdb"));
    DrawFile::write(db, records);
    const auto backtest = [&](const QStringList &arguments) {
        QProcess cli;
        cli.start(QStringLiteral(LOTO6_CLI), QStringList{QStringLiteral("backtest"), QStringLiteral("--db"), db} + arguments);
        cli.waitForFinished(120000);
        return std::tuple{cli.exitCode(), QJsonDocument::fromJson(cli.readAllStandardOutput()).object(),
                          QString::fromUtf8(cli.readAllStandardError())};
    };
    {
        const auto [status, root, error] = backtest({QStringLiteral("--from"), QStringLiteral("100"), QStringLiteral("--to"),
                                                     QStringLiteral("111"), QStringLiteral("--search")});
        ASSERT_EQ(status, 0) << error.toStdString();
        EXPECT_EQ(root.value(QStringLiteral("to")).toInt(), 111);
        EXPECT_EQ(root.value(QStringLiteral("targets")).toInt(), 11);
        const std::optional<SearchResult> found = search(TestHistory::store(records), {100, 111});
        EXPECT_EQ(root[QStringLiteral("search")][QStringLiteral("randomBest")][QStringLiteral("pickers")].toInt(),
                  found->distinctPredictions);
    }

    // Refusals: the message on stderr, and in JSON mode an object saying it.
    struct Refused
    {
        QStringList arguments;
        QString message;
    };
    const Refused refused[] = {
        {{QStringLiteral("--from"), QStringLiteral("50"), QStringLiteral("--to"), QStringLiteral("40")},
         QStringLiteral("開始回（50）が終了回（40）より後です。")},
        {{QStringLiteral("--to"), QStringLiteral("112")},
         QStringLiteral("検証範囲は第1回から第111回までの間で指定してください（指定: 101〜112）。")},
        {{QStringLiteral("--from"), QStringLiteral("111"), QStringLiteral("--to"), QStringLiteral("111"), QStringLiteral("--search")},
         QStringLiteral("設定の探索には検証する回が2回以上必要です。")},
    };
    for (const Refused &r : refused) {
        for (const QString &format : {QStringLiteral("json"), QStringLiteral("csv")}) {
            const auto [status, root, error] = backtest(r.arguments + QStringList{QStringLiteral("--format"), format});
            EXPECT_EQ(status, 1);
            EXPECT_EQ(error.trimmed(), r.message);
            EXPECT_EQ(root.value(QStringLiteral("error")).toString(), format == QLatin1String("json") ? r.message : QString());
        }
    }
}
