#pragma once

#include "maintenance/ticketledger.h"

#include <QAbstractTableModel>

#include <vector>

// The ledger's tickets as an editable table, each checked against the draw
// results. A committed cell goes straight to the ledger; only when the ledger
// has written it does the table show the new value (like 当選データ入力).
class TicketTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        DrawColumn = 0,
        FirstNumberColumn = 1, // … 6
        CountColumn = 7,
        DateColumn = 8,
        MemoColumn = 9,
        MatchColumn = 10,
        BonusColumn = 11,
        TierColumn = 12,
        PrizeColumn = 13,
        ColumnCount = 14
    };

    TicketTableModel(TicketLedger ledger, DrawResults results, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // Each returns false after telling writeFailed why; the table then shows
    // what the ledger holds.
    bool addTickets(const std::vector<Ticket> &tickets);
    bool removeTickets(std::vector<int> rows);
    bool duplicate(int row);
    bool setPrize(int drawNo, int tier, std::optional<qint64> amount);
    // New draw results (after an update): every ticket is checked again.
    void setResults(DrawResults results);
    // What the ledger holds now: another window has written to it.
    void reload();
    // Reads the ledger again when another program (or another connection)
    // has written to it since it was last read; true when it had.
    bool reloadIfChangedElsewhere();

    const std::vector<Ticket> &tickets() const { return m_tickets; }
    const PrizeBook &prizes() const { return m_prizes; }
    const DrawResults &results() const { return m_results; }
    // The draw new tickets are for: the one after the last in the history.
    int nextDrawNo() const { return m_results.lastDrawNo() + 1; }

Q_SIGNALS:
    void writeFailed(const QString &message);
    // Tickets or prizes changed: the summary is out of date.
    void ledgerChanged();

private:
    std::optional<Ticket> edited(const Ticket &ticket, int column, const QString &text, QString *problem) const;

    TicketLedger m_ledger;
    DrawResults m_results;
    std::vector<Ticket> m_tickets;
    PrizeBook m_prizes;
    // The ledger's data version when it was last read.
    qint64 m_seenVersion = 0;
};

// The prize amounts of 1等 … 4等 per draw the tickets are for, editable (an
// empty cell is an amount not known yet). 5等 is fixed and not listed.
class PrizeTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit PrizeTableModel(TicketTableModel *tickets, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

private:
    void refresh();

    TicketTableModel *m_tickets;
    std::vector<int> m_draws; // newest first
};
