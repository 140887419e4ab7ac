#include "maintenance/drawrecordeditor.h"

#include "maintenance/numbercheck.h"
#include "store/drawdatabase.h"
#include "store/runtimeerror.h"

#include <QStringList>

#include <algorithm>

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

const QString NotANumber = QStringLiteral("1～43の整数ではありません");

QString repeats(int position)
{
    return QStringLiteral("%1と同じ数字です").arg(FieldName::numberField(position));
}

// A value as a number 1 … 43, or nothing (Null, '', other text, out of range).
std::optional<int> numberOf(const Field &value)
{
    if (value.isInteger()) {
        const long long n = value.integer();
        return n >= NumberCheck::Lowest && n <= NumberCheck::Highest ? std::optional<int>(int(n)) : std::nullopt;
    }
    if (value.isText() && !value.textValue().isEmpty()) {
        const std::optional<Field> read = NumberCheck::valueOf(value.textValue());
        if (read && read->isInteger())
            return int(read->integer());
    }
    return std::nullopt;
}

// The record as read is not what the file holds any more.
[[noreturn]] void conflict(const DrawRecord &record)
{
    throw DatabaseError(QStringLiteral("回数%1のデータがほかのプログラムで変更または削除されています。")
                            .arg(drawNoText(record)));
}

} // namespace

