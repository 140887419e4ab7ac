// ランダム性の検定 on fair draws: how often each test cries wolf. Fair
// histories are simulated from fixed seeds, every test is run on each, and
// the share of p < 0.05 and of Holm verdicts ("偶然とは考えにくい偏りがあります")
// is printed per test and range size; a test at its stated level shows
// about 5 %. Then the time of one report on the bundled history.
//
//   bench_randomness [--ranges=N] [benchmark options]
//
// N histories per size (default 5000); a share of 5 % measured on 5000 is
// known to about ±0.6 % (two standard errors), on 1000 to about ±1.4 %.
#include "analysis/randomness.h"
#include "support/history.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

struct Size
{
    const char *label;
    int draws;
    // Share of records left incomplete (bonus missing), to try the gap
    // test's draws left out; 0 for none.
    double incomplete;
};

const Size Sizes[] = {
    {"20", 20, 0}, {"30", 30, 0}, {"60", 60, 0}, {"60*", 60, 0.1}, {"200", 200, 0}, {"2130", 2130, 0},
};

// Rejections of one test at one size.
struct Tally
{
    int tested = 0;
    int rejected = 0; // p < 0.05
    int verdicts = 0; // Holm-adjusted p < 0.05
};

struct Column
{
    int histories = 0;
    int anyVerdict = 0; // at least one test with a Holm verdict
    std::map<QString, Tally> tests;
};

Column calibrate(const Size &size, int histories)
{
    Column column;
    for (int i = 0; i < histories; ++i) {
        // A seed per size and history: every column is its own sample.
        std::vector<DrawRecord> records = TestHistory::fair(size.draws, unsigned(1000003 * size.draws + 7919 * i + 1)
                                                                             + (size.incomplete > 0 ? 17u : 0u));
        if (size.incomplete > 0) {
            std::mt19937 holes{unsigned(i)};
            for (DrawRecord &r : records) {
                if (std::uniform_real_distribution<>(0, 1)(holes) < size.incomplete)
                    r.numbers[6] = TestHistory::empty();
            }
        }
        const Randomness::Report report = Randomness::analyse(TestHistory::store(std::move(records)), {});
        ++column.histories;
        bool any = false;
        for (const Randomness::Test &t : report.tests) {
            Tally &tally = column.tests[t.id];
            if (!t.tested())
                continue;
            tally.tested += 1;
            tally.rejected += t.p < 0.05;
            tally.verdicts += t.adjustedP < 0.05;
            any = any || t.adjustedP < 0.05;
        }
        column.anyVerdict += any;
    }
    return column;
}

QString percent(int count, int of)
{
    return of == 0 ? QStringLiteral("–") : QString::number(100.0 * count / of, 'f', 1);
}

void printCalibration(int histories)
{
    std::vector<Column> columns;
    for (const Size &size : Sizes)
        columns.push_back(calibrate(size, histories));
    std::printf("== calibration on fair draws: %d histories per size; cells: %% of p < 0.05 / %% of Holm verdicts\n",
                histories);
    std::printf("   (60*: 60 draws with about 10 %% of them incomplete)\n");
    QString header = QStringLiteral("| test |");
    QString rule = QStringLiteral("|---|");
    for (const Size &size : Sizes) {
        header += QStringLiteral(" %1 |").arg(QString::fromLatin1(size.label));
        rule += QStringLiteral("---|");
    }
    std::printf("%s\n%s\n", qPrintable(header), qPrintable(rule));
    const Randomness::Report names = Randomness::analyse(TestHistory::store(TestHistory::fair(200, 1)), {});
    for (const Randomness::Test &t : names.tests) {
        QString line = QStringLiteral("| %1 |").arg(t.id);
        for (const Column &c : columns) {
            const Tally &tally = c.tests.at(t.id);
            line += QStringLiteral(" %1 / %2").arg(percent(tally.rejected, tally.tested), percent(tally.verdicts, tally.tested));
            if (tally.tested < c.histories)
                line += QStringLiteral(" (n=%1)").arg(tally.tested);
            line += QStringLiteral(" |");
        }
        std::printf("%s\n", qPrintable(line));
    }
    QString any = QStringLiteral("| any Holm verdict |");
    for (const Column &c : columns)
        any += QStringLiteral(" %1 |").arg(percent(c.anyVerdict, c.histories));
    std::printf("%s\n\n", qPrintable(any));
    std::fflush(stdout);
}

void ReportOnBundledHistory(benchmark::State &state)
{
    static const DrawHistoryStore store = TestHistory::store(TestHistory::bundled());
    for (auto _ : state) {
        const Randomness::Report report = Randomness::analyse(store, {});
        benchmark::DoNotOptimize(report.tests.back().p);
    }
}
BENCHMARK(ReportOnBundledHistory)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int histories = 5000;
    std::vector<char *> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--ranges=", 9) == 0)
            histories = std::max(1, std::atoi(argv[i] + 9));
        else
            rest.push_back(argv[i]);
    }
    int restCount = int(rest.size());
    printCalibration(histories);
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
