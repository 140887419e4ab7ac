#pragma once

#include "maintenance/ticket.h"
#include "maintenance/ticketsummary.h"
#include "store/database.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

// The user's tickets and the prize amounts they recorded, in a file of their
// own: a plain SQLite file (the SQLCipher library without a key) in the
// user's data folder (DataLocation::dataFile). The draw database is replaced by an update and rewritten by
// an import, so nothing of the user's may live in it.
//
// Every method writes at once, in one transaction. Problems (a refused
// ticket, a file that is not a ledger, one written by a newer program, a
// failed write) are DatabaseErrors with the message for the user; a file this
// program cannot read is never written to.
class TicketLedger
{
public:
    static inline const QString FileName = QStringLiteral("ロト6ケルモン購入記録.db");
    static constexpr int SchemaVersion = 1;

    // Where the ledger of a program in programFolder lives.
    static QString defaultPath(const QString &programFolder);

    // Opens the ledger, creating an empty one (and its folder) when there is
    // no file, and brings an older schema up to date. A new file is the
    // user's alone (mode 0600): what someone buys is nobody else's business.
    static TicketLedger open(const QString &path);

    // What a ledger holds, read without writing anything: no file, or an
    // empty one not set up yet, holds nothing.
    struct Contents
    {
        std::vector<Ticket> tickets;
        PrizeBook prizes;
    };
    static Contents read(const QString &path);
    // The tickets of the ledger at path one at a time, in the order they
    // were recorded, read without writing anything: memory does not grow
    // with the ledger.
    static void forEachTicket(const QString &path, const std::function<void(const Ticket &)> &take);

    const QString &path() const { return m_db->path(); }

    // Changes whenever another connection (another window, another program)
    // has committed to the file since the last call; this connection's own
    // writes leave it alone.
    qint64 dataVersion() const;

    std::vector<Ticket> tickets() const; // in the order they were recorded
    // Records the ticket; returns it with its new id.
    Ticket add(Ticket ticket);
    // Records all of them or, when one is refused, none.
    std::vector<Ticket> addAll(std::vector<Ticket> tickets);
    void update(const Ticket &ticket);
    void remove(qint64 id);

    // Records every ticket of a CSV file in the form TicketCsv writes, in
    // any encoding the draw import reads, or none when a line is refused
    // (a DatabaseError naming the line). The file is read a line at a time:
    // memory does not grow with it. Returns how many were recorded.
    int importCsv(const QByteArray &bytes, const QString &sourceName);

    PrizeBook prizes() const;
    // tier 1 … 4; nothing forgets the amount. Amounts are whole yen from 0
    // to TicketRules::HighestPrize.
    void setPrize(int drawNo, int tier, std::optional<qint64> amount);

    // Amounts from a results page or file, all in one transaction: an amount
    // already recorded stays unless its record says replace. Returns how
    // many amounts were written.
    struct PrizeRecord
    {
        int drawNo = 0;
        int tier = 0;
        qint64 amount = 0;
        bool replace = false;
    };
    int recordPrizes(const std::vector<PrizeRecord> &records);

    // The ledger at path as the second database of a draw database's
    // connection, so that draws and their prize amounts go in one
    // transaction: both or neither, also when the program is killed. The
    // ledger must be up to date first (open() makes it so).
    static void attach(const Database &draws, const QString &path);
    // recordPrizes into the ledger attached to draws, inside the caller's
    // transaction.
    static int recordPrizes(const Database &draws, const std::vector<PrizeRecord> &records);

private:
    explicit TicketLedger(Database db);
    // The file opened as a ledger this program reads, and its schema version.
    static std::pair<Database, int> openChecked(const QString &path, bool exists, bool readOnly);
    void insert(Ticket &ticket) const;
    void eachTicket(const std::function<void(const Ticket &)> &take) const;
    template<typename Work> void transaction(Work work) const;

    std::shared_ptr<Database> m_db;
};

// The ledger's tickets as CSV: 回,数字1,…,数字6,口数,購入日,メモ.
namespace TicketCsv {

QString write(const std::vector<Ticket> &tickets);

// The file a line at a time: the header, then a ticket a line (blank lines
// skipped). Throws DatabaseError naming the line of the first ticket that
// cannot be recorded.
class LineReader
{
public:
    explicit LineReader(QString sourceName);
    // The ticket of the line; nothing for the header and a blank line.
    std::optional<Ticket> take(QStringView line);
    bool sawHeader() const { return m_line > 0; }
    // Refuses the file for its header line.
    [[noreturn]] void finish() const;

private:
    QString m_source;
    qint64 m_line = 0;
};

// Every line or none.
std::vector<Ticket> parse(const QString &text, const QString &sourceName);

} // namespace TicketCsv