DrawRecordEditor DrawRecordEditor::open(const QString &path)
{
    return DrawRecordEditor(DrawDatabase::open(path, Database::Mode::ReadWrite));
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

std::array<std::optional<int>, 7> DrawRecordEditor::shownNumbers(const Row &r)
{
    std::array<std::optional<int>, 7> shown;
    for (size_t i = 0; i < shown.size(); ++i) {
        const std::optional<Field> value = r.kept[i] ? NumberCheck::valueOf(*r.kept[i]) : std::nullopt;
        shown[i] = r.kept[i] ? numberOf(value.value_or(Field())) : numberOf(r.record.numbers[i]);
    }
    return shown;
}

std::optional<std::array<int, 7>> DrawRecordEditor::wholeDraw(const Row &r)
{
    const std::array<std::optional<int>, 7> shown = shownNumbers(r);
    std::array<int, 7> draw{};
    for (size_t i = 0; i < shown.size(); ++i) {
        if (!shown[i] || std::count(shown.begin(), shown.end(), shown[i]) > 1)
            return std::nullopt;
        draw[i] = *shown[i];
    }
    std::sort(draw.begin(), draw.begin() + 6);
    return draw;
}

std::optional<CellProblem> DrawRecordEditor::problemAt(const Row &r, int row, int position) const
{
    const size_t i = static_cast<size_t>(position - 1);
    const bool kept = r.kept[i].has_value();
    const Field &stored = r.record.numbers[i];
    if (!kept && stored.isEmpty())
        return std::nullopt;
    CellProblem problem{{position + 1, row}, kept ? *r.kept[i] : stored.toText(), {}, kept};
    const std::optional<Field> typed = kept ? NumberCheck::valueOf(*r.kept[i]) : std::nullopt;
    if (kept && typed && typed->isNull()) {
        // A whole draw stays whole: emptying one of its numbers would take
        // it silently out of every analysis.
        if (r.record.isComplete()) {
            problem.reason = QStringLiteral("空欄にはできません（元の数字は%1）").arg(stored.toText());
            return problem;
        }
        return std::nullopt;
    }
    const std::array<std::optional<int>, 7> shown = shownNumbers(r);
    if (!shown[i]) {
        problem.reason = NotANumber;
        return problem;
    }
    // Of two cells showing one number, the one typed over the stored one is
    // wrong, and between equals the later one.
    for (size_t q = 0; q < shown.size(); ++q) {
        if (q == i || shown[q] != shown[i])
            continue;
        const bool qKept = r.kept[q].has_value();
        if ((kept && !qKept) || (kept == qKept && q < i)) {
            problem.reason = repeats(int(q) + 1);
            return problem;
        }
    }
    return std::nullopt;
}

std::optional<CellProblem> DrawRecordEditor::problem(int column, int row) const
{
    if (!isEditable(column))
        return std::nullopt;
    return problemAt(rowAt(row), row, column - 1);
}

bool DrawRecordEditor::isUnsaved(int column, int row) const
{
    return isEditable(column) && rowAt(row).kept[static_cast<size_t>(column - 2)].has_value();
}

EditResult DrawRecordEditor::setText(int column, int row, const QString &text)
{
    if (!isEditable(column))
        return {EditResult::Status::Refused, QStringLiteral("回数の欄は変更できません。")};
    Row &r = rowAt(row);
    const size_t index = static_cast<size_t>(column - 2);
    const std::optional<Field> value = NumberCheck::valueOf(text);
    const Field &stored = r.record.numbers[index];
    const bool unchanged = value && (*value == stored || (value->isNull() && stored.isEmpty()));
    if (unchanged)
        r.kept[index].reset();
    else
        r.kept[index] = text;

    const bool typedAny = std::any_of(r.kept.begin(), r.kept.end(), [](const auto &k) { return k.has_value(); });
    const std::optional<std::array<int, 7>> draw = typedAny ? wholeDraw(r) : std::nullopt;
    if (!draw) {
        if (!r.kept[index])
            return {EditResult::Status::Unchanged, {}};
        return {problemAt(r, row, column - 1) ? EditResult::Status::Kept : EditResult::Status::Pending, {}};
    }
    // The row shows a whole draw: it goes to the file as one, ascending.
    bool same = true;
    for (size_t p = 0; p < draw->size(); ++p)
        same = same && r.record.numbers[p] == Field((*draw)[p]);
    if (same) {
        for (std::optional<QString> &k : r.kept)
            k.reset();
        return {EditResult::Status::Unchanged, {}};
    }
    const EditResult written = write(r, *draw);
    if (written.status == EditResult::Status::Failed)
        r.kept[index].reset(); // the cell shows the stored value again
    return written;
}

EditResult DrawRecordEditor::write(Row &r, const std::array<int, 7> &draw)
{
    QStringList sets;
    QStringList conditions;
    for (int p = 1; p <= 7; ++p) {
        const QString field = FieldName::numberField(p);
        sets << QStringLiteral("\"%1\" = ?").arg(field);
        conditions << QStringLiteral("\"%1\" IS ?").arg(field);
    }
    try {
        inTransaction(m_db, [&] {
            Statement update = m_db.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE 回数 = ? AND %3")
                                                .arg(Table, sets.join(QStringLiteral(", ")),
                                                     conditions.join(QStringLiteral(" AND "))));
            int at = 1;
            for (const int n : draw)
                update.bind(at++, Field(n));
            update.bind(at++, r.record.drawNo);
            for (const Field &value : r.record.numbers)
                update.bind(at++, value);
            update.step();
            if (m_db.changes() != 1)
                conflict(r.record);
        });
    } catch (const DatabaseError &error) {
        return {EditResult::Status::Failed,
                QStringLiteral("回数%1の数字を保存できませんでした。元の値のままです。\n%2")
                    .arg(drawNoText(r.record), error.message())};
    }
    for (size_t p = 0; p < draw.size(); ++p) {
        r.record.numbers[p] = Field(draw[p]);
        r.kept[p].reset();
    }
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

std::optional<QString> DrawRecordEditor::insertRefusal(int row) const
{
    long long drawNo = 1;
    if (row != 0) {
        const DrawRecord &previous = record(row);
        if (!previous.drawNo.isInteger() || previous.drawNo.integer() < 0)
            return QStringLiteral("回数%1のうしろには行を追加できません。").arg(drawNoText(previous));
        drawNo = previous.drawNo.integer() + 1;
    }
    // Every window must be able to show the draw.
    if (drawNo > DrawRecord::MaxDrawNumber) {
        return QStringLiteral("回数%1の行は追加できません。回数は%2までです。").arg(drawNo).arg(DrawRecord::MaxDrawNumber);
    }
    if (drawNoTaken(drawNo))
        return QStringLiteral("回数%1のデータはすでにあります。行を追加できません。").arg(drawNo);
    return std::nullopt;
}

EditResult DrawRecordEditor::insertAfter(int row, const std::function<void()> &aboutToChange)
{
    if (const std::optional<QString> refusal = insertRefusal(row))
        return {EditResult::Status::Refused, *refusal};
    const long long drawNo = row == 0 ? 1 : record(row).drawNo.integer() + 1;

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

std::vector<CellProblem> DrawRecordEditor::wrongCells() const
{
    std::vector<CellProblem> cells;
    for (int row = 1; row <= rowCount(); ++row) {
        for (int position = 1; position <= 7; ++position) {
            if (std::optional<CellProblem> problem = problemAt(m_rows[size_t(row - 1)], row, position))
                cells.push_back(std::move(*problem));
        }
    }
    return cells;
}

std::optional<CellAddress> DrawRecordEditor::firstWrongCell() const
{
    const std::vector<CellProblem> cells = wrongCells();
    return cells.empty() ? std::nullopt : std::optional<CellAddress>(cells.front().cell);
}

std::vector<CellProblem> DrawRecordEditor::keptCells() const
{
    std::vector<CellProblem> cells;
    for (int row = 1; row <= rowCount(); ++row) {
        const Row &r = m_rows[size_t(row - 1)];
        for (int position = 1; position <= 7; ++position) {
            const std::optional<QString> &kept = r.kept[size_t(position - 1)];
            if (!kept)
                continue;
            std::optional<CellProblem> problem = problemAt(r, row, position);
            if (!problem) {
                // A right number whose draw is not whole yet (or whose
                // write the database refused).
                problem = CellProblem{{position + 1, row}, *kept,
                                      wholeDraw(r) ? QStringLiteral("保存できませんでした")
                                                   : QStringLiteral("7つの数字がそろっていません"),
                                      true};
            }
            cells.push_back(std::move(*problem));
        }
    }
    return cells;
}
