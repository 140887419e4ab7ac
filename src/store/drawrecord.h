#pragma once

#include "store/field.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

// Field names of a draw record, in the order the query returns them.
namespace FieldName {
inline const QString DrawNo = QStringLiteral("回数");
inline const QString DrawDate = QStringLiteral("抽選日");
inline const QString Bonus = QStringLiteral("ボーナス数字");
// 第1数字 … 第6数字, then ボーナス数字: position p (1 … 7) is numberField(p).
QString numberField(int position);
// The eight fields every draw database must offer.
QStringList required();
} // namespace FieldName

// One draw record: 回数, the six main numbers in stored field order, the bonus
// number, and the optional draw date. Values stay variants (Null, integer,
// text) exactly as the database yields them.
struct DrawRecord
{
    // The largest draw number every window can show: the tables with the
    // most rows (出現間隔分析 and its kind) hold four rows more than the last
    // draw number, and a row count is a 16-bit integer.
    static constexpr int MaxDrawNumber = 32763;

    Field drawNo;
    std::array<Field, 7> numbers; // positions 1 … 7 at indexes 0 … 6
    Field drawDate;

    // Position p from 1 (第1数字) to 7 (ボーナス数字).
    const Field &number(int position) const { return numbers[static_cast<size_t>(position - 1)]; }
    const Field &bonus() const { return numbers[6]; }
    // The field of that name; a Null field for a name the record does not have.
    const Field &value(const QString &name) const;
    // All seven number fields non-empty (neither Null nor ''); 回数 is not tested.
    bool isComplete() const;
};

// The draw history as read once at start-up: every record, ascending 回数,
// read-only. Readers walk it from the first record to the end.
class Recordset
{
public:
    Recordset() = default;
    explicit Recordset(std::vector<DrawRecord> records) : m_records(std::move(records)) {}

    int RecordCount() const { return static_cast<int>(m_records.size()); }
    bool isEmpty() const { return m_records.empty(); }
    const DrawRecord &operator[](int i) const { return m_records[static_cast<size_t>(i)]; }
    auto begin() const { return m_records.begin(); }
    auto end() const { return m_records.end(); }
    const std::vector<DrawRecord> &records() const { return m_records; }

private:
    std::vector<DrawRecord> m_records;
};
