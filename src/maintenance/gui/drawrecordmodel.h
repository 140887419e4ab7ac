#pragma once

#include "maintenance/drawrecordeditor.h"

#include <QAbstractTableModel>

// The editor's records as a table for the grid: model column c is grid
// column c + 1 (回数, 第1数字 … 第6数字, ボーナス数字), model row r is grid
// row r + 1. Every committed cell goes straight to DrawRecordEditor, which
// writes it; the model only reports what became of it.
class DrawRecordModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit DrawRecordModel(DrawRecordEditor editor, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // A new record after model row `row`; on success it is model row row + 1.
    EditResult insertAfter(int row);
    // Deletes the record of model row `row`.
    EditResult removeRecord(int row);

    const DrawRecordEditor &editor() const { return m_editor; }
    // Why the cell cannot be saved as it reads (shown red, with the reason
    // as its tooltip); nothing when it can.
    std::optional<CellProblem> problem(const QModelIndex &index) const;
    QModelIndex indexOf(const CellAddress &cell) const { return index(cell.row - 1, cell.column - 1); }

Q_SIGNALS:
    // A committed cell could not be written; the cell shows the stored value again.
    void writeFailed(const QString &message);
    // The database holds a change: a cell, a new record or a deleted one.
    void recordsWritten();

private:
    DrawRecordEditor m_editor;
};
