// Reduced wheels: the promise checker against brute force, the sizes of
// wheels whose minimum is known, the bounds, what is refused, stopping, and
// the command line down to the ticket ledger.
#include "prediction/wheel.h"
#include "prediction/wheelsearch.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "support/cliprocess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

namespace {

std::vector<int> range(int from, int to)
{
    std::vector<int> numbers(size_t(to - from + 1));
    std::iota(numbers.begin(), numbers.end(), from);
    return numbers;
}

// Every m of numbers, one at a time, by the plain definition: some line holds
// at least t of the m.
bool bruteForceKeepsPromise(const std::vector<int> &numbers, int m, int t, const std::vector<Wheel::Line> &lines)
{
    std::vector<bool> pick(numbers.size(), false);
    std::fill(pick.begin(), pick.begin() + m, true);
    do {
        std::vector<int> drawn;
        for (size_t i = 0; i < numbers.size(); ++i) {
            if (pick[i])
                drawn.push_back(numbers[i]);
        }
        const bool met = std::any_of(lines.begin(), lines.end(), [&](const Wheel::Line &line) {
            int common = 0;
            for (int n : drawn)
                common += int(std::count(line.begin(), line.end(), n));
            return common >= t;
        });
        if (!met)
            return false;
    } while (std::prev_permutation(pick.begin(), pick.end()));
    return true;
}

Wheel build(const std::vector<int> &numbers, int m, int t, double seconds = 10, std::uint64_t seed = 1)
{
    WheelRequest request;
    request.numbers = numbers;
    request.condition = {m, t};
    request.seconds = seconds;
    request.seed = seed;
    return Wheel::build(request);
}

// Random lines of distinct candidates, some of them holding numbers outside
// the candidates (those can never match a drawn candidate).
std::vector<Wheel::Line> randomLines(std::mt19937 &random, const std::vector<int> &numbers, int count)
{
    std::vector<Wheel::Line> lines;
    for (int i = 0; i < count; ++i) {
        std::vector<int> pool = numbers;
        pool.push_back(40 + i % 4);
        std::shuffle(pool.begin(), pool.end(), random);
        Wheel::Line line;
        std::copy_n(pool.begin(), 6, line.begin());
        std::sort(line.begin(), line.end());
        lines.push_back(line);
    }
    return lines;
}

} // namespace

TEST(Wheel, CheckerAgreesWithBruteForceOnRandomLines)
{
    std::mt19937 random(20261207u);
    struct Case
    {
        int v, m, t, lines;
    };
    // Line counts around the point where the promise starts to hold.
    const Case cases[] = {{7, 5, 5, 5}, {7, 5, 5, 7}, {8, 4, 3, 3}, {8, 4, 3, 5}, {9, 6, 3, 2},
                          {9, 6, 4, 4}, {10, 5, 4, 6}, {10, 3, 3, 6}, {11, 6, 5, 12}, {12, 4, 3, 6}};
    int held = 0, broken = 0;
    for (const Case &c : cases) {
        const std::vector<int> numbers = range(3, 3 + c.v - 1);
        for (int trial = 0; trial < 20; ++trial) {
            const std::vector<Wheel::Line> lines = randomLines(random, numbers, c.lines);
            const bool expected = bruteForceKeepsPromise(numbers, c.m, c.t, lines);
            const std::optional<std::vector<int>> missed = Wheel::firstUnmatched(numbers, {c.m, c.t}, lines);
            ASSERT_EQ(!missed, expected) << c.v << " " << c.m << " " << c.t << " trial " << trial;
            (expected ? held : broken)++;
            if (missed) {
                // The set it names is one that no line matches in t.
                ASSERT_EQ(missed->size(), size_t(c.m));
                EXPECT_FALSE(bruteForceKeepsPromise(*missed, c.m, c.t, lines));
            }
        }
    }
    // Both answers occur, so neither side of the comparison is idle.
    EXPECT_GT(held, 10);
    EXPECT_GT(broken, 10);
}

