#include "app/gui/childwindow.h"

#include <QCloseEvent>

void ChildWindow::closeEvent(QCloseEvent *event)
{
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted() && !m_unloaded) {
        m_unloaded = true;
        Q_EMIT unloaded();
    }
}
