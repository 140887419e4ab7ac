// The popularity model (人気) on the bundled prize histories of all three
// games, and how honest it is:
//
//  - calibration: prize histories simulated with no popularity at all, and
//    the share in which the test "popularity exists" rejects at 5 % and 1 %
//    (a test at its stated level shows about 5 % and 1 %); beside it the
//    same likelihood-ratio test with Poisson counts, to show why the model
//    lets each tier be overdispersed;
//  - the fit on each whole history: the test, the dispersion of each tier;
//  - walk-forward: each draw's winners predicted by models of the draws
//    before it, as deviance explained against every line equally popular;
//  - the real-money backtest of "人気の低い口" against random lines;
//  - then the times: the fit on 2,129 ロト6 draws, the expected return of all
//    6,096,454 ロト6 lines, and the lines at or above a minimum ratio.
//
//   bench_popularity [--histories=N] [--refit=R] [--skip-report] [benchmark options]
//
// N null histories per cell (default 200: a rate of 5 % is then known to
// about ±3 %, two standard errors); R draws between refits (default 50).
#include "popularity/moneybacktest.h"
#include "popularity/prizefiles.h"
#include "popularity/walkforward.h"
#include "support/prizesimulation.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>

using namespace Popularity;

namespace {

const PrizeHistory &bundled(Game game)
{
    static std::map<Game, PrizeHistory> histories;
    auto found = histories.find(game);
    if (found == histories.end())
        found = histories.emplace(game, PrizeFiles::readBundled(game, QStringLiteral(LOTO6_SOURCE_DIR "/data"))).first;
    return found->second;
}

Options sharedModel(bool overdispersion)
{
    Options options;
    options.tierScales = false;
    options.overdispersion = overdispersion;
    return options;
}

LikelihoodRatio testOn(const Sample &sample, bool overdispersion)
{
    const Options model = sharedModel(overdispersion);
    Options equal = model;
    equal.popularity = false;
    return testPopularity(fit(sample, sample.draws.size(), model), fit(sample, sample.draws.size(), equal));
}

QString percent(int count, int of)
{
    return QString::number(100.0 * count / of, 'f', 1);
}

void printCalibration(int histories)
{
    struct Column { Game game; int draws; };
    const Column columns[] = {{Game::Loto6, 300}, {Game::Loto6, 2129}, {Game::Loto7, 600}, {Game::MiniLoto, 1330}};
    struct Row { const char *name; bool overdispersed; bool negativeBinomial; };
    const Row rows[] = {
        {"Poisson counts, model test (negative binomial)", false, true},
        {"overdispersed counts, model test (negative binomial)", true, true},
        {"overdispersed counts, Poisson test", true, false},
    };
    std::printf("== calibration: %d prize histories per cell simulated with every line equally popular;\n"
                "   cells: %% of p < 0.05 / %% of p < 0.01 (the test's stated levels)\n", histories);
    QString header = QStringLiteral("| simulated counts, test |");
    QString rule = QStringLiteral("|---|");
    for (const Column &c : columns) {
        header += QStringLiteral(" %1 %2 draws |").arg(rulesOf(c.game).name).arg(c.draws);
        rule += QStringLiteral("---|");
    }
    std::printf("%s\n%s\n", qPrintable(header), qPrintable(rule));
    for (const Row &row : rows) {
        QString line = QStringLiteral("| %1 |").arg(QString::fromLatin1(row.name));
        for (const Column &c : columns) {
            PrizeSimulation::Truth truth = PrizeSimulation::equal(c.game);
            if (row.overdispersed) {
                // The spread of the real winners around their expectation,
                // as if nothing about it came from the numbers drawn.
                truth.thetas = PrizeSimulation::favoured(c.game).thetas;
            }
            int at5 = 0;
            int at1 = 0;
            for (int h = 0; h < histories; ++h) {
                const unsigned seed = 7919u * unsigned(h) + 104729u * unsigned(c.draws) + (row.overdispersed ? 13u : 0u);
                const Sample sample = sampleOf(PrizeSimulation::simulate(truth, c.draws, seed));
                const double p = testOn(sample, row.negativeBinomial).p;
                at5 += p < 0.05;
                at1 += p < 0.01;
            }
            line += QStringLiteral(" %1 / %2 |").arg(percent(at5, histories), percent(at1, histories));
        }
        std::printf("%s\n", qPrintable(line));
        std::fflush(stdout);
    }
    std::printf("\n");
}

void printFits()
{
    std::printf("== the model on each bundled history (all tiers, each with its sensitivity γ)\n");
    for (Game game : allGames()) {
        const PrizeHistory &history = bundled(game);
        const Sample sample = sampleOf(history);
        const Fit model = fit(sample, sample.draws.size());
        const LikelihoodRatio test = testOn(sample, true);
        std::printf("-- %s: %zu draws with prizes, %zu fitted (%zu left out: fund not known or out of line), "
                    "popularity test %.0f on %d df, p = %.3g\n",
                    qPrintable(history.rules().name), history.draws.size(), sample.draws.size(), sample.leftOut.size(),
                    test.statistic, test.df, test.p);
        std::printf("| tier | γ | 95 %% | θ | Pearson dispersion against Poisson |\n|---|---|---|---|---|\n");
        for (int t = 0; t < int(model.tiers.size()); ++t) {
            const TierFit &tier = model.tiers[size_t(t)];
            std::printf("| %s | %.2f | %.2f–%.2f | %.1f | %.1f |\n", qPrintable(history.rules().tiers[size_t(t)].name),
                        tier.scale.value, tier.scale.low(), tier.scale.high(), tier.theta, tier.poissonDispersion);
        }
        const LinePatterns patterns(game);
        std::printf("| pattern | estimate | 95 %% |\n|---|---|---|\n");
        for (int j = 0; j < patterns.count(); ++j) {
            const Estimate &e = model.patterns[size_t(j)];
            std::printf("| %s | %+.4f | %+.4f…%+.4f |\n", qPrintable(LinePatterns::name(patterns.pattern(j))), e.value, e.low(), e.high());
        }
        const ReturnModel returns(model, typicalPools(history), history.draws.back().mainMask());
        const Extremes extremes = Popularity::extremes(returns, 3);
        auto show = [](const char *what, const std::vector<RankedLine> &lines) {
            for (const RankedLine &r : lines) {
                QStringList numbers;
                for (int n : numbersOf(r.line))
                    numbers << QString::number(n);
                std::printf("   %s %s: %.1f 円 (%.2f × the average line)\n", what, qPrintable(numbers.join(QLatin1Char(' '))),
                            r.expectedReturn, r.ratio);
            }
        };
        std::printf("   the average line: %.1f 円 of %d 円\n", extremes.average, history.rules().price);
        show("least favoured", extremes.least);
        show("most favoured", extremes.most);
        std::fflush(stdout);
    }
    std::printf("\n");
}

void printWalkForward(int refit)
{
    std::printf("== walk-forward: deviance explained out of sample (refit every %d draws, first 200 draws for training)\n", refit);
    for (Game game : allGames()) {
        WalkForwardOptions options;
        options.refitEvery = refit;
        const WalkForward w = walkForward(sampleOf(bundled(game)), options);
        QString cells;
        for (size_t t = 0; t < w.tiers.size(); ++t)
            cells += QStringLiteral(" %1 %2 %|").arg(rulesOf(game).tiers[t].name).arg(100 * w.tiers[t].explained(), 0, 'f', 1);
        std::printf("| %s | %d draws (第%d回〜第%d回) |%s all %.1f %% |\n", qPrintable(rulesOf(game).name), w.predicted,
                    w.firstDraw, w.lastDraw, qPrintable(cells), 100 * w.total.explained());
        std::fflush(stdout);
    }
    std::printf("\n");
}

void printBacktest(int refit)
{
    std::printf("== real money: 10 lines a draw, chosen again every %d draws, paid the draw's real prizes\n", refit);
    std::printf("| game | draws | 人気の低い口 per 1,000 円 | でたらめな口 | the average line | difference (95 %%) | wins 1等… (人気の低い口 / でたらめ) | verdict |\n"
                "|---|---|---|---|---|---|---|---|\n");
    for (Game game : allGames()) {
        MoneyBacktestOptions options;
        options.refitEvery = refit;
        const MoneyBacktest b = moneyBacktest(bundled(game), options);
        QStringList wins;
        for (size_t t = 0; t < b.unpopular.wins.size(); ++t)
            wins << QStringLiteral("%1/%2").arg(b.unpopular.wins[t]).arg(b.random.wins[t]);
        std::printf("| %s | %d (第%d回〜第%d回) | %.0f | %.0f | %.0f | %+.0f (%+.0f…%+.0f) | %s | %s |\n",
                    qPrintable(rulesOf(game).name), b.draws, b.firstDraw, b.lastDraw, b.unpopular.perThousand(),
                    b.random.perThousand(), b.averageLinePerThousand, b.difference, b.low, b.high,
                    qPrintable(wins.join(QLatin1Char(' '))), qPrintable(b.verdictText()));
        std::fflush(stdout);
    }
    std::printf("\n");
}

const Sample &loto6Sample()
{
    static const Sample sample = sampleOf(bundled(Game::Loto6));
    return sample;
}

void FitLoto6(benchmark::State &state)
{
    for (auto _ : state) {
        const Fit model = fit(loto6Sample(), loto6Sample().draws.size());
        benchmark::DoNotOptimize(model.logLikelihood);
    }
}
BENCHMARK(FitLoto6)->Unit(benchmark::kMillisecond);

ReturnModel loto6Returns()
{
    const PrizeHistory &history = bundled(Game::Loto6);
    static const Fit model = fit(loto6Sample(), loto6Sample().draws.size());
    return ReturnModel(model, typicalPools(history), history.draws.back().mainMask());
}

// Every line's expected return, and with it the average line.
void ExpectedReturnOfAllLoto6Lines(benchmark::State &state)
{
    for (auto _ : state) {
        const ReturnModel returns = loto6Returns();
        benchmark::DoNotOptimize(returns.average());
    }
}
BENCHMARK(ExpectedReturnOfAllLoto6Lines)->Unit(benchmark::kMillisecond);

// The lines at 1.2 times the average line or more, from a model just made
// (so the average is computed inside the time too).
void FilterLoto6LinesByMinRatio(benchmark::State &state)
{
    for (auto _ : state) {
        const ReturnModel returns = loto6Returns();
        std::vector<LineMask> lines;
        linesAtLeast(returns, 1.2, [&lines](LineMask line) { lines.push_back(line); });
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(FilterLoto6LinesByMinRatio)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int histories = 200;
    int refit = 50;
    bool report = true;
    std::vector<char *> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--histories=", 12) == 0)
            histories = std::max(1, std::atoi(argv[i] + 12));
        else if (std::strncmp(argv[i], "--refit=", 8) == 0)
            refit = std::max(1, std::atoi(argv[i] + 8));
        else if (std::strcmp(argv[i], "--skip-report") == 0)
            report = false;
        else
            rest.push_back(argv[i]);
    }
    if (report) {
        printCalibration(histories);
        printFits();
        printWalkForward(refit);
        printBacktest(refit);
    }
    int restCount = int(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
