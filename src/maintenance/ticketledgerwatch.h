#pragma once

#include <QObject>
#include <QString>

#include <utility>

// The ticket ledger's change notification, as DrawStore::changed() is the
// draws': a window of the program that writes to the ledger says so
// (written()), and every window that shows the ledger hears changed() and
// reads it again. A program outside (loto6kermon-cli tickets add) tells no
// one: a window showing the ledger looks for its writes when it is activated
// (TicketLedger::dataVersion).
class TicketLedgerWatch : public QObject
{
    Q_OBJECT

public:
    explicit TicketLedgerWatch(QString path, QObject *parent = nullptr);

    // The ledger file of the program.
    const QString &path() const { return m_path; }

    void written();

    // Calls f after every change for as long as receiver lives.
    template <typename F>
    QMetaObject::Connection onChanged(const QObject *receiver, F &&f) const
    {
        return connect(this, &TicketLedgerWatch::changed, receiver, std::forward<F>(f));
    }

Q_SIGNALS:
    void changed();

private:
    QString m_path;
};
