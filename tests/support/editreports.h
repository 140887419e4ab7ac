#pragma once

// What `dbwriter FILE edit N` printed ("row value W" for an edit it was told
// was written, "row value F" for one that failed), held against the file.

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace EditReports {

struct Checked
{
    int written = 0;
    QStringList contradicted; // reports the file does not bear out
};

// before and after are DrawFile::lines of the file (rows in 回数 order) from
// before the editor started and after it ended.
inline Checked check(const QByteArray &reports, const QStringList &before, const QStringList &after)
{
    Checked checked;
    for (const QByteArray &report : reports.split('\n')) {
        const QList<QByteArray> parts = report.split(' ');
        if (parts.size() != 3)
            continue;
        const int row = parts[0].toInt();
        const bool written = parts[2] == "W";
        const QString expected = written ? QString::fromLatin1(parts[1]) : before.value(row - 1).section(QLatin1Char('|'), 1, 1);
        checked.written += written ? 1 : 0;
        if (after.value(row - 1).section(QLatin1Char('|'), 1, 1) != expected)
            checked.contradicted << QString::fromLatin1(report);
    }
    return checked;
}

} // namespace EditReports
