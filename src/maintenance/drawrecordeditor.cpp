#include "maintenance/drawrecordeditor.h"

#include "maintenance/numbercheck.h"
#include "store/drawdatabase.h"
#include "store/runtimeerror.h"

namespace {

const QString Table = QStringLiteral("結果マスタ");

// Runs work between BEGIN IMMEDIATE and COMMIT; anything thrown rolls back.
template<typename Work>
void inTransaction(const Database &db, Work &&work)
{
    db.begin();
    try {
        work();
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
}

QString drawNoText(const DrawRecord &record)
{
    return record.drawNo.toText();
}

// The record as read is not what the file holds any more.
[[noreturn]] void conflict(const DrawRecord &record)
{
    throw DatabaseError(QStringLiteral("回数%1のデータがほかのプログラムで変更または削除されています。")
                            .arg(drawNoText(record)));
}

} // namespace

DrawRecordEditor DrawRecordEditor::open(const QString &connectString)
{
    return DrawRecordEditor(DrawDatabase::connect(connectString, Database::Mode::ReadWrite));
}

DrawRecordEditor::DrawRecordEditor(Database db)
    : m_db(std::move(db))
{
    const Recordset records = DrawDatabase::readAll(m_db);
    m_rows.reserve(records.records().size() + 64);
    for (const DrawRecord &record : records)
        m_rows.push_back(Row{record, {}});
}

const DrawRecordEditor::Row &DrawRecordEditor::rowAt(int row) const
{
    if (row < 1 || row > rowCount())
        throw RuntimeError(RuntimeErrorKind::IndexOutOfRange, QStringLiteral("row %1").arg(row));
    return m_rows[static_cast<size_t>(row - 1)];
}

DrawRecordEditor::Row &DrawRecordEditor::rowAt(int row)
{
    return const_cast<Row &>(std::as_const(*this).rowAt(row));
}

const DrawRecord &DrawRecordEditor::record(int row) const
{
    return rowAt(row).record;
}

QString DrawRecordEditor::text(int column, int row) const
{
    const Row &r = rowAt(row);
    if (column == 1)
        return drawNoText(r.record);
    if (!isEditable(column))
        throw RuntimeError(RuntimeErrorKind::IndexOutOfRange, QStringLiteral("column %1").arg(column));
    const int position = column - 1;
    const std::optional<QString> &kept = r.kept[static_cast<size_t>(position - 1)];
    return kept ? *kept : r.record.number(position).toText();
}

EditResult DrawRecordEditor::setText(int column, int row, const QString &text)
{
    if (!isEditable(column))
        return {EditResult::Status::Refused, QStringLiteral("回数の欄は変更できません。")};
    Row &r = rowAt(row);
    const int position = column - 1;
    std::optional<QString> &kept = r.kept[static_cast<size_t>(position - 1)];
    const std::optional<Field> value = NumberCheck::valueOf(text);
    if (!value) {
        kept = text;
        return {EditResult::Status::Kept, {}};
    }
    kept.reset();
    Field &stored = r.record.numbers[static_cast<size_t>(position - 1)];
    if (*value == stored || (value->isNull() && stored.isEmpty()))
        return {EditResult::Status::Unchanged, {}};

    const QString field = FieldName::numberField(position);
    try {
        inTransaction(m_db, [&] {
            Statement update = m_db.prepare(QStringLiteral("UPDATE %1 SET \"%2\" = ? WHERE 回数 = ? AND \"%2\" IS ?")
                                                .arg(Table, field));
            update.bind(1, *value);
            update.bind(2, r.record.drawNo);
            update.bind(3, stored);
            update.step();
            if (m_db.changes() != 1)
                conflict(r.record);
        });
    } catch (const DatabaseError &error) {
        return {EditResult::Status::Failed,
                QStringLiteral("回数%1の%2を保存できませんでした。元の値のままです。\n%3")
                    .arg(drawNoText(r.record), field, error.message())};
    }
    stored = *value;
    return {EditResult::Status::Written, {}};
}

bool DrawRecordEditor::drawNoTaken(long long drawNo) const
{
    for (const Row &r : m_rows) {
        if (r.record.drawNo.isInteger() && r.record.drawNo.integer() == drawNo)
            return true;
    }
    return false;
}

EditResult DrawRecordEditor::insertAfter(int row, const std::function<void()> &aboutToChange)
{
    long long drawNo = 1;
    if (row != 0) {
        const DrawRecord &previous = record(row);
        // 回数 is a 16-bit draw number; the next one must be one as well.
        if (!previous.drawNo.isInteger() || previous.drawNo.integer() >= 32767 || previous.drawNo.integer() < 0) {
            return {EditResult::Status::Refused,
                    QStringLiteral("回数%1のうしろには行を追加できません。").arg(drawNoText(previous))};
        }
        drawNo = previous.drawNo.integer() + 1;
    }
    if (drawNoTaken(drawNo)) {
        return {EditResult::Status::Refused,
                QStringLiteral("回数%1のデータはすでにあります。行を追加できません。").arg(drawNo)};
    }

    DrawRecord added;
    added.drawNo = Field(drawNo);
    try {
        inTransaction(m_db, [&] {
            Statement insert = m_db.prepare(QStringLiteral("INSERT INTO %1 (回数) VALUES (?)").arg(Table));
            insert.bind(1, added.drawNo);
            insert.step();
        });
    } catch (const DatabaseError &error) {
        return {EditResult::Status::Failed,
                QStringLiteral("回数%1の行を追加できませんでした。\n%2").arg(drawNo).arg(error.message())};
    }
    if (aboutToChange)
        aboutToChange();
    m_rows.insert(m_rows.begin() + row, Row{added, {}});
    return {EditResult::Status::Written, {}};
}

EditResult DrawRecordEditor::deleteRow(int row, const std::function<void()> &aboutToChange)
{
    const DrawRecord &doomed = record(row);
    try {
        inTransaction(m_db, [&] {
            QString sql = QStringLiteral("DELETE FROM %1 WHERE 回数 = ?").arg(Table);
            for (int p = 1; p <= 7; ++p)
                sql += QStringLiteral(" AND \"%1\" IS ?").arg(FieldName::numberField(p));
            Statement remove = m_db.prepare(sql);
            remove.bind(1, doomed.drawNo);
            for (int p = 1; p <= 7; ++p)
                remove.bind(p + 1, doomed.number(p));
            remove.step();
            if (m_db.changes() != 1)
                conflict(doomed);
        });
    } catch (const DatabaseError &error) {
        return {EditResult::Status::Failed,
                QStringLiteral("回数%1の行を削除できませんでした。\n%2").arg(drawNoText(doomed), error.message())};
    }
    if (aboutToChange)
        aboutToChange();
    m_rows.erase(m_rows.begin() + (row - 1));
    return {EditResult::Status::Written, {}};
}

std::optional<CellAddress> DrawRecordEditor::firstWrongCell() const
{
    for (int row = 1; row <= rowCount(); ++row) {
        for (int column = 2; column <= ColumnCount; ++column) {
            if (!NumberCheck::isAcceptable(text(column, row)))
                return CellAddress{column, row};
        }
    }
    return std::nullopt;
}

std::vector<CellAddress> DrawRecordEditor::keptCells() const
{
    std::vector<CellAddress> cells;
    for (int row = 1; row <= rowCount(); ++row) {
        const Row &r = m_rows[static_cast<size_t>(row - 1)];
        for (int column = 2; column <= ColumnCount; ++column) {
            if (r.kept[static_cast<size_t>(column - 2)])
                cells.push_back(CellAddress{column, row});
        }
    }
    return cells;
}
