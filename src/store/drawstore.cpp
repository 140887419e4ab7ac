#include "store/drawstore.h"

DrawStore::DrawStore(DrawHistoryStore history, QObject *parent)
    : QObject(parent)
    , m_history(std::move(history))
{
}

void DrawStore::reload()
{
    m_history = loadDrawHistoryFrom(m_history.DatabasePath);
    Q_EMIT changed();
}
