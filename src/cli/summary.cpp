#include "cli/summary.h"

#include "ui/sheetexport.h"

QString storeSummaryJson(const DrawHistoryStore &store)
{
    QStringList totals;
    for (int n = 1; n <= 43; ++n)
        totals << QString::number(store.NumberTotal[n]);
    QStringList groups;
    for (const QString &group : store.TotalGroups)
        groups << SheetExport::jsonString(group);
    return QStringLiteral("{\"LastDrawNo\":%1,\"NumberTotal\":[%2],\"MaxTotal\":%3,\"TotalGroups\":[%4],\"TotalGroupRows\":%5}")
        .arg(QString::number(store.LastDrawNo), totals.join(QLatin1Char(',')), QString::number(store.MaxTotal),
             groups.join(QLatin1Char(',')), QString::number(store.TotalGroupRows));
}
