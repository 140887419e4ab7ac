#pragma once

#include "store/drawrecord.h"

#include <QString>

// The CSV form of the draw database used by create-db and dump-db:
// header 回数,[抽選日,]第1数字,…,第6数字,ボーナス数字; a field NULL is Null, an
// empty field the empty string, an integer an integer, anything else text.
namespace DrawCsv {

struct Table
{
    bool withDate = false;
    std::vector<DrawRecord> records;
};

// The fields of one line: the separator (a comma unless given) separates,
// "…" quotes, "" is a quote inside.
QStringList splitLine(const QString &line, QChar separator = QLatin1Char(','));
// A field as written: quoted only when it holds a comma, a quote or a line break.
QString quote(const QString &text);
// A CSV file's text as lines: a leading byte order mark dropped, CR LF or LF.
QStringList textLines(const QString &text);

// Throws DatabaseError with the line number for a malformed file.
Table parse(const QString &text, const QString &sourceName);

// How a Null field is written: as NULL, which parse reads back as Null, or
// as an empty field, as spreadsheets and the import read a missing value.
enum class Nulls { AsNull, AsEmpty };
QString write(const Table &table, Nulls nulls = Nulls::AsNull);

// Creates dbPath from the text of a CSV file (sourceName names it in
// messages). The new file is written beside the target and renamed over it
// only when complete; without force an existing file is refused.
void createDatabase(const QString &csvText, const QString &sourceName, const QString &dbPath, bool force);

// The records of a draw database as CSV.
QString dumpDatabase(const QString &dbPath, Nulls nulls = Nulls::AsNull);

} // namespace DrawCsv
