#pragma once

#include <QMdiSubWindow>
#include <QWidget>

// The child window of the main frame that holds widget (somewhere inside
// it), or nullptr for a widget shown on its own.
inline QMdiSubWindow *enclosingSubWindow(QWidget *widget)
{
    for (QWidget *w = widget; w; w = w->parentWidget()) {
        if (auto *window = qobject_cast<QMdiSubWindow *>(w))
            return window;
    }
    return nullptr;
}
