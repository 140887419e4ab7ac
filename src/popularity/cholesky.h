#pragma once

#include <vector>

// A symmetric positive definite matrix of size n, row-major, factored once
// and then solved against or inverted: the normal equations of the model's
// Newton steps and the covariance of its estimates.
class Cholesky
{
public:
    // False from ok() when the matrix is not positive definite (a
    // parameter the data cannot tell apart from the others).
    Cholesky(std::vector<double> matrix, int n);

    bool ok() const { return m_ok; }
    std::vector<double> solve(const std::vector<double> &rhs) const;
    std::vector<double> inverse() const;

private:
    std::vector<double> m_l; // lower triangle, row-major
    int m_n = 0;
    bool m_ok = false;
};
