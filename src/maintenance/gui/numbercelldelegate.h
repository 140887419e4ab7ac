#pragma once

#include <QKeySequence>
#include <QList>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyledItemDelegate>

#include <optional>

class QAbstractItemView;

// The editor of a number cell: centred like the cell, and known to the
// window so that a half-typed value can be committed before the window
// checks or closes, or set aside while the window asks a question.
class NumberCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // A cell being typed into, taken out of the grid without a commit.
    struct Pending
    {
        QPersistentModelIndex index;
        QString text;
    };

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;

    // Keys an open cell editor leaves to the window's shortcuts (a line edit
    // would take Ctrl+A as "select all").
    void setWindowShortcuts(QList<QKeySequence> keys) { m_windowKeys = std::move(keys); }

    // Commits and closes the cell editor that is open, if any.
    void commitOpenEditor();
    // Closes the open cell editor without writing it and returns what it
    // held, so that nothing is written while a question is on screen.
    std::optional<Pending> takeOpenEditor();
    // Opens the cell again with the text it held, as it was left.
    void reopen(QAbstractItemView *view, const Pending &pending);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    mutable QPointer<QWidget> m_open;
    mutable QPersistentModelIndex m_openIndex;
    QList<QKeySequence> m_windowKeys;
};
