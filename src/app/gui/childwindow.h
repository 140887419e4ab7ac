#pragma once

#include <QMdiSubWindow>
#include <QPointer>

// A child window of the main frame. Its content scrolls where the window is
// smaller than the content's layout (a tiled or small workspace), so every
// button stays within reach; content that scrolls its own table takes any
// size and shows no second scroll bar. It says when it unloads: as soon as
// its close is accepted, not later when Qt gets round to deleting it.
class ChildWindow : public QMdiSubWindow
{
    Q_OBJECT

public:
    // Takes content as its own.
    explicit ChildWindow(QWidget *content);

    QWidget *content() const { return m_content; }
    // The window's size that shows all of its content's layout, scrolling
    // nothing (once shown).
    QSize fittingSize() const;
    // The content of a child window of the frame (the widget of any other
    // sub-window).
    static QWidget *contentOf(const QMdiSubWindow *window);

Q_SIGNALS:
    void unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QPointer<QWidget> m_content;
    bool m_unloaded = false;
};
