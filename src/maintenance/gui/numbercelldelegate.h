#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

// The editor of a number cell: centred like the cell, and known to the
// window so that a half-typed value can be committed before the window
// checks or closes.
class NumberCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;

    // Commits and closes the cell editor that is open, if any.
    void commitOpenEditor();

private:
    mutable QPointer<QWidget> m_open;
};
