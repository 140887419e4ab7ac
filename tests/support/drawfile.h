#pragma once

// Draw database files for tests: written with the program's own schema, read
// back as plain lines so that a test can compare a file before and after.

#include "store/drawcsv.h"
#include "store/drawdatabase.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <vector>

namespace DrawFile {

inline void write(const QString &path, const std::vector<DrawRecord> &records, const QString &key = DrawDatabase::password())
{
    const Database db = Database::open(path, key, Database::Mode::Create);
    db.begin();
    DrawDatabase::createSchema(db, false);
    for (const DrawRecord &record : records)
        DrawDatabase::insert(db, record, false);
    db.commit();
}

// One line per record, "回数|n1|…|bonus"; Null shows as NULL, '' as nothing.
inline QString line(const DrawRecord &record)
{
    QStringList parts{record.drawNo.toText()};
    for (int p = 1; p <= 7; ++p)
        parts << (record.number(p).isNull() ? QStringLiteral("NULL") : record.number(p).toText());
    return parts.join(QLatin1Char('|'));
}

inline QStringList lines(const QString &path, const QString &key = DrawDatabase::password())
{
    const Database db = Database::open(path, key, Database::Mode::ReadOnly);
    QStringList result;
    for (const DrawRecord &record : DrawDatabase::readAll(db))
        result << line(record);
    return result;
}

// A file's bytes, or a null array when it cannot be read (or is missing).
inline QByteArray bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeBytes(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

// A database made from a UTF-8 CSV file in create-db's form.
inline void createFromCsv(const QString &csvPath, const QString &dbPath, bool force)
{
    DrawCsv::createDatabase(QString::fromUtf8(bytes(csvPath)), csvPath, dbPath, force);
}

} // namespace DrawFile
