#include "app/gui/windowarrangement.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QDialog>
#include <QStyle>
#include <QWindow>

#include <algorithm>

namespace WindowArrangement {

QRect fitOnScreen(const QSize &designed, const QRect &available, const QSize &frame)
{
    const QSize room = (available.size() - frame).expandedTo(QSize(1, 1));
    const QSize size = designed.boundedTo(room);
    // The decorations: the sides and the bottom alike, the title bar the rest.
    const int side = frame.width() / 2;
    const QPoint client(available.left() + side, available.top() + frame.height() - side);
    // Centred where there is room to spare, at the corner where there is not.
    return QRect(client + QPoint((room.width() - size.width()) / 2, (room.height() - size.height()) / 2), size);
}

void cascade(QMdiArea *area)
{
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *window : area->subWindowList(QMdiArea::StackingOrder)) {
        if (window->isVisible() && !window->isMinimized())
            windows << window;
    }
    if (windows.isEmpty())
        return;
    QMdiSubWindow *active = area->activeSubWindow();
    const int step = std::max(8, windows.first()->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, windows.first()));
    const QRect viewport = area->viewport()->rect();
    int offset = 0;
    for (QMdiSubWindow *window : windows) {
        if (window->isMaximized())
            window->showNormal();
        if (offset > 0 && (offset + step > viewport.height() || offset + step > viewport.width()))
            offset = 0;
        window->move(offset, offset);
        window->raise();
        offset += step;
    }
    if (active)
        area->setActiveSubWindow(active);
}

bool isModalDialog(QWindow *window)
{
    if (!window)
        return false;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->windowHandle() == window)
            return qobject_cast<QDialog *>(widget) && widget->isModal();
    }
    return false;
}

} // namespace WindowArrangement
