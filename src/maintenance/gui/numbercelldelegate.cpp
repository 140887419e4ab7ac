#include "maintenance/gui/numbercelldelegate.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>

QWidget *NumberCellDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                          const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->setAlignment(Qt::AlignCenter);
    m_open = editor;
    m_openIndex = index;
    return editor;
}

void NumberCellDelegate::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    // The view has closed it (committed or not): nothing is open any more.
    if (editor == m_open) {
        m_open = nullptr;
        m_openIndex = QPersistentModelIndex();
    }
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

std::optional<NumberCellDelegate::Pending> NumberCellDelegate::takeOpenEditor()
{
    auto *line = qobject_cast<QLineEdit *>(m_open.data());
    if (!line)
        return std::nullopt;
    Pending pending{m_openIndex, line->text()};
    m_open = nullptr;
    // Without the commit: the box that follows takes the focus, and a focus
    // loss would otherwise write the half-typed value.
    Q_EMIT closeEditor(line, QAbstractItemDelegate::RevertModelCache);
    return pending;
}

void NumberCellDelegate::reopen(QAbstractItemView *view, const Pending &pending)
{
    if (!pending.index.isValid())
        return;
    view->setCurrentIndex(pending.index);
    view->edit(pending.index);
    if (auto *line = qobject_cast<QLineEdit *>(m_open.data())) {
        line->setText(pending.text);
        line->deselect();
        line->setFocus();
    }
}

bool NumberCellDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence typed(key->keyCombination());
        for (const QKeySequence &windowKey : m_windowKeys) {
            if (typed.matches(windowKey) == QKeySequence::ExactMatch) {
                event->ignore(); // not the line edit's: the shortcut runs
                return true;
            }
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}
