#include "store/drawdatabase.h"

#include "store/runtimeerror.h"

namespace DrawDatabase {

namespace {
// The password's integer form; its decimal text is the key.
constexpr int PasswordSeed = 428613;
} // namespace

QString password()
{
    return QString::number(PasswordSeed);
}

QString fileIn(const QString &folder)
{
    return folder + QLatin1Char('/') + FileName;
}

Database open(const QString &path, Database::Mode mode)
{
    return Database::open(path, password(), mode);
}

namespace {

struct ColumnMap
{
    int drawNo = -1;
    int numbers[7] = {-1, -1, -1, -1, -1, -1, -1};
    int drawDate = -1;
};

ColumnMap mapColumns(const Database &db, const Statement &stmt)
{
    const QStringList names = stmt.columnNames();
    ColumnMap map;
    for (const QString &required : FieldName::required()) {
        const int index = names.indexOf(required);
        if (index < 0) {
            throw DatabaseError(QStringLiteral("データベースファイル「%1」: 全データ選択クエリにフィールド「%2」がありません。")
                                    .arg(db.path(), required));
        }
    }
    map.drawNo = names.indexOf(FieldName::DrawNo);
    for (int p = 1; p <= 7; ++p)
        map.numbers[p - 1] = names.indexOf(FieldName::numberField(p));
    map.drawDate = names.indexOf(FieldName::DrawDate);
    return map;
}

Statement prepareQuery(const Database &db)
{
    // A missing view makes the prepare fail; say which object is missing.
    Statement probe = db.prepare(QStringLiteral(
        "select count(*) from sqlite_master where name = '全データ選択クエリ' and type in ('view', 'table')"));
    probe.step();
    if (probe.value(0).integer() == 0) {
        throw DatabaseError(QStringLiteral("データベースファイル「%1」: 全データ選択クエリがありません。ロト6の当選データベースではありません。")
                                .arg(db.path()));
    }
    return db.prepare(QueryText);
}

} // namespace

void verify(const Database &db)
{
    Statement stmt = prepareQuery(db);
    mapColumns(db, stmt);
}

Recordset readAll(const Database &db)
{
    Statement stmt = prepareQuery(db);
    // Draw numbers are 16-bit, so no real history is longer. A query that
    // never ends (a recursive view) would be sorted whole before its first
    // row comes out: count up to one past the limit first, unsorted.
    Statement count = db.prepare(QStringLiteral("select count(*) from (select 1 from 全データ選択クエリ limit %1)")
                                     .arg(MaxRecords + 1));
    if (count.step() && count.value(0).integer() > MaxRecords) {
        throw DatabaseError(QStringLiteral("データベースファイル「%1」: 全データ選択クエリのレコードが %2 件を超えています。")
                                .arg(db.path()).arg(MaxRecords));
    }
    const ColumnMap map = mapColumns(db, stmt);
    std::vector<DrawRecord> records;
    records.reserve(4096);
    while (stmt.step()) {
        DrawRecord record;
        record.drawNo = stmt.value(map.drawNo);
        for (int p = 0; p < 7; ++p)
            record.numbers[static_cast<size_t>(p)] = stmt.value(map.numbers[p]);
        if (map.drawDate >= 0)
            record.drawDate = stmt.value(map.drawDate);
        records.push_back(std::move(record));
    }
    return Recordset(std::move(records));
}

void createSchema(const Database &db, bool withDate)
{
    db.exec(QStringLiteral("CREATE TABLE 結果マスタ ("
                           "回数 INTEGER PRIMARY KEY, "
                           "第1数字 INTEGER, 第2数字 INTEGER, 第3数字 INTEGER, "
                           "第4数字 INTEGER, 第5数字 INTEGER, 第6数字 INTEGER, "
                           "ボーナス数字 INTEGER%1)")
                .arg(withDate ? QStringLiteral(", 抽選日 TEXT") : QString()));
    db.exec(QStringLiteral("CREATE VIEW 全データ選択クエリ AS SELECT * FROM 結果マスタ"));
}

void insert(const Database &db, const DrawRecord &record, bool withDate)
{
    Statement stmt = db.prepare(withDate
        ? QStringLiteral("INSERT INTO 結果マスタ (回数, 第1数字, 第2数字, 第3数字, 第4数字, 第5数字, 第6数字, ボーナス数字, 抽選日) VALUES (?,?,?,?,?,?,?,?,?)")
        : QStringLiteral("INSERT INTO 結果マスタ (回数, 第1数字, 第2数字, 第3数字, 第4数字, 第5数字, 第6数字, ボーナス数字) VALUES (?,?,?,?,?,?,?,?)"));
    stmt.bind(1, record.drawNo);
    for (int p = 1; p <= 7; ++p)
        stmt.bind(p + 1, record.number(p));
    if (withDate)
        stmt.bind(9, record.drawDate);
    stmt.step();
}

bool hasDateColumn(const Database &db)
{
    // SQLCipher 3.4 predates pragma table-valued functions.
    Statement stmt = db.prepare(QStringLiteral("PRAGMA table_info(結果マスタ)"));
    while (stmt.step()) {
        if (stmt.value(1).toText() == FieldName::DrawDate)
            return true;
    }
    return false;
}

} // namespace DrawDatabase
