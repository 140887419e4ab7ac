#include "store/backgroundload.h"

#include "store/datalocation.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

BackgroundStoreLoad::BackgroundStoreLoad(const QString &programFolder)
    : m_programFolder(programFolder)
{
    // Qt takes the first thread that asks for its thread data (any QObject:
    // a QFile, a QSaveFile) as the program's main thread. Asking here first
    // keeps the application object's thread the main one, however soon the
    // worker opens a file.
    QThread::currentThread();
    m_thread = std::thread([this] {
        try {
            m_problem = DataLocation::prepare(m_programFolder);
            if (m_problem.isEmpty())
                m_store.emplace(LoadDrawHistory(DataLocation::databaseFolder(m_programFolder)));
        } catch (...) {
            m_error = std::current_exception();
        }
        const std::lock_guard lock(m_mutex);
        m_done.store(true, std::memory_order_release);
        if (m_waiter)
            m_waiter->wakeUp();
    });
}

BackgroundStoreLoad::~BackgroundStoreLoad()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool BackgroundStoreLoad::registerWaiter()
{
    const std::lock_guard lock(m_mutex);
    if (m_done.load(std::memory_order_acquire))
        return false;
    m_waiter = QAbstractEventDispatcher::instance();
    return true;
}

void BackgroundStoreLoad::processEventsOnce()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

DrawHistoryStore BackgroundStoreLoad::take()
{
    if (m_thread.joinable())
        m_thread.join();
    if (m_error)
        std::rethrow_exception(m_error);
    if (!m_store)
        throw DatabaseError(m_problem);
    return std::move(*m_store);
}
