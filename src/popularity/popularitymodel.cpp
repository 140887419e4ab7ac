#include "popularity/popularitymodel.h"

#include "analysis/significance.h"
#include "popularity/cholesky.h"

#include <QString>

#include <algorithm>
#include <bit>
#include <cmath>
#include <stdexcept>

namespace Popularity {

Sample sampleOf(const PrizeHistory &history)
{
    Sample sample;
    sample.game = history.game;
    const LinePatterns patterns(history.game);
    const std::vector<DrawFund> funds = drawFunds(history);
    for (size_t i = 0; i < history.draws.size(); ++i) {
        const PrizeDraw &draw = history.draws[i];
        if (!funds[i].known()) {
            sample.leftOut.push_back(draw.drawNo);
            continue;
        }
        Sample::Draw d;
        d.drawNo = draw.drawNo;
        d.index = i;
        d.fund = funds[i].fund;
        d.line = draw.mainMask();
        if (i > 0 && history.draws[i - 1].drawNo == draw.drawNo - 1)
            d.previous = history.draws[i - 1].mainMask();
        d.patterns.resize(size_t(patterns.count()));
        patterns.values(d.line, d.previous, d.patterns.data());
        for (const TierOutcome &tier : draw.tiers)
            d.winners.push_back(double(tier.winners));
        sample.draws.push_back(std::move(d));
    }
    return sample;
}

double Fit::score(const LinePatterns &linePatterns, LineMask line, LineMask previous) const
{
    double s = 0;
    if (!options.popularity)
        return s;
    for (LineMask rest = line; rest; rest &= rest - 1)
        s += numbers[size_t(std::countr_zero(rest) - 1)].value;
    for (int j = 0; j < linePatterns.count(); ++j)
        s += patterns[size_t(j)].value * linePatterns.value(linePatterns.pattern(j), line, previous);
    return s;
}

double Fit::expectedWinners(int tier, double fund, double s) const
{
    const TierFit &t = tiers[size_t(tier - 1)];
    return fund * std::exp(t.intercept + t.scale.value * s);
}

double poissonDeviance(double y, double mu)
{
    const double d = y > 0 ? y * std::log(y / mu) - (y - mu) : mu;
    return 2 * d;
}

LikelihoodRatio testPopularity(const Fit &model, const Fit &equal)
{
    LikelihoodRatio test;
    test.statistic = std::max(0.0, 2 * (model.logLikelihood - equal.logLikelihood));
    test.df = model.parameters - equal.parameters;
    test.p = Significance::chiSquareSurvival(test.statistic, test.df);
    return test;
}

namespace {

constexpr double LargestTheta = 1e8; // beyond this a tier is Poisson
constexpr int MaxIterations = 200;

// The log-likelihood of one count: negative binomial of size theta, or
// Poisson when theta is infinite. logFactorial is log y!: kept in, so that
// the sums stay small enough for their changes to be told apart.
double countLogLikelihood(double y, double logFactorial, double mu, double theta)
{
    if (std::isinf(theta))
        return y * std::log(mu) - mu - logFactorial;
    return std::lgamma(y + theta) - std::lgamma(theta) - logFactorial + theta * std::log(theta / (theta + mu))
           + y * std::log(mu / (theta + mu));
}

// Where the parameters sit in one vector: α per tier, γ per tier but the
// scale tier, the weights of 1 … N − 1 (that of N is minus their sum), the
// pattern terms.
struct Layout
{
    int tiers = 0;
    int scaleTier = 0; // 0-based, its γ fixed at 1
    bool scales = false;
    int weights = 0;
    int patterns = 0;

