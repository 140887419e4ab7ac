#include "maintenance/ticketledgerwatch.h"

TicketLedgerWatch::TicketLedgerWatch(QString path, QObject *parent)
    : QObject(parent)
    , m_path(std::move(path))
{
}

void TicketLedgerWatch::written()
{
    Q_EMIT changed();
}
