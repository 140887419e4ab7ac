#pragma once

#include <QString>

// A whole number of any width this program counts in: sums of money over a
// ticket ledger need more than 64 bits (a line wins up to 10億円, a ticket
// counts up to 100 000 lines, and there may be many tickets).
__extension__ typedef __int128 WideInteger;

// Large counts and sums of money read at a glance with their digits grouped
// in threes: 4,323,034,400. (QLocale knows no 128-bit integers.)
inline QString groupedDigits(WideInteger number)
{
    const bool negative = number < 0;
    QString digits;
    int count = 0;
    do {
        if (count > 0 && count % 3 == 0)
            digits.prepend(QLatin1Char(','));
        const int digit = int(number % 10);
        digits.prepend(QChar(char16_t(u'0' + (negative ? -digit : digit))));
        number /= 10;
        ++count;
    } while (number != 0);
    return negative ? QLatin1Char('-') + digits : digits;
}
