#pragma once

#include <QLocale>
#include <QString>

// Large counts and sums of money read at a glance with their digits grouped
// in threes: 4,323,034,400.
inline QString groupedDigits(qint64 number)
{
    return QLocale(QLocale::English).toString(number);
}