TEST(Wheel, SmallWheelsReachTheKnownMinimaAndLoseThePromiseWithoutAnyLine)
{
    struct Case
    {
        int v, m, t;
        size_t minimum; // C(v, 6, t), known
    };
    for (const Case &c : {Case{7, 5, 5, 6}, Case{8, 5, 5, 12}, Case{12, 5, 5, 132}}) {
        const std::vector<int> numbers = range(11, 11 + c.v - 1);
        const Wheel wheel = build(numbers, c.m, c.t);
        ASSERT_TRUE(wheel.verified);
        EXPECT_EQ(wheel.lines.size(), c.minimum);
        EXPECT_EQ(wheel.lowerBound, (long long)c.minimum); // Schönheim's bound is met here
        EXPECT_EQ(wheel.stop, Wheel::Stop::Minimal);
        EXPECT_EQ(wheel.cost(), (long long)c.minimum * 200);
        EXPECT_TRUE(bruteForceKeepsPromise(numbers, c.m, c.t, wheel.lines));
        if (c.v > 8)
            continue; // the brute force below is 12 × 792 checks per line for the larger one
        // A minimum wheel needs every line: without any one of them the check
        // must name a set that is no longer matched.
        for (size_t drop = 0; drop < wheel.lines.size(); ++drop) {
            std::vector<Wheel::Line> fewer = wheel.lines;
            fewer.erase(fewer.begin() + std::ptrdiff_t(drop));
            EXPECT_TRUE(Wheel::firstUnmatched(numbers, wheel.condition, fewer).has_value()) << "without line " << drop;
            EXPECT_FALSE(bruteForceKeepsPromise(numbers, c.m, c.t, fewer));
        }
    }
}

TEST(Wheel, LinesHoldCandidatesOnlyAndRepeatForASeed)
{
    const std::vector<int> numbers{2, 5, 9, 13, 17, 21, 26, 30, 33, 37, 40, 43};
    const Wheel first = build(numbers, 5, 5, 10, 7);
    const Wheel again = build(numbers, 5, 5, 10, 7);
    ASSERT_TRUE(first.verified);
    EXPECT_EQ(first.lines, again.lines);
    EXPECT_TRUE(std::is_sorted(first.lines.begin(), first.lines.end()));
    for (const Wheel::Line &line : first.lines) {
        EXPECT_TRUE(std::is_sorted(line.begin(), line.end()));
        EXPECT_EQ(std::adjacent_find(line.begin(), line.end()), line.end());
        for (int n : line)
            EXPECT_TRUE(std::binary_search(numbers.begin(), numbers.end(), n)) << n;
    }
    // Moved onto other candidates, in any order, the wheel keeps its promise there.
    const std::vector<int> others{43, 1, 40, 7, 38, 12, 30, 19, 25, 22, 3, 35};
    const Wheel moved = first.movedTo(others);
    EXPECT_EQ(moved.lines.size(), first.lines.size());
    EXPECT_EQ(moved.numbers.front(), 1);
    EXPECT_TRUE(bruteForceKeepsPromise(others, 5, 5, moved.lines));
    EXPECT_FALSE(Wheel::firstUnmatched(others, moved.condition, moved.lines));
    EXPECT_TRUE(Wheel::firstUnmatched(numbers, moved.condition, moved.lines).has_value());
}

TEST(Wheel, WeakerPromisesAndSplitProblemsAreCheckedToo)
{
    struct Case
    {
        int v, m, t;
        int parts;
    };
    // (10, 4, 3) and (12, 6, 4) are searched whole; (30, 5, 3) is split in
    // two halves, each covering every three of its numbers.
    for (const Case &c : {Case{10, 4, 3, 1}, Case{12, 6, 4, 1}, Case{30, 5, 3, 2}}) {
        const std::vector<int> numbers = range(1, c.v);
        const Wheel wheel = build(numbers, c.m, c.t, 1.0);
        ASSERT_TRUE(wheel.verified) << c.v;
        EXPECT_EQ(wheel.parts, c.parts);
        EXPECT_EQ(wheel.bound, Wheel::Bound::Counting);
        EXPECT_GE((long long)wheel.lines.size(), wheel.lowerBound);
        EXPECT_TRUE(bruteForceKeepsPromise(numbers, c.m, c.t, wheel.lines)) << c.v;
    }
    // Match 6: the only wheel is every line.
    const Wheel full = build(range(1, 9), 6, 6);
    EXPECT_EQ(full.lines.size(), 84u);
    EXPECT_EQ(full.stop, Wheel::Stop::Minimal);
}

