#pragma once

#include "popularity/prizehistory.h"

#include <QString>

#include <array>
#include <vector>

// How the numbers sit on a game's play slip, as the popularity model sees
// it: `width` numbers a row from 1 at the top left, row after row, like a
// month's calendar (1–7, 8–14, …). Printed slips differ between games and
// printings; this is the layout the row and column patterns are counted on.
struct SlipLayout
{
    int width = 7;
};
SlipLayout slipLayout(Game game);

// The patterns of a line that players are known to favour, as numbers the
// popularity model weighs beside each number's own weight:
enum class Pattern {
    Birthdays,   // 1 when every number is 31 or lower (a date of the month); only where N > 31
    Consecutive, // pairs of neighbours (n, n + 1) on the line
    SameRow,     // pairs of numbers in one row of the slip
    SameColumn,  // pairs of numbers in one column of the slip
    Previous,    // numbers of the previous draw on the line
    Progression, // how far the longest run with one step of 2 or more (5, 10, 15 …) goes beyond two numbers
};

class LinePatterns
{
public:
    explicit LinePatterns(Game game);

    int count() const { return int(m_patterns.size()); }
    Pattern pattern(int j) const { return m_patterns[size_t(j)]; }
    static QString id(Pattern pattern);   // "birthdays": for scripts
    static QString name(Pattern pattern); // "31以下だけ": for the window

    // The count() values of a line; previous is the main numbers of the draw
    // before (0 when there was none).
    void values(LineMask line, LineMask previous, double *out) const;
    // One pattern's value.
    int value(Pattern pattern, LineMask line, LineMask previous) const;
    // The largest value any line can have (the smallest is 0).
    int largest(Pattern pattern) const;

private:
    const GameRules &m_rules;
    std::vector<Pattern> m_patterns;
    LineMask m_birthdays = 0;
    std::vector<unsigned char> m_row;    // by number
    std::vector<unsigned char> m_column; // by number
};
