#include "analysis/significance.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace Significance {

namespace {

double lowerGammaSeries(double a, double x)
{
    double sum = 1.0 / a, term = sum;
    for (int n = 1; n < 10000; ++n) {
        term *= x / (a + n);
        sum += term;
        if (std::abs(term) < std::abs(sum) * 1e-16)
            break;
    }
    return sum * std::exp(-x + a * std::log(x) - std::lgamma(a));
}

// Lentz's continued fraction for Q(a, x), good for x ≥ a + 1.
double upperGammaFraction(double a, double x)
{
    const double tiny = std::numeric_limits<double>::min() / std::numeric_limits<double>::epsilon();
    double b = x + 1 - a, c = 1 / tiny, d = 1 / b, h = d;
    for (int i = 1; i < 10000; ++i) {
        const double an = -i * (i - a);
        b += 2;
        d = an * d + b;
        if (std::abs(d) < tiny)
            d = tiny;
        c = b + an / c;
        if (std::abs(c) < tiny)
            c = tiny;
        d = 1 / d;
        const double delta = d * c;
        h *= delta;
        if (std::abs(delta - 1) < 1e-16)
            break;
    }
    return std::exp(-x + a * std::log(x) - std::lgamma(a)) * h;
}

} // namespace

double upperRegularizedGamma(double a, double x)
{
    if (x <= 0)
        return 1;
    if (x < a + 1)
        return std::max(0.0, 1 - lowerGammaSeries(a, x));
    return upperGammaFraction(a, x);
}

double chiSquareSurvival(double x, int df)
{
    return upperRegularizedGamma(df / 2.0, x / 2.0);
}

std::vector<double> holmAdjust(const std::vector<double> &p)
{
    std::vector<size_t> order(p.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return p[a] < p[b]; });
    std::vector<double> adjusted(p.size());
    double running = 0;
    const size_t m = p.size();
    for (size_t rank = 0; rank < m; ++rank) {
        running = std::max(running, std::min(1.0, double(m - rank) * p[order[rank]]));
        adjusted[order[rank]] = running;
    }
    return adjusted;
}

} // namespace Significance