TEST(Wheel, BoundsAndWords)
{
    struct Case
    {
        int v, m, t;
        long long bound;
        Wheel::Bound kind;
    };
    const Case cases[] = {
        {7, 5, 5, 6, Wheel::Bound::Schoenheim},    {8, 5, 5, 12, Wheel::Bound::Schoenheim},
        {10, 5, 5, 44, Wheel::Bound::Schoenheim},  {12, 5, 5, 132, Wheel::Bound::Schoenheim},
        {18, 3, 3, 42, Wheel::Bound::Schoenheim},  {16, 4, 4, 144, Wheel::Bound::Schoenheim},
        {9, 6, 6, 84, Wheel::Bound::Schoenheim},   {6, 3, 3, 1, Wheel::Bound::Schoenheim},
        // C(18, 4) = 3060 four-sets; a line matches 3 of 15·12·… = 255 of them.
        {18, 4, 3, 12, Wheel::Bound::Counting},
        // C(43, 6) over the 165 613 six-sets one line matches in three.
        {43, 6, 3, 37, Wheel::Bound::Counting},
    };
    for (const Case &c : cases) {
        Wheel::Bound kind{};
        EXPECT_EQ(Wheel::lowestPossible(c.v, {c.m, c.t}, &kind), c.bound) << c.v << " " << c.m << " " << c.t;
        EXPECT_EQ(kind, c.kind);
    }
    EXPECT_EQ(Wheel::guaranteeText({4, 3}), QStringLiteral("候補から本数字が4個出れば、少なくとも1口で3個一致（5等）を保証"));
    EXPECT_EQ(Wheel::guaranteeText({5, 5}), QStringLiteral("候補から本数字が5個出れば、少なくとも1口で5個一致（3等）を保証"));
    EXPECT_EQ(Wheel::tierText(4), QStringLiteral("4等"));
    EXPECT_EQ(Wheel::tierText(6), QStringLiteral("1等"));
}

TEST(Wheel, RefusesWhatCannotBeBuilt)
{
    struct Case
    {
        std::vector<int> numbers;
        WheelCondition condition;
        const char *message;
    };
    const Case cases[] = {
        {{1, 2, 3, 4, 5}, {3, 3}, "候補の数字は 6 個から 43 個です（5 個あります）。"},
        {{1, 2, 3, 4, 5, 5, 7}, {3, 3}, "同じ数字が二度あります: 5"},
        {{1, 2, 3, 4, 5, 44}, {3, 3}, "数字は 1 から 43 までの整数です: 44"},
        {range(1, 10), {4, 2}, "一致する数は 3 から 6 です: 2"},
        {range(1, 10), {3, 4}, "出る数は一致する数（4）から 6 までです: 3"},
        {range(1, 6), {6, 6}, nullptr},
        {range(1, 43), {6, 6}, "この条件の縮小ホイールは少なくとも 6096454 口（1219290800 円）になります。"
                               "候補を減らすか、条件を緩めてください（上限 100000 口）。"},
    };
    for (const Case &c : cases) {
        const std::optional<QString> problem = Wheel::problem(c.numbers, c.condition);
        if (!c.message) {
            EXPECT_FALSE(problem) << problem->toStdString();
            continue;
        }
        ASSERT_TRUE(problem) << c.message;
        EXPECT_EQ(*problem, QString::fromUtf8(c.message));
    }
    EXPECT_EQ(Wheel::problem(std::vector<int>{1, 2, 3, 4, 5, 6, 7}, {6, 3}), std::nullopt);
}

