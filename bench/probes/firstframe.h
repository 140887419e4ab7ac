#pragma once

// Ends the process as soon as the first paint of a widget matching the
// predicate has been flushed: the whole-process time of a probe is then the
// time to its first frame. No teardown, so both probes end alike.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <functional>

class FirstFrameExit : public QObject
{
public:
    explicit FirstFrameExit(std::function<bool(QWidget *)> matches)
        : m_matches(std::move(matches))
    {
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType()
            && m_matches(static_cast<QWidget *>(watched))) {
            m_seen = true;
            // After this paint pass has been flushed to the screen.
            QTimer::singleShot(0, [] {
                std::fflush(nullptr);
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    std::function<bool(QWidget *)> m_matches;
    bool m_seen = false;
};
