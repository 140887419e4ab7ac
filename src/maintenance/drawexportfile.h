#pragma once

#include <QByteArray>
#include <QString>

// 当選データ書出し: every record of the draw database as a CSV file in the
// form dump-db writes (header 回数,[抽選日,]第1数字,…,ボーナス数字), in the
// encoding a spreadsheet on the user's side reads.
namespace DrawExport {

enum class Encoding {
    Utf8WithBom, // UTF-8 with a byte order mark, which spreadsheets need to tell it from Shift_JIS
    ShiftJis,    // CP932, as Windows writes Shift_JIS
};

// The file's bytes for the database at databasePath. Throws DatabaseError.
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