TEST(Wheel, ProgressCanCancelBeforeAndAfterTheFirstWheel)
{
    WheelRequest request;
    request.numbers = range(1, 16);
    request.condition = {4, 4};
    int calls = 0;
    const Wheel none = Wheel::build(request, [&](const WheelProgress &) {
        ++calls;
        return false;
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(none.stop, Wheel::Stop::Cancelled);
    EXPECT_TRUE(none.lines.empty());
    EXPECT_FALSE(none.verified);

    // Cancelled once a wheel is complete: that wheel, checked.
    const Wheel some = Wheel::build(request, [&](const WheelProgress &p) {
        EXPECT_EQ(p.lowerBound, 144);
        EXPECT_EQ(p.budget, request.seconds);
        return p.lines == 0;
    });
    EXPECT_EQ(some.stop, Wheel::Stop::Cancelled);
    EXPECT_TRUE(some.verified);
    EXPECT_TRUE(bruteForceKeepsPromise(request.numbers, 4, 4, some.lines));

    // A time budget ends the search with the best wheel so far.
    request.seconds = 0.2;
    const Wheel quick = Wheel::build(request);
    EXPECT_EQ(quick.stop, Wheel::Stop::TimeUp);
    EXPECT_TRUE(quick.verified);

    // A budget spent before the first wheel is complete: the first lines
    // that come complete it, and no search follows.
    WheelSearch::Limits spent;
    spent.seconds = 0;
    const WheelSearch::Problem problem{20, 5, 4};
    const WheelSearch::Outcome first = WheelSearch::search(problem, spent);
    EXPECT_EQ(first.stop, WheelSearch::Stop::TimeUp);
    EXPECT_EQ(first.moves, 0);
    EXPECT_FALSE(first.lines.empty());
    EXPECT_EQ(WheelSearch::firstUncovered(problem, first.lines), std::nullopt);
}

TEST(Wheel, CommandLineWheelsAndFilteredLinesGoIntoTheLedger)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("Loto6Kermon.mdb"));
    ASSERT_EQ(CliProcess::run({QStringLiteral("create-db"), QStringLiteral("--from-csv"), QStringLiteral(LOTO6_SOURCE_DIR "/data/loto6-history.csv"),
                   QStringLiteral("--db"), db})
                  .exitCode,
              0);
    const QString ledger = dir.filePath(QStringLiteral("ledger.db"));
    const QStringList eight{QStringLiteral("--numbers"), QStringLiteral("3,8,15,22,29,36,40,43"), QStringLiteral("--if"),
                            QStringLiteral("5"), QStringLiteral("--match"), QStringLiteral("5"), QStringLiteral("--db"), db};

    const CliProcess::Result json = CliProcess::run(QStringList{QStringLiteral("wheel")} + eight);
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    const QJsonObject wheel = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(wheel.value(QStringLiteral("count")).toInt(), 12);
    EXPECT_EQ(wheel.value(QStringLiteral("lines")).toArray().size(), 12);
    EXPECT_EQ(wheel.value(QStringLiteral("lowerBound")).toInt(), 12);
    EXPECT_TRUE(wheel.value(QStringLiteral("verified")).toBool());
    EXPECT_EQ(wheel.value(QStringLiteral("cost")).toInt(), 2400);
    EXPECT_EQ(wheel.value(QStringLiteral("if")).toInt(), 5);
    EXPECT_EQ(wheel.value(QStringLiteral("numbers")).toArray().size(), 8);

    // The CSV is the ledger's own: tickets import reads it, for the next draw.
    const CliProcess::Result csv = CliProcess::run(QStringList{QStringLiteral("wheel")} + eight + QStringList{QStringLiteral("--format"), QStringLiteral("csv")});
    ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    const QString csvFile = dir.filePath(QStringLiteral("wheel.csv"));
    {
        QFile file(csvFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(csv.out.toUtf8());
    }
    const QStringList where{QStringLiteral("--ledger"), ledger, QStringLiteral("--db"), db};
    EXPECT_EQ(CliProcess::run(QStringList{QStringLiteral("tickets"), QStringLiteral("import"), csvFile} + where).out, QStringLiteral("{\"imported\":12}\n"));
    const QJsonArray listed =
        QJsonDocument::fromJson(CliProcess::run(QStringList{QStringLiteral("tickets"), QStringLiteral("list")} + where).out.toUtf8()).array();
    ASSERT_EQ(listed.size(), 12);
    EXPECT_EQ(listed.first().toObject().value(QStringLiteral("draw")).toInt(), 2131);
    EXPECT_TRUE(listed.first().toObject().value(QStringLiteral("memo")).toString().contains(QStringLiteral("5個一致（3等）を保証")));

    // tickets add --wheel builds and records in one step.
    const CliProcess::Result added = CliProcess::run(QStringList{QStringLiteral("tickets"), QStringLiteral("add"), QStringLiteral("--wheel"),
                                            QStringLiteral("1,2,3,4,5,6,7"), QStringLiteral("--if"), QStringLiteral("5"),
                                            QStringLiteral("--match"), QStringLiteral("5"), QStringLiteral("--draw"),
                                            QStringLiteral("2135"), QStringLiteral("--count"), QStringLiteral("2")}
                                + where);
    ASSERT_EQ(added.exitCode, 0) << added.err.toStdString();
    const QJsonObject addedJson = QJsonDocument::fromJson(added.out.toUtf8()).object();
    EXPECT_EQ(addedJson.value(QStringLiteral("added")).toInt(), 6);
    EXPECT_EQ(addedJson.value(QStringLiteral("cost")).toInt(), 2400);
    EXPECT_EQ(QJsonDocument::fromJson(CliProcess::run(QStringList{QStringLiteral("tickets"), QStringLiteral("list")} + where).out.toUtf8()).array().size(), 18);

    // Bad input: a message in Japanese, exit 2, nothing recorded.
    const CliProcess::Result few = CliProcess::run(QStringList{QStringLiteral("tickets"), QStringLiteral("add"), QStringLiteral("--wheel"),
                                          QStringLiteral("1,2,3,4,5"), QStringLiteral("--if"), QStringLiteral("3"),
                                          QStringLiteral("--match"), QStringLiteral("3")}
                              + where);
    EXPECT_EQ(few.exitCode, 2);
    EXPECT_TRUE(few.err.contains(QStringLiteral("候補の数字は 6 個から 43 個です"))) << few.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(CliProcess::run(QStringList{QStringLiteral("tickets"), QStringLiteral("list")} + where).out.toUtf8()).array().size(), 18);
    const CliProcess::Result noMatch = CliProcess::run({QStringLiteral("wheel"), QStringLiteral("--numbers"), QStringLiteral("1,2,3,4,5,6,7"), QStringLiteral("--if"), QStringLiteral("4")});
    EXPECT_EQ(noMatch.exitCode, 2);
    EXPECT_TRUE(noMatch.out.isEmpty());
    EXPECT_TRUE(noMatch.err.contains(QStringLiteral("--match"))) << noMatch.err.toStdString();

    // combos: the lines of the candidates that pass, at most --limit of them printed.
    const CliProcess::Result combos = CliProcess::run({QStringLiteral("combos"), QStringLiteral("--numbers"), QStringLiteral("１,2,3,4,5,6,7,8,9,10,11,12"),
                                  QStringLiteral("--sum"), QStringLiteral("30～50"), QStringLiteral("--odd"), QStringLiteral("3"),
                                  QStringLiteral("--limit"), QStringLiteral("2"), QStringLiteral("--db"), db});
    ASSERT_EQ(combos.exitCode, 0) << combos.err.toStdString();
    const QJsonObject filtered = QJsonDocument::fromJson(combos.out.toUtf8()).object();
    EXPECT_EQ(filtered.value(QStringLiteral("considered")).toInt(), 924);
    EXPECT_GT(filtered.value(QStringLiteral("count")).toInt(), 2);
    EXPECT_EQ(filtered.value(QStringLiteral("lines")).toArray().size(), 2);
    const QJsonArray filters = filtered.value(QStringLiteral("filters")).toArray();
    ASSERT_EQ(filters.size(), 2);
    EXPECT_EQ(filters[0].toObject().value(QStringLiteral("name")).toString(), QStringLiteral("合計 30～50"));
    EXPECT_EQ(filters[1].toObject().value(QStringLiteral("name")).toString(), QStringLiteral("奇数 3個"));
    EXPECT_EQ(filters[1].toObject().value(QStringLiteral("pastDraws")).toInt(), 2130);

    const QString linesFile = dir.filePath(QStringLiteral("combos.csv"));
    {
        QFile file(linesFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(CliProcess::run({QStringLiteral("combos"), QStringLiteral("--numbers"), QStringLiteral("1,2,3,4,5,6,7,8"), QStringLiteral("--format"),
                        QStringLiteral("csv"), QStringLiteral("--db"), db})
                       .out.toUtf8());
    }
    EXPECT_EQ(CliProcess::run(QStringList{QStringLiteral("tickets"), QStringLiteral("import"), linesFile} + where).out, QStringLiteral("{\"imported\":28}\n"));

    const CliProcess::Result backwards = CliProcess::run({QStringLiteral("combos"), QStringLiteral("--sum"), QStringLiteral("160-100"), QStringLiteral("--db"), db});
    EXPECT_EQ(backwards.exitCode, 2);
    EXPECT_TRUE(backwards.out.isEmpty());
    EXPECT_TRUE(backwards.err.contains(QStringLiteral("範囲は小さい方から"))) << backwards.err.toStdString();
}

// A database that ends at the highest draw number has no next draw: lines
// for it would be refused by tickets import, so none are written, and the
// message says how to name a draw.
TEST(Wheel, NoLinesForADrawBeyondTheLastDrawNumber)
{
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("last.csv"));
    {
        QFile file(csv);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("回数,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス数字\n32763,1,2,3,4,5,6,7\n");
    }
    const QString db = dir.filePath(QStringLiteral("Loto6Kermon.mdb"));
    ASSERT_EQ(CliProcess::run({QStringLiteral("create-db"), QStringLiteral("--from-csv"), csv, QStringLiteral("--db"), db}).exitCode, 0);
    const QString ledger = dir.filePath(QStringLiteral("ledger.db"));
    const QStringList where{QStringLiteral("--db"), db, QStringLiteral("--ledger"), ledger};
    const QStringList wheel{QStringLiteral("--if"), QStringLiteral("3"), QStringLiteral("--match"), QStringLiteral("3")};
    const QStringList csvOut{QStringLiteral("--format"), QStringLiteral("csv")};
    const QStringList numbers{QStringLiteral("--numbers"), QStringLiteral("1,2,3,4,5,6,7")};
    const QList<QStringList> commands{
        QStringList{QStringLiteral("wheel")} + numbers + wheel + csvOut + where.mid(0, 2),
        QStringList{QStringLiteral("combos")} + numbers + csvOut + where.mid(0, 2),
        QStringList{QStringLiteral("tickets"), QStringLiteral("add"), QStringLiteral("--wheel"), QStringLiteral("1,2,3,4,5,6,7")} + wheel + where,
    };
    for (const QStringList &command : commands) {
        SCOPED_TRACE(command.join(QLatin1Char(' ')).toStdString());
        const CliProcess::Result refused = CliProcess::run(command);
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_TRUE(refused.out.isEmpty()) << refused.out.toStdString();
        EXPECT_TRUE(refused.err.contains(QStringLiteral("第32763回")) && refused.err.contains(QStringLiteral("--draw")))
            << refused.err.toStdString();
        const CliProcess::Result named = CliProcess::run(command + QStringList{QStringLiteral("--draw"), QStringLiteral("32763")});
        EXPECT_EQ(named.exitCode, 0) << named.err.toStdString();
    }
}
