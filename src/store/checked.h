#pragma once

#include "store/runtimeerror.h"

#include <QtGlobal>

#include <limits>
#include <vector>

// 16-bit signed arithmetic with overflow checks: counters, rows, columns and
// table values of the analyses live in this range, and leaving it is an error
// of the routine, never a silent wrap.
namespace checked {

inline qint16 toInt16(long long value)
{
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        throw RuntimeError(RuntimeErrorKind::Overflow);
    return static_cast<qint16>(value);
}

inline qint16 add(long long a, long long b) { return toInt16(a + b); }
inline qint16 sub(long long a, long long b) { return toInt16(a - b); }
inline qint16 mul(long long a, long long b) { return toInt16(a * b); }

// Throws "index outside a table" unless lo <= index <= hi.
inline void checkIndex(long long index, long long lo, long long hi)
{
    if (index < lo || index > hi)
        throw RuntimeError(RuntimeErrorKind::IndexOutOfRange);
}

// A table with fixed bounds lo … hi whose every access is checked, as the
// fixed-size tables of the analyses are.
template <typename T>
class BoundedTable
{
public:
    BoundedTable(long long lo, long long hi, T initial = T{})
        : m_lo(lo), m_hi(hi), m_items(static_cast<size_t>(hi - lo + 1), initial) {}

    T &operator[](long long index)
    {
        checkIndex(index, m_lo, m_hi);
        return m_items[static_cast<size_t>(index - m_lo)];
    }
    const T &operator[](long long index) const
    {
        checkIndex(index, m_lo, m_hi);
        return m_items[static_cast<size_t>(index - m_lo)];
    }
    void fill(const T &value) { std::fill(m_items.begin(), m_items.end(), value); }
    long long lowerBound() const { return m_lo; }

private:
    long long m_lo;
    long long m_hi;
    std::vector<T> m_items;
};

} // namespace checked