    int gamma(int t) const { return tiers + (t < scaleTier ? t : t - 1); }
    int popularity() const { return tiers + (scales ? tiers - 1 : 0); }
    int size() const { return popularity() + weights + patterns; }
};

class Fitter
{
public:
    Fitter(const Sample &sample, size_t count, const Options &options) : m_sample(sample), m_count(count), m_options(options)
    {
        const GameRules &rules = rulesOf(sample.game);
        m_layout.tiers = rules.tierCount();
        int most = 0;
        for (int t = 1; t <= rules.tierCount(); ++t) {
            if (rules.winningLines(t) > rules.winningLines(most + 1))
                most = t - 1;
        }
        m_layout.scaleTier = most;
        m_layout.scales = options.popularity && options.tierScales;
        if (options.popularity) {
            m_layout.weights = rules.highest - 1;
            m_layout.patterns = count > 0 ? int(sample.draws.front().patterns.size()) : 0;
        }
        const int width = m_layout.weights + m_layout.patterns;
        m_design.assign(count * size_t(width), 0.0);
        for (size_t d = 0; d < count; ++d) {
            const Sample::Draw &draw = sample.draws[d];
            double *u = &m_design[d * size_t(width)];
            if (!options.popularity)
                continue;
            const double last = (draw.line >> rules.highest) & 1 ? 1.0 : 0.0;
            for (int n = 1; n < rules.highest; ++n)
                u[n - 1] = double((draw.line >> n) & 1) - last;
            for (int j = 0; j < m_layout.patterns; ++j)
                u[m_layout.weights + j] = draw.patterns[size_t(j)];
        }
        m_theta.assign(size_t(m_layout.tiers), Poisson);
        for (size_t d = 0; d < count; ++d) {
            for (double y : sample.draws[d].winners)
                m_logFactorial.push_back(std::lgamma(y + 1));
        }
    }

    Fit run(const Fit *start)
    {
        const GameRules &rules = rulesOf(m_sample.game);
        if (m_count < size_t(m_layout.size()) + 10)
            throw std::invalid_argument(QStringLiteral("当せん金の履歴が %1 回分しかなく、人気を推定できません。").arg(m_count).toStdString());
        std::vector<double> totalWinners(size_t(m_layout.tiers), 0.0);
        double totalFund = 0;
        for (size_t d = 0; d < m_count; ++d) {
            totalFund += m_sample.draws[d].fund;
            for (int t = 0; t < m_layout.tiers; ++t)
                totalWinners[size_t(t)] += m_sample.draws[d].winners[size_t(t)];
        }
        m_params.assign(size_t(m_layout.size()), 0.0);
        for (int t = 0; t < m_layout.tiers; ++t) {
            if (totalWinners[size_t(t)] <= 0) {
                throw std::invalid_argument(QStringLiteral("第%1回〜第%2回に%3の当せんが一度もなく、人気を推定できません。")
                                                .arg(m_sample.draws.front().drawNo)
                                                .arg(m_sample.draws[m_count - 1].drawNo)
                                                .arg(rules.tiers[size_t(t)].name)
                                                .toStdString());
            }
            m_params[size_t(t)] = std::log(totalWinners[size_t(t)] / totalFund);
        }
        if (m_layout.scales) {
            for (int t = 0; t < m_layout.tiers; ++t) {
                if (t != m_layout.scaleTier)
                    m_params[size_t(m_layout.gamma(t))] = 1;
            }
        }
        bool gammaFree = !m_layout.scales;
        if (start && start->options.popularity == m_options.popularity && start->options.tierScales == m_options.tierScales) {
            takeStart(*start);
            gammaFree = true;
        }

        // Fisher scoring for the means with the dispersions held, then the
        // dispersions for those means, until neither moves the likelihood.
        double previous = -std::numeric_limits<double>::infinity();
        int iterations = 0;
        for (int round = 0; round < 50; ++round) {
            iterations += scoring(gammaFree);
            if (!gammaFree) {
                gammaFree = true; // the weights now give γ something to scale
                iterations += scoring(true);
            }
            if (m_options.overdispersion)
                fitDispersions();
            const double now = logLikelihood(m_params);
            if (std::abs(now - previous) < 1e-10 * (1 + std::abs(now)))
                break;
            previous = now;
        }
        return result(iterations);
    }

private:
    // η for every observation of draw d: offset + α_t + γ_t · s.
    double drawScore(const std::vector<double> &params, size_t d) const
    {
        if (!m_options.popularity)
            return 0;
        const int width = m_layout.weights + m_layout.patterns;
        const double *u = &m_design[d * size_t(width)];
        const double *b = &params[size_t(m_layout.popularity())];
        double s = 0;
        for (int i = 0; i < width; ++i)
            s += u[i] * b[i];
        return s;
    }

