#include "app/gui/childwindow.h"

#include <QCloseEvent>
#include <QLayout>
#include <QScrollArea>
#include <QStyle>

#include <algorithm>

namespace {

// Holds a window's content at the window's size, or at the least its layout
// needs (then scrolling). The least height is taken for the width the
// content gets: text that wraps needs fewer lines when wider. (QScrollArea's
// own resizing would take each wrapped text's height at its narrowest.)
class ContentScroll : public QScrollArea
{
public:
    explicit ContentScroll(QWidget *content)
    {
        setObjectName(QStringLiteral("childScroll"));
        setFrameShape(QFrame::NoFrame);
        setFocusPolicy(Qt::NoFocus);
        setWidgetResizable(false);
        setWidget(content);
        // Activating the window gives the keyboard to the content, as before.
        setFocusProxy(content);
        content->installEventFilter(this);
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QScrollArea::resizeEvent(event);
        fit();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A layout that changed (text that wraps anew, a table shown).
        if (watched == widget() && event->type() == QEvent::LayoutRequest)
            fit();
        return QScrollArea::eventFilter(watched, event);
    }

    bool viewportEvent(QEvent *event) override
    {
        // Content without a layout that says its size changed.
        if (event->type() == QEvent::LayoutRequest)
            fit();
        return QScrollArea::viewportEvent(event);
    }

public:
    // The least width of the content, and its least height at a width.
    int leastWidth() const { return least().width(); }
    int leastHeight(int width) const
    {
        if (QLayout *layout = widget()->layout(); layout && layout->hasHeightForWidth())
            return std::max(widget()->minimumHeight(), layout->minimumHeightForWidth(width));
        return least().height();
    }

private:
    QSize least() const
    {
        return widget()->minimumSize().expandedTo(widget()->minimumSizeHint()).expandedTo(QSize(0, 0));
    }

    void fit()
    {
        QWidget *content = widget();
        if (!content)
            return;
        const QSize room = maximumViewportSize();
        const int leastWidth = this->leastWidth();
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
        // Each bar takes room from the other direction.
        const bool horizontal = leastWidth > room.width();
        int width = std::max(room.width(), leastWidth);
        const int height = room.height() - (horizontal ? bar : 0);
        if (leastHeight(width) > height)
            width = std::max(room.width() - bar, leastWidth);
        content->resize(width, std::max(height, leastHeight(width)));
    }
};

} // namespace

ChildWindow::ChildWindow(QWidget *content)
    : m_content(content)
{
    setWidget(new ContentScroll(content));
}

QSize ChildWindow::fittingSize() const
{
    const auto *scroll = static_cast<const ContentScroll *>(widget());
    if (scroll->size().isEmpty())
        return size();
    const int width = std::max(scroll->width(), scroll->leastWidth());
    return QSize(width, scroll->leastHeight(width)) + (size() - scroll->size());
}

QWidget *ChildWindow::contentOf(const QMdiSubWindow *window)
{
    if (const auto *child = qobject_cast<const ChildWindow *>(window))
        return child->content();
    return window ? window->widget() : nullptr;
}

void ChildWindow::closeEvent(QCloseEvent *event)
{
    // The content decides first (the editor may keep the window open for
    // unsaved cells): the sub-window itself asks only the scroll area.
    if (m_content && !m_content->close()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted() && !m_unloaded) {
        m_unloaded = true;
        Q_EMIT unloaded();
    }
}
