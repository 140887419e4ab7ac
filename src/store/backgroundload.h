#pragma once

#include "store/globalbas.h"

#include <QString>

#include <atomic>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

class QAbstractEventDispatcher;

// Prepares the data folder (DataLocation::prepare) and loads the draw
// history store from it (key derivation included) on a thread of its own from
// the moment it is made, so that start-up builds the application, the fonts
// and the main window meanwhile.
class BackgroundStoreLoad
{
public:
    explicit BackgroundStoreLoad(const QString &programFolder);
    // Waits for the load to end: a program closed while loading still exits.
    ~BackgroundStoreLoad();
    BackgroundStoreLoad(const BackgroundStoreLoad &) = delete;
    BackgroundStoreLoad &operator=(const BackgroundStoreLoad &) = delete;

    const QString &programFolder() const { return m_programFolder; }
    bool isDone() const { return m_done.load(std::memory_order_acquire); }
    // Done, with a store for take() to hand over.
    bool hasStore() const { return isDone() && m_store && !m_error; }

    // Runs the calling thread's events until the load is done or keepWaiting
    // says no more; the end of the load wakes the event loop.
    template <typename F>
    void waitRunningEvents(F &&keepWaiting)
    {
        if (!registerWaiter())
            return;
        while (!isDone() && keepWaiting())
            processEventsOnce();
    }

    // What DataLocation::prepare said could not be made (then nothing was
    // loaded); empty when it went well. Call once the load is done.
    const QString &preparationProblem() const { return m_problem; }

    // The store, or the DatabaseError or RuntimeError the load threw. Waits
    // for the end of the load; call once.
    DrawHistoryStore take();

private:
    bool registerWaiter();
    static void processEventsOnce();

    QString m_programFolder;
    QString m_problem;
    std::optional<DrawHistoryStore> m_store;
    std::exception_ptr m_error;
    std::atomic<bool> m_done{false};
    std::mutex m_mutex;
    QAbstractEventDispatcher *m_waiter = nullptr;
    std::thread m_thread;
};
