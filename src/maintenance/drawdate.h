#pragma once

#include <QDate>
#include <QRegularExpression>
#include <QString>

// Dates as Japanese results pages, spreadsheets and people write them.
namespace DrawImport {

// A date as results pages write it: 2026-08-24, 2026/8/24, 2026.08.24,
// 2026年8月24日, 令和8年8月24日 (元年 for the first year), 平成30年1月4日,
// R8.8.24, H30.1.4, 26/08/24, or without a year 8月24日 and 8/24; a weekday in
// brackets after it is allowed.
struct ParsedDate
{
    bool ok = false;  // the text is a date of one of these forms that exists
    QDate date;       // when the year is given
    int month = 0;    // when it is not
    int day = 0;
};
ParsedDate parseDate(const QString &text);

// Any of those dates, anywhere in a text (plain characters: full-width
// digits and brackets already made half-width).
const QRegularExpression &datePattern();

} // namespace DrawImport
