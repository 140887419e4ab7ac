#pragma once

#include "ui/tableoutput.h"

#include <QByteArray>
#include <QString>

// 当選データ書出し: every record of the draw database as a CSV file in the
// form dump-db writes (header 回数,[抽選日,]第1数字,…,ボーナス数字) but with
// a missing value as an empty field, in the encoding a spreadsheet on the
// user's side reads. The import reads it back unchanged.
namespace DrawExport {

// The same two encodings, written the same way, as every table's CSVで保存.
using Encoding = TableOutput::Encoding;

// The file's bytes for the database at databasePath. Throws DatabaseError,
// also for a record whose text Shift_JIS cannot hold.
QByteArray csvBytes(const QString &databasePath, Encoding encoding);

struct Result
{
    bool ok = false;
    int records = 0;
    QString message; // Japanese, for the user
};

// Writes the CSV to outPath; an existing file is replaced only by a complete new one.
Result save(const QString &databasePath, const QString &outPath, Encoding encoding);

} // namespace DrawExport
