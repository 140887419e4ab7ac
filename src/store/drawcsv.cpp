#include "store/drawcsv.h"

#include "store/database.h"
#include "store/drawdatabase.h"
#include "store/filereplacement.h"
#include "store/pendingfile.h"
#include "store/runtimeerror.h"

#include <QFile>
#include <QFileInfo>


namespace DrawCsv {

QStringList splitLine(const QString &line, QChar separator)
{
    QStringList fields;
    QString current;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar ch = line[i];
        if (quoted) {
            if (ch == QLatin1Char('"')) {
                if (i + 1 < line.size() && line[i + 1] == QLatin1Char('"')) {
                    current += QLatin1Char('"');
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                current += ch;
            }
        } else if (ch == QLatin1Char('"')) {
            quoted = true;
        } else if (ch == separator) {
            fields << current;
            current.clear();
        } else {
            current += ch;
        }
    }
    fields << current;
    return fields;
}

QString quote(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))
        && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString escaped = text;
    escaped.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

namespace {

Field parseField(const QString &text)
{
    if (text == QLatin1String("NULL"))
        return Field::null();
    bool ok = false;
    const long long value = text.toLongLong(&ok);
    if (ok && !text.startsWith(QLatin1Char('+')) && !text.contains(QLatin1Char(' ')))
        return Field(value);
    return Field(text);
}

QString formatField(const Field &field, Nulls nulls)
{
    if (field.isNull())
        return nulls == Nulls::AsNull ? QStringLiteral("NULL") : QString();
    return quote(field.toText());
}

QStringList header(bool withDate)
{
    QStringList names{FieldName::DrawNo};
    if (withDate)
        names << FieldName::DrawDate;
    for (int p = 1; p <= 7; ++p)
        names << FieldName::numberField(p);
    return names;
}

} // namespace

QStringList textLines(const QString &text)
{
    QString body = text;
    if (body.startsWith(QChar(0xFEFF)))
        body.remove(0, 1);
    QStringList lines = body.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

Table parse(const QString &text, const QString &sourceName)
{
    QStringList lines = textLines(text);
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        throw DatabaseError(QStringLiteral("CSV ファイル「%1」が空です。").arg(sourceName));

    Table table;
    const QStringList head = splitLine(lines.first());
    if (head == header(true))
        table.withDate = true;
    else if (head != header(false))
        throw DatabaseError(QStringLiteral("CSV ファイル「%1」の見出し行が正しくありません（回数,[抽選日,]第1数字,…,第6数字,ボーナス数字）。")
                                .arg(sourceName));

    const int width = table.withDate ? 9 : 8;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList fields = splitLine(lines[i]);
        if (fields.size() != width) {
            throw DatabaseError(QStringLiteral("CSV ファイル「%1」の %2 行目: 項目の数が %3 ではありません。")
                                    .arg(sourceName).arg(i + 1).arg(width));
        }
        DrawRecord record;
        int column = 0;
        record.drawNo = parseField(fields[column++]);
        if (!record.drawNo.isInteger()) {
            throw DatabaseError(QStringLiteral("CSV ファイル「%1」の %2 行目: 回数「%3」が整数ではありません。")
                                    .arg(sourceName).arg(i + 1).arg(fields[0]));
        }
        // 回数 and the number of draws are 16-bit in the store and the
        // windows: a file beyond what they show would be written and then
        // fail at every start or in some window.
        if (record.drawNo.integer() > DrawRecord::MaxDrawNumber) {
            throw DatabaseError(QStringLiteral("CSV ファイル「%1」の %2 行目: 回数「%3」は読み込める範囲（%4 まで）を超えています。")
                                    .arg(sourceName).arg(i + 1).arg(fields[0]).arg(DrawRecord::MaxDrawNumber));
        }
        // Draws count from 1: the windows index their tables by 回数.
        if (record.drawNo.integer() < 1) {
            throw DatabaseError(QStringLiteral("CSV ファイル「%1」の %2 行目: 回数「%3」は 1 以上の整数にしてください。")
                                    .arg(sourceName).arg(i + 1).arg(fields[0]));
        }
        if (table.records.size() >= size_t(DrawRecord::MaxDrawNumber)) {
            throw DatabaseError(QStringLiteral("CSV ファイル「%1」の %2 行目: 当選データが読み込める件数（%3 件）を超えています。")
                                    .arg(sourceName).arg(i + 1).arg(DrawRecord::MaxDrawNumber));
        }
        if (table.withDate)
            record.drawDate = parseField(fields[column++]);
        for (int p = 0; p < 7; ++p)
            record.numbers[static_cast<size_t>(p)] = parseField(fields[column++]);
        table.records.push_back(std::move(record));
    }
    return table;
}

QString write(const Table &table, Nulls nulls)
{
    QString out = header(table.withDate).join(QLatin1Char(',')) + QLatin1Char('\n');
    for (const DrawRecord &record : table.records) {
        QStringList fields{formatField(record.drawNo, nulls)};
        if (table.withDate)
            fields << formatField(record.drawDate, nulls);
        for (const Field &f : record.numbers)
            fields << formatField(f, nulls);
        out += fields.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return out;
}

void createDatabase(const QString &csvText, const QString &sourceName, const QString &dbPath, bool force)
{
    const Table table = parse(csvText, sourceName);

    if (QFileInfo::exists(dbPath) && !force) {
        throw DatabaseError(QStringLiteral("データベースファイル「%1」は既にあります。置き換えるには --force を付けてください。")
                                .arg(dbPath));
    }

    static const QString Tag = QStringLiteral("creating");
    // What a killed create-db left; its journal would roll into nothing.
    PendingFile::removeLeftovers(dbPath, Tag);
    PendingFile temporary = PendingFile::create(dbPath, Tag);
    {
        const Database db = Database::open(temporary.path(), DrawDatabase::password(), Database::Mode::Create);
        db.begin();
        DrawDatabase::createSchema(db, table.withDate);
        for (const DrawRecord &record : table.records)
            DrawDatabase::insert(db, record, table.withDate);
        db.commit();
    }
    // An existing file is replaced under its write lock (see FileReplacement);
    // opening it rolls a journal a killed writer left back into it first.
    try {
        FileReplacement replacement(dbPath, DrawDatabase::password());
        try {
            replacement.replaceWith(temporary);
        } catch (const DatabaseError &error) {
            throw DatabaseError(QStringLiteral("データベースファイル「%1」を作成できません（%2）。").arg(dbPath, error.message()));
        }
    } catch (const DatabaseError &error) {
        if (error.isBusy()) {
            throw DatabaseError(QStringLiteral("データベースファイル「%1」は他のプログラムが書き込み中です。置き換えられません。")
                                    .arg(dbPath));
        }
        throw;
    }
}

QString dumpDatabase(const QString &dbPath, Nulls nulls)
{
    const Database db = Database::open(dbPath, DrawDatabase::password(), Database::Mode::ReadOnly);
    Table table;
    table.withDate = DrawDatabase::hasDateColumn(db);
    table.records = DrawDatabase::readAll(db).records();
    return write(table, nulls);
}

} // namespace DrawCsv
