#pragma once

#include <vector>

// The arithmetic of significance that more than one report needs: the
// chi-square tail and Holm's correction for testing several things at once.
namespace Significance {

// Q(a, x) = Γ(a, x) / Γ(a), the upper regularised incomplete gamma function.
double upperRegularizedGamma(double a, double x);
// P(X ≥ x) for a chi-square variable with df degrees of freedom.
double chiSquareSurvival(double x, int df);
// Holm's step-down adjustment; the result is in the input's order.
std::vector<double> holmAdjust(const std::vector<double> &p);

} // namespace Significance
