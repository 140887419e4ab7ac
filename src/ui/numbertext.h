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

// A decimal the same way, its whole part grouped: 271,869.97.
inline QString groupedDecimal(double value, int decimals)
{
    // Fixed notation: the point, if any, stands that many digits from the end.
    const QString fixed = QString::number(value, 'f', decimals);
    const qsizetype point = decimals > 0 ? fixed.size() - decimals - 1 : fixed.size();
    const QString whole = fixed.left(point);
    const bool negative = whole.startsWith(QLatin1Char('-'));
    QString grouped = negative ? whole.mid(1) : whole;
    for (qsizetype at = grouped.size() - 3; at > 0; at -= 3)
        grouped.insert(at, QLatin1Char(','));
    return (negative ? QStringLiteral("-") : QString()) + grouped + fixed.mid(point);
}
