#pragma once

#include "store/globalbas.h"

#include <QObject>

#include <utility>

// The draw history every window reads, kept current while the program runs.
// Whoever writes the draw database (the editor, an import, the update) calls
// reload(); once the new history is in place, every listener hears changed().
// The history is replaced in place, so a reference to it stays valid.
class DrawStore : public QObject
{
    Q_OBJECT

public:
    explicit DrawStore(DrawHistoryStore history, QObject *parent = nullptr);

    const DrawHistoryStore &history() const { return m_history; }

    // Reads the database again (the one the history was loaded from) and
    // tells every listener. Throws DatabaseError, as the start's load does;
    // the history then stays as it was and nobody is told.
    void reload();

    // Calls f after every change of the draws for as long as receiver lives:
    //     store.onChanged(this, [this] { recompute(); });
    template <typename F>
    QMetaObject::Connection onChanged(const QObject *receiver, F &&f) const
    {
        return connect(this, &DrawStore::changed, receiver, std::forward<F>(f));
    }

Q_SIGNALS:
    void changed();

private:
    DrawHistoryStore m_history;
};
