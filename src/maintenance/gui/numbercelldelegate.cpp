#include "maintenance/gui/numbercelldelegate.h"

#include <QLineEdit>

QWidget *NumberCellDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                          const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->setAlignment(Qt::AlignCenter);
    m_open = editor;
    return editor;
}

void NumberCellDelegate::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    // The view has closed it (committed or not): nothing is open any more.
    if (editor == m_open)
        m_open = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

void NumberCellDelegate::commitOpenEditor()
{
    if (!m_open)
        return;
    QWidget *editor = m_open;
    m_open = nullptr;
    Q_EMIT commitData(editor);
    Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
}
