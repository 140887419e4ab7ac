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

namespace {

// Tiles the visible windows one above the other or side by side, the active
// window first.
void tile(QMdiArea *area, Layout layout)
{
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *w : area->subWindowList(QMdiArea::StackingOrder)) {
        if (!w->isMinimized() && w->isVisible())
            windows << w;
    }
    if (windows.isEmpty())
        return;
    const QRect viewport = area->viewport()->rect();
    const int n = int(windows.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow *w = windows[n - 1 - i];
        if (w->isMaximized())
            w->showNormal();
        if (layout == Layout::OneAboveTheOther) {
            const int h = viewport.height() / n;
            w->setGeometry(0, i * h, viewport.width(), h);
        } else {
            const int wd = viewport.width() / n;
            w->setGeometry(i * wd, 0, wd, viewport.height());
        }
    }
}

// Minimised windows line up along the bottom, left to right.
void arrangeIcons(QMdiArea *area)
{
    int x = 0;
    const QRect viewport = area->viewport()->rect();
    for (QMdiSubWindow *w : area->subWindowList(QMdiArea::CreationOrder)) {
        if (!w->isMinimized())
            continue;
        const QSize size = w->size();
        if (x + size.width() > viewport.width() && x > 0)
            x = 0;
        w->move(x, viewport.height() - size.height());
        x += size.width();
    }
}

} // namespace

void arrange(QMdiArea *area, Layout layout)
{
    switch (layout) {
    case Layout::Cascade:
        // Qt's own cascade shrinks windows without a size hint to a title bar.
        cascade(area);
        return;
    case Layout::OneAboveTheOther:
    case Layout::SideBySide:
        tile(area, layout);
        return;
    case Layout::Icons:
        arrangeIcons(area);
        return;
    }
}

bool isOwnWindow(QWindow *window)
{
    if (!window)
        return false;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->windowHandle() == window)
            return widget->windowType() == Qt::Window && !widget->isModal() && !qobject_cast<QDialog *>(widget);
    }
    return false;
}

} // namespace WindowArrangement