    double gamma(const std::vector<double> &params, int t) const
    {
        if (!m_layout.scales || t == m_layout.scaleTier)
            return 1;
        return params[size_t(m_layout.gamma(t))];
    }

    double mean(const std::vector<double> &params, size_t d, int t, double s) const
    {
        return m_sample.draws[d].fund * std::exp(params[size_t(t)] + gamma(params, t) * s);
    }

    double logLikelihood(const std::vector<double> &params) const
    {
        double sum = 0;
        for (size_t d = 0; d < m_count; ++d) {
            const double s = drawScore(params, d);
            for (int t = 0; t < m_layout.tiers; ++t)
                sum += countLogLikelihood(m_sample.draws[d].winners[size_t(t)], m_logFactorial[d * size_t(m_layout.tiers) + size_t(t)],
                                          mean(params, d, t, s), m_theta[size_t(t)]);
        }
        return sum;
    }

    // Newton steps with the expected information until the likelihood
    // stops rising; returns the steps taken.
    int scoring(bool gammaFree)
    {
        const int p = m_layout.size();
        const int width = m_layout.weights + m_layout.patterns;
        const int b0 = m_layout.popularity();
        double current = logLikelihood(m_params);
        int steps = 0;
        for (; steps < MaxIterations; ++steps) {
            std::vector<double> info(size_t(p * p), 0.0);
            std::vector<double> gradient(size_t(p), 0.0);
            auto at = [&info, p](int i, int j) -> double & { return info[size_t(i * p + j)]; };
            for (size_t d = 0; d < m_count; ++d) {
                const double *u = width > 0 ? &m_design[d * size_t(width)] : nullptr;
                const double s = drawScore(m_params, d);
                double bb = 0;    // Σ_t w γ²: the weight of u uᵀ
                double bGrad = 0; // Σ_t r γ
                for (int t = 0; t < m_layout.tiers; ++t) {
                    const double mu = mean(m_params, d, t, s);
                    const double theta = m_theta[size_t(t)];
                    const double shrink = std::isinf(theta) ? 1.0 : 1.0 / (1.0 + mu / theta);
                    const double w = mu * shrink;
                    const double r = (m_sample.draws[d].winners[size_t(t)] - mu) * shrink;
                    const double g = gamma(m_params, t);
                    at(t, t) += w;
                    gradient[size_t(t)] += r;
                    const bool freeGamma = gammaFree && m_layout.scales && t != m_layout.scaleTier;
                    const int gi = freeGamma ? m_layout.gamma(t) : -1;
                    if (gi >= 0) {
                        at(gi, gi) += w * s * s;
                        at(t, gi) += w * s;
                        gradient[size_t(gi)] += r * s;
                    }
                    for (int i = 0; i < width; ++i) {
                        at(t, b0 + i) += w * g * u[i];
                        if (gi >= 0)
                            at(gi, b0 + i) += w * s * g * u[i];
                    }
                    bb += w * g * g;
                    bGrad += r * g;
                }
                for (int i = 0; i < width; ++i) {
                    gradient[size_t(b0 + i)] += bGrad * u[i];
                    const double ui = bb * u[i];
                    for (int j = 0; j <= i; ++j)
                        at(b0 + i, b0 + j) += ui * u[j];
                }
            }
            // Fill the other triangle; a γ held fixed gets a unit row so that
            // the step leaves it where it is.
            for (int i = 0; i < p; ++i) {
                for (int j = 0; j < i; ++j) {
                    const double v = at(i, j) + at(j, i);
                    at(i, j) = v;
                    at(j, i) = v;
                }
            }
            if (m_layout.scales && !gammaFree) {
                for (int t = 0; t < m_layout.tiers; ++t) {
                    if (t == m_layout.scaleTier)
                        continue;
                    const int gi = m_layout.gamma(t);
                    for (int j = 0; j < p; ++j) {
                        at(gi, j) = 0;
                        at(j, gi) = 0;
                    }
                    at(gi, gi) = 1;
                    gradient[size_t(gi)] = 0;
                }
            }
            const Cholesky factor(info, p);
            if (!factor.ok())
                throw std::invalid_argument("当せん金の履歴から人気の重みを区別できません（数字や組合せの現れ方が偏っています）。");
            m_information = std::move(info);
            const std::vector<double> step = factor.solve(gradient);
            // Halve the step until the likelihood does not fall.
            double scale = 1;
            std::vector<double> trial(m_params.size());
            double next = current;
            for (int halving = 0; halving < 40; ++halving) {
                for (size_t i = 0; i < trial.size(); ++i)
                    trial[i] = m_params[i] + scale * step[i];
                next = logLikelihood(trial);
                if (std::isfinite(next) && next >= current - 1e-12 * std::abs(current))
                    break;
                scale /= 2;
            }
            if (!(std::isfinite(next) && next >= current - 1e-12 * std::abs(current)))
                break;
            m_params = trial;
            const double gain = next - current;
            current = next;
            double largest = 0;
            for (double v : step)
                largest = std::max(largest, std::abs(v) * scale);
            if (gain < 1e-10 * (1 + std::abs(current)) && largest < 1e-8)
                break;
        }
        return steps + 1;
    }

