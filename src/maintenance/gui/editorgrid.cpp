#include "maintenance/gui/editorgrid.h"

#include <QKeyEvent>
#include <QMouseEvent>

EditorGrid::EditorGrid(QWidget *parent)
    : QTableView(parent)
{
    // Opening on a second click is done here, without Qt's delay.
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed);
}

void EditorGrid::keyboardSearch(const QString &)
{
}

void EditorGrid::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && state() != EditingState && !(event->modifiers() & ~Qt::KeypadModifier)) {
        moveDown();
        return;
    }
    QTableView::keyPressEvent(event);
}

void EditorGrid::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex pressed = indexAt(event->position().toPoint());
    const bool plainClick = event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier;
    m_pressedCurrent = plainClick && state() != EditingState && pressed.isValid() && pressed == currentIndex()
        ? QPersistentModelIndex(pressed)
        : QPersistentModelIndex();
    QTableView::mousePressEvent(event);
}

void EditorGrid::mouseReleaseEvent(QMouseEvent *event)
{
    QTableView::mouseReleaseEvent(event);
    const QModelIndex released = indexAt(event->position().toPoint());
    if (m_pressedCurrent.isValid() && released == m_pressedCurrent && released == currentIndex()
        && state() != EditingState)
        edit(released);
    m_pressedCurrent = QPersistentModelIndex();
}

void EditorGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableView::closeEditor(editor, hint);
    // Enter commits with this hint; a click elsewhere or Tab do not.
    if (hint == QAbstractItemDelegate::SubmitModelCache)
        moveDown();
}

void EditorGrid::moveDown()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    const QModelIndex below = model()->index(current.row() + 1, current.column());
    if (!below.isValid())
        return;
    setCurrentIndex(below);
    scrollTo(below);
}
