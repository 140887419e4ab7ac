#include "popularity/cholesky.h"

#include <cmath>

Cholesky::Cholesky(std::vector<double> matrix, int n) : m_l(std::move(matrix)), m_n(n)
{
    std::vector<double> &a = m_l;
    for (int j = 0; j < n; ++j) {
        double diagonal = a[size_t(j * n + j)];
        for (int k = 0; k < j; ++k)
            diagonal -= a[size_t(j * n + k)] * a[size_t(j * n + k)];
        if (!(diagonal > 0))
            return;
        const double root = std::sqrt(diagonal);
        a[size_t(j * n + j)] = root;
        for (int i = j + 1; i < n; ++i) {
            double v = a[size_t(i * n + j)];
            for (int k = 0; k < j; ++k)
                v -= a[size_t(i * n + k)] * a[size_t(j * n + k)];
            a[size_t(i * n + j)] = v / root;
        }
        for (int i = 0; i < j; ++i)
            a[size_t(i * n + j)] = 0;
    }
    m_ok = true;
}

std::vector<double> Cholesky::solve(const std::vector<double> &rhs) const
{
    const int n = m_n;
    std::vector<double> x(rhs);
    for (int i = 0; i < n; ++i) {
        for (int k = 0; k < i; ++k)
            x[size_t(i)] -= m_l[size_t(i * n + k)] * x[size_t(k)];
        x[size_t(i)] /= m_l[size_t(i * n + i)];
    }
    for (int i = n - 1; i >= 0; --i) {
        for (int k = i + 1; k < n; ++k)
            x[size_t(i)] -= m_l[size_t(k * n + i)] * x[size_t(k)];
        x[size_t(i)] /= m_l[size_t(i * n + i)];
    }
    return x;
}

std::vector<double> Cholesky::inverse() const
{
    const int n = m_n;
    std::vector<double> result(size_t(n * n));
    std::vector<double> unit(size_t(n), 0.0);
    for (int j = 0; j < n; ++j) {
        unit[size_t(j)] = 1;
        const std::vector<double> column = solve(unit);
        unit[size_t(j)] = 0;
        for (int i = 0; i < n; ++i)
            result[size_t(i * n + j)] = column[size_t(i)];
    }
    return result;
}