    // Each tier's θ by maximum likelihood for the present means, searched on
    // log θ; Poisson where the likelihood keeps rising to the largest θ.
    void fitDispersions()
    {
        std::vector<double> mu(m_count * size_t(m_layout.tiers));
        for (size_t d = 0; d < m_count; ++d) {
            const double s = drawScore(m_params, d);
            for (int t = 0; t < m_layout.tiers; ++t)
                mu[d * size_t(m_layout.tiers) + size_t(t)] = mean(m_params, d, t, s);
        }
        for (int t = 0; t < m_layout.tiers; ++t) {
            auto likelihood = [&](double logTheta) {
                const double theta = std::exp(logTheta);
                double sum = 0;
                for (size_t d = 0; d < m_count; ++d)
                    sum += countLogLikelihood(m_sample.draws[d].winners[size_t(t)], m_logFactorial[d * size_t(m_layout.tiers) + size_t(t)],
                                              mu[d * size_t(m_layout.tiers) + size_t(t)], theta);
                return sum;
            };
            // Golden-section search, the likelihood being unimodal in log θ.
            double low = std::log(1e-3);
            double high = std::log(LargestTheta);
            const double ratio = (std::sqrt(5.0) - 1) / 2;
            double a = high - ratio * (high - low);
            double b = low + ratio * (high - low);
            double fa = likelihood(a);
            double fb = likelihood(b);
            while (high - low > 1e-6) {
                if (fa < fb) {
                    low = a;
                    a = b;
                    fa = fb;
                    b = low + ratio * (high - low);
                    fb = likelihood(b);
                } else {
                    high = b;
                    b = a;
                    fb = fa;
                    a = high - ratio * (high - low);
                    fa = likelihood(a);
                }
            }
            const double best = (low + high) / 2;
            m_theta[size_t(t)] = best > std::log(LargestTheta) - 1e-3 ? Poisson : std::exp(best);
        }
    }

    void takeStart(const Fit &start)
    {
        for (int t = 0; t < m_layout.tiers; ++t) {
            m_params[size_t(t)] = start.tiers[size_t(t)].intercept;
            if (m_layout.scales && t != m_layout.scaleTier)
                m_params[size_t(m_layout.gamma(t))] = start.tiers[size_t(t)].scale.value;
            m_theta[size_t(t)] = m_options.overdispersion ? start.tiers[size_t(t)].theta : Poisson;
        }
        const int b0 = m_layout.popularity();
        for (int i = 0; i < m_layout.weights; ++i)
            m_params[size_t(b0 + i)] = start.numbers[size_t(i)].value;
        for (int j = 0; j < m_layout.patterns; ++j)
            m_params[size_t(b0 + m_layout.weights + j)] = start.patterns[size_t(j)].value;
    }

