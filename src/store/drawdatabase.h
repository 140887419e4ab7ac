#pragma once

#include "store/database.h"
#include "store/drawrecord.h"

#include <QString>

// The draw database: file name, password, schema and the one query every
// reader uses.
namespace DrawDatabase {

inline const QString FileName = QStringLiteral("Loto6Kermon.mdb");
inline const QString QueryText = QStringLiteral("select * from 全データ選択クエリ order by 回数");

// The six-digit password, made from an integer constant at run time.
QString password();

// The database file of a folder (given without a trailing separator).
QString fileIn(const QString &folder);

// Opens the draw database at path with the program's password.
Database open(const QString &path, Database::Mode mode);

// The most records a history can hold: one per 16-bit draw number.
constexpr int MaxRecords = 32767;

// Runs the query and returns every record, ascending 回数. Refuses a database
// without 全データ選択クエリ or without one of the eight fields, and one whose
// query yields more than MaxRecords records.
Recordset readAll(const Database &db);

// Checks that db is a draw database (opens with the key, has the query and
// its fields) without reading the records.
void verify(const Database &db);

// Creates the table 結果マスタ (with 抽選日 when withDate) and the view
// 全データ選択クエリ in an empty database.
void createSchema(const Database &db, bool withDate);

// Inserts one record into 結果マスタ.
void insert(const Database &db, const DrawRecord &record, bool withDate);

// Whether 結果マスタ has the optional 抽選日 column.
bool hasDateColumn(const Database &db);

} // namespace DrawDatabase
