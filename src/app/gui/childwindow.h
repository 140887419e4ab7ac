#pragma once

#include <QMdiSubWindow>

// A child window of the main frame that says when it unloads: as soon as its
// close is accepted, not later when Qt gets round to deleting it.
class ChildWindow : public QMdiSubWindow
{
    Q_OBJECT

public:
    using QMdiSubWindow::QMdiSubWindow;

Q_SIGNALS:
    void unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool m_unloaded = false;
};
