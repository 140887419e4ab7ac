#pragma once

#include "store/checked.h"
#include "store/database.h"
#include "store/drawrecord.h"

#include <QString>
#include <QStringList>

#include <memory>

// The draw history store: built once at start-up by LoadDrawHistory, then
// handed read-only to every analysis and to the prediction.
struct DrawHistoryStore
{
    // The database file the history was read from.
    QString DatabasePath;
    // Every draw record, ascending 回数; incomplete records included.
    Recordset DrawRecordset;
    // 回数 of the last complete draw; 0 for an empty database.
    qint16 LastDrawNo = 0;
    // How often each number occurs over all complete draws, bonus included.
    // Indexes 0 … 99999; only 1 … 43 are read.
    checked::BoundedTable<qint16> NumberTotal{0, 99999, 0};
    // Highest NumberTotal(n) for n = 1 … 43.
    qint16 MaxTotal = 0;
    // TotalGroups(k): the numbers with total k, ascending, joined by ",".
    // Indexes 0 … MaxTotal; empty when the history is empty.
    QStringList TotalGroups;
    // One caption row plus one row per distinct total; 0 when empty.
    qint16 TotalGroupRows = 0;

    // The connection stays open as long as the store, as the old recordset's did.
    std::shared_ptr<Database> connection;
};

// Opens Loto6Kermon.mdb in programFolder read-only and builds the store.
// Throws DatabaseError for a database that cannot serve, and DatabaseError
// carrying the run-time error's message for a value the load cannot take.
DrawHistoryStore LoadDrawHistory(const QString &programFolder);
// The same for the draw database at path.
DrawHistoryStore loadDrawHistoryFrom(const QString &path);

// Builds the derived tables from records already read (the steps of the load
// after the query). Throws RuntimeError.
DrawHistoryStore buildDrawHistory(Recordset records);
