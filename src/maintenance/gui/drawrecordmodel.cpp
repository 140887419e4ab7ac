#include "maintenance/gui/drawrecordmodel.h"

#include <QBrush>
#include <QColor>

namespace {
const QColor DrawNoText(0, 0, 255);
const QColor BonusText(255, 0, 0);
const QColor BonusBack(197, 255, 255);
// A cell that cannot be saved as it reads: marked the moment it is typed.
const QColor WrongBack(255, 150, 150);
// A right number waiting for the rest of its draw: not in the file yet.
const QColor PendingBack(255, 240, 150);
constexpr int BonusColumn = 7; // model column of ボーナス数字
} // namespace

DrawRecordModel::DrawRecordModel(DrawRecordEditor editor, QObject *parent)
    : QAbstractTableModel(parent)
    , m_editor(std::move(editor))
{
}

int DrawRecordModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_editor.rowCount();
}

int DrawRecordModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : DrawRecordEditor::ColumnCount;
}

QVariant DrawRecordModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_editor.text(index.column() + 1, index.row() + 1);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    case Qt::ForegroundRole:
        if (index.column() == 0)
            return QBrush(DrawNoText);
        if (index.column() == BonusColumn)
            return problem(index) ? QBrush(Qt::black) : QBrush(BonusText);
        return {};
    case Qt::BackgroundRole:
        if (problem(index))
            return QBrush(WrongBack);
        if (m_editor.isUnsaved(index.column() + 1, index.row() + 1))
            return QBrush(PendingBack);
        return index.column() == BonusColumn ? QVariant(QBrush(BonusBack)) : QVariant();
    case Qt::ToolTipRole:
        if (const std::optional<CellProblem> wrong = problem(index))
            return wrong->reason + (wrong->kept ? QStringLiteral("。保存していません。") : QStringLiteral("。"));
        if (m_editor.isUnsaved(index.column() + 1, index.row() + 1))
            return QStringLiteral("本数字6個とボーナス数字がそろうと保存します。まだ保存していません。");
        return {};
    default:
        return {};
    }
}

QVariant DrawRecordModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return section == 0 ? FieldName::DrawNo : FieldName::numberField(section);
}

std::optional<CellProblem> DrawRecordModel::problem(const QModelIndex &index) const
{
    return m_editor.problem(index.column() + 1, index.row() + 1);
}

Qt::ItemFlags DrawRecordModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && DrawRecordEditor::isEditable(index.column() + 1))
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool DrawRecordModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const EditResult result = m_editor.setText(index.column() + 1, index.row() + 1, value.toString());
    // A value may mark or clear its neighbours (a number twice in a draw)
    // and complete the draw, which is then written and shown ascending.
    Q_EMIT dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    if (result.status == EditResult::Status::Failed || result.status == EditResult::Status::Refused) {
        Q_EMIT writeFailed(result.message);
        return false;
    }
    if (result.changedDatabase())
        Q_EMIT recordsWritten();
    return true;
}

EditResult DrawRecordModel::insertAfter(int row)
{
    // The row appears only once its record is in the file.
    const int count = m_editor.rowCount();
    const EditResult result = m_editor.insertAfter(row + 1, [&] { beginInsertRows({}, row + 1, row + 1); });
    if (result.status != EditResult::Status::Written)
        return result;
    endInsertRows();
    // The row numbers of the header column below the new row have moved.
    Q_EMIT headerDataChanged(Qt::Vertical, row + 1, count);
    Q_EMIT recordsWritten();
    return result;
}

EditResult DrawRecordModel::removeRecord(int row)
{
    const EditResult result = m_editor.deleteRow(row + 1, [&] { beginRemoveRows({}, row, row); });
    if (result.status != EditResult::Status::Written)
        return result;
    endRemoveRows();
    Q_EMIT recordsWritten();
    return result;
}
