#include "popularity/linepatterns.h"

#include "game/bits.h"

#include <algorithm>
#include <bit>

SlipLayout slipLayout(Game game)
{
    // ロト6, ロト7, ミニロト (ミニロト's 1 … 31 fill a calendar month exactly).
    static const std::array<SlipLayout, 3> layouts{{{7}, {7}, {7}}};
    return layouts[size_t(game)];
}

namespace {

// The days a month can have: the numbers birthday players are drawn to.
constexpr int LastDay = 31;

// The longest run a, a + d, a + 2d, … with d ≥ 2 among the numbers of line;
// 2 when there is none of three.
int longestProgression(LineMask line, int highest)
{
    int longest = 2;
    for (int d = 2; 2 * d < highest; ++d) {
        // Numbers that start a run of three with step d, then of four, …
        LineMask run = line & (line >> d) & (line >> (2 * d));
        for (int length = 3; run; ++length) {
            longest = std::max(longest, length);
            const int shift = d * length;
            run = shift < 64 ? run & (line >> shift) : 0;
        }
    }
    return longest;
}

// Pairs of the line's numbers that share a group (a row or a column of the
// slip), given the group of every number.
int pairsWithin(LineMask line, const std::vector<unsigned char> &groupOf)
{
    unsigned char seen[64] = {};
    int sum = 0;
    for (LineMask rest = line; rest; rest &= rest - 1)
        sum += seen[groupOf[size_t(std::countr_zero(rest))]]++;
    return sum;
}

} // namespace

LinePatterns::LinePatterns(Game game) : m_rules(rulesOf(game))
{
    if (m_rules.highest > LastDay)
        m_patterns.push_back(Pattern::Birthdays);
    m_patterns.insert(m_patterns.end(), {Pattern::Consecutive, Pattern::SameRow, Pattern::SameColumn, Pattern::Previous,
                                         Pattern::Progression});
    for (int n = 1; n <= std::min(LastDay, m_rules.highest); ++n)
        m_birthdays |= LineMask(1) << n;
    const int width = slipLayout(game).width;
    m_row.assign(64, 0);
    m_column.assign(64, 0);
    for (int n = 1; n <= m_rules.highest; ++n) {
        m_row[size_t(n)] = (unsigned char)((n - 1) / width);
        m_column[size_t(n)] = (unsigned char)((n - 1) % width);
    }
}

QString LinePatterns::id(Pattern pattern)
{
    switch (pattern) {
    case Pattern::Birthdays: return QStringLiteral("birthdays");
    case Pattern::Consecutive: return QStringLiteral("consecutive");
    case Pattern::SameRow: return QStringLiteral("sameRow");
    case Pattern::SameColumn: return QStringLiteral("sameColumn");
    case Pattern::Previous: return QStringLiteral("previous");
    case Pattern::Progression: return QStringLiteral("progression");
    }
    return {};
}

QString LinePatterns::name(Pattern pattern)
{
    switch (pattern) {
    case Pattern::Birthdays: return QStringLiteral("すべて31以下");
    case Pattern::Consecutive: return QStringLiteral("連続数字の組");
    case Pattern::SameRow: return QStringLiteral("用紙の同じ行の組");
    case Pattern::SameColumn: return QStringLiteral("用紙の同じ列の組");
    case Pattern::Previous: return QStringLiteral("前回の数字");
    case Pattern::Progression: return QStringLiteral("等間隔の並び");
    }
    return {};
}

int LinePatterns::value(Pattern pattern, LineMask line, LineMask previous) const
{
    switch (pattern) {
    case Pattern::Birthdays:
        return (line & ~m_birthdays) == 0 ? 1 : 0;
    case Pattern::Consecutive:
        return bitCount(line & (line >> 1));
    case Pattern::SameRow:
        return pairsWithin(line, m_row);
    case Pattern::SameColumn:
        return pairsWithin(line, m_column);
    case Pattern::Previous:
        return bitCount(line & previous);
    case Pattern::Progression:
        return std::max(0, longestProgression(line, m_rules.highest) - 2);
    }
    return 0;
}

int LinePatterns::largest(Pattern pattern) const
{
    const int k = m_rules.mainCount;
    switch (pattern) {
    case Pattern::Birthdays: return 1;
    case Pattern::Consecutive: return k - 1;
    case Pattern::SameRow:
    case Pattern::SameColumn: return k * (k - 1) / 2;
    case Pattern::Previous: return k;
    case Pattern::Progression: return std::max(0, k - 2);
    }
    return 0;
}

void LinePatterns::values(LineMask line, LineMask previous, double *out) const
{
    for (size_t j = 0; j < m_patterns.size(); ++j)
        out[j] = value(m_patterns[j], line, previous);
}