    Fit result(int iterations) const
    {
        const int p = m_layout.size();
        const Cholesky factor(m_information, p);
        if (!factor.ok())
            throw std::invalid_argument("当せん金の履歴から人気の重みを区別できません（数字や組合せの現れ方が偏っています）。");
        const std::vector<double> covariance = factor.inverse();
        auto se = [&covariance, p](int i) { return std::sqrt(std::max(0.0, covariance[size_t(i * p + i)])); };

        Fit fit;
        fit.game = m_sample.game;
        fit.options = m_options;
        fit.draws = int(m_count);
        fit.firstDraw = m_sample.draws.front().drawNo;
        fit.lastDraw = m_sample.draws[m_count - 1].drawNo;
        fit.logLikelihood = logLikelihood(m_params);
        fit.iterations = iterations;
        fit.parameters = p;
        for (int t = 0; t < m_layout.tiers; ++t) {
            TierFit tier;
            tier.intercept = m_params[size_t(t)];
            tier.scale.value = gamma(m_params, t);
            if (m_layout.scales && t != m_layout.scaleTier)
                tier.scale.se = se(m_layout.gamma(t));
            tier.theta = m_theta[size_t(t)];
            fit.tiers.push_back(tier);
        }
        // Pearson's dispersion against the Poisson variance, per tier.
        std::vector<double> pearson(size_t(m_layout.tiers), 0.0);
        for (size_t d = 0; d < m_count; ++d) {
            const double s = drawScore(m_params, d);
            for (int t = 0; t < m_layout.tiers; ++t) {
                const double mu = mean(m_params, d, t, s);
                const double r = m_sample.draws[d].winners[size_t(t)] - mu;
                pearson[size_t(t)] += r * r / mu;
            }
        }
        const double perTier = double(p) / m_layout.tiers;
        for (int t = 0; t < m_layout.tiers; ++t)
            fit.tiers[size_t(t)].poissonDispersion = pearson[size_t(t)] / std::max(1.0, double(m_count) - perTier);
        if (!m_options.popularity)
            return fit;

        const int b0 = m_layout.popularity();
        double last = 0;
        double lastVariance = 0;
        for (int i = 0; i < m_layout.weights; ++i) {
            fit.numbers.push_back({m_params[size_t(b0 + i)], se(b0 + i)});
            last -= m_params[size_t(b0 + i)];
            for (int j = 0; j < m_layout.weights; ++j)
                lastVariance += covariance[size_t((b0 + i) * p + b0 + j)];
        }
        fit.numbers.push_back({last, std::sqrt(std::max(0.0, lastVariance))});
        for (int j = 0; j < m_layout.patterns; ++j) {
            fit.patterns.push_back({m_params[size_t(b0 + m_layout.weights + j)], se(b0 + m_layout.weights + j)});
            double seen = 0;
            for (size_t d = 0; d < m_count; ++d)
                seen = std::max(seen, m_sample.draws[d].patterns[size_t(j)]);
            fit.patternsSeen.push_back(int(seen));
        }
        return fit;
    }

    const Sample &m_sample;
    size_t m_count;
    Options m_options;
    Layout m_layout;
    std::vector<double> m_design; // per draw: the weight columns, then the patterns
    std::vector<double> m_params;
    std::vector<double> m_theta;
    std::vector<double> m_logFactorial; // log y! per draw and tier
    std::vector<double> m_information;
};

} // namespace

Fit fit(const Sample &sample, size_t count, const Options &options, const Fit *start)
{
    count = std::min(count, sample.draws.size());
    Fitter fitter(sample, count, options);
    return fitter.run(start);
}

} // namespace Popularity
