#pragma once

#include "popularity/linepatterns.h"
#include "popularity/prizehistory.h"

#include <limits>
#include <vector>

// Which numbers the public favours, measured where it shows: a line that
// many others also play has many co-winners, so the winners of each tier
// per unit of a draw's prize fund rise and fall with the popularity of the
// numbers drawn. The model is log-linear:
//
//   log E[winners of tier t in draw d] = log fund(d) + α_t + γ_t · s(d),
//   s(d) = Σ over the drawn numbers of their weight + Σ_j β_j · pattern_j(d)
//
// with a weight per number (summing to zero over 1 … N), the pattern terms
// of linepatterns.h, and γ_t how strongly tier t feels the popularity (1 for
// the tier won by the most lines, whose winners the score s measures). The
// winners are negative binomial with a dispersion per tier (Poisson where
// the data show none), fitted by maximum likelihood with Fisher scoring.
namespace Popularity {

// The draws a model can learn from, taken once from a prize history.
struct Sample
{
    struct Draw
    {
        int drawNo = 0;
        size_t index = 0; // in the history
        double fund = 0;  // 円, the exposure
        LineMask line = 0;
        LineMask previous = 0; // the main numbers of the draw before; 0 for none
        std::vector<double> patterns; // LinePatterns order
        std::vector<double> winners;  // per tier, 1等 first
    };
    Game game = Game::Loto6;
    std::vector<Draw> draws;
    // 回数 of the draws left out because their fund is not known or does
    // not agree with their pools (prizehistory.h).
    std::vector<int> leftOut;
};
Sample sampleOf(const PrizeHistory &history);

struct Estimate
{
    double value = 0;
    double se = 0;
    double low() const { return value - 1.959963984540054 * se; } // 95 %
    double high() const { return value + 1.959963984540054 * se; }
};

inline constexpr double Poisson = std::numeric_limits<double>::infinity();

struct TierFit
{
    double intercept = 0; // α_t: log winners per 円 of fund for a line of score 0
    Estimate scale;       // γ_t
    // The negative binomial size θ (variance μ + μ²/θ); Poisson when infinite.
    double theta = Poisson;
    // Pearson's χ² per degree of freedom against a Poisson variance: about 1
    // when the counts are Poisson, far above when they are overdispersed.
    double poissonDispersion = 1;
};

struct Options
{
    // False: every line equally popular, the intercepts alone.
    bool popularity = true;
    // False: every tier feels the popularity alike (γ_t = 1).
    bool tierScales = true;
    // False: Poisson on every tier, whatever the data say.
    bool overdispersion = true;
};

struct Fit
{
    Game game = Game::Loto6;
    Options options;
    int draws = 0; // draws fitted
    int firstDraw = 0;
    int lastDraw = 0;
    std::vector<TierFit> tiers;    // one per tier of the game, 1等 first
    std::vector<Estimate> numbers; // weights of 1 … N (index n − 1), summing to zero
    std::vector<Estimate> patterns; // LinePatterns order
    // The largest value of each pattern among the draws fitted: beyond it
    // the model has seen no line and its terms are extrapolated.
    std::vector<int> patternsSeen;
    double logLikelihood = 0;
    int parameters = 0;
    int iterations = 0;

    // s of a line given the draw before it.
    double score(const LinePatterns &patterns, LineMask line, LineMask previous) const;
    // The expected winners of tier (1 …) in a draw of that fund whose
    // numbers score s.
    double expectedWinners(int tier, double fund, double s) const;
};

// Fits the first `count` draws of the sample; start, when given, is a fit
// of the same kind to begin from (a fit on fewer draws). Throws
// std::invalid_argument (Japanese) when the draws cannot tell the
// parameters apart, or a tier was never won.
Fit fit(const Sample &sample, size_t count, const Options &options = {}, const Fit *start = nullptr);

// "Popularity exists": the likelihood ratio of the model with the number
// weights and patterns (every tier alike, so that the test is the textbook
// one) against every line equally popular, each with its own dispersions.
struct LikelihoodRatio
{
    double statistic = 0;
    int df = 0;
    double p = 1;
};
LikelihoodRatio testPopularity(const Fit &model, const Fit &equal);

// Poisson deviance of one count against its prediction: a fair score of a
// predicted mean whatever the counts' dispersion.
double poissonDeviance(double y, double mu);

} // namespace Popularity
