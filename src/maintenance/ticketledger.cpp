#include "maintenance/ticketledger.h"

#include "maintenance/drawimportreader.h"
#include "store/datalocation.h"
#include "store/drawcsv.h"
#include "store/runtimeerror.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Upgrade i brings a ledger of schema version i to version i + 1. A version
// only ever adds to this list; a step never rewrites what users have.
const char *const Upgrades[] = {
    "CREATE TABLE tickets ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " draw INTEGER NOT NULL,"
    " n1 INTEGER NOT NULL, n2 INTEGER NOT NULL, n3 INTEGER NOT NULL,"
    " n4 INTEGER NOT NULL, n5 INTEGER NOT NULL, n6 INTEGER NOT NULL,"
    " count INTEGER NOT NULL DEFAULT 1,"
    " purchased TEXT NOT NULL,"
    " memo TEXT NOT NULL DEFAULT '');"
    "CREATE TABLE prizes ("
    " draw INTEGER NOT NULL,"
    " tier INTEGER NOT NULL CHECK (tier BETWEEN 1 AND 4),"
    " amount INTEGER NOT NULL CHECK (amount >= 0),"
    " PRIMARY KEY (draw, tier));",
};
static_assert(std::size(Upgrades) == TicketLedger::SchemaVersion);

const QString Untouched = QStringLiteral("ファイルは変更していません。");

[[noreturn]] void unreadable(const QString &path, const QString &detail)
{
    throw DatabaseError(QStringLiteral("購入記録ファイル「%1」を読めません。壊れているか、購入記録のファイルではありません。%2\n（%3）")
                            .arg(path, Untouched, detail));
}

long long integerOf(const Statement &statement, int column)
{
    const Field value = statement.value(column);
    return value.isInteger() ? value.integer() : 0;
}

int userVersion(const Database &db)
{
    Statement statement = db.prepare(QStringLiteral("PRAGMA user_version"));
    return statement.step() ? int(integerOf(statement, 0)) : 0;
}

void refuseIfWrong(const Ticket &ticket)
{
    if (const std::optional<QString> problem = TicketRules::problem(ticket))
        throw DatabaseError(*problem);
}

void refuseIfWrongPrize(int drawNo, int tier, std::optional<qint64> amount)
{
    if (drawNo < 1 || drawNo > TicketRules::HighestDrawNo)
        throw DatabaseError(QStringLiteral("回は 1 から %1 までの整数です: %2").arg(TicketRules::HighestDrawNo).arg(drawNo));
    if (tier < 1 || tier > 4)
        throw DatabaseError(QStringLiteral("当選金額を記録できるのは 1等 から 4等 です（5等は 1,000円 の固定です）: %1").arg(tier));
    if (amount && (*amount < 0 || *amount > TicketRules::HighestPrize)) {
        throw DatabaseError(QStringLiteral("当選金額は 0 から %1 までの整数（円、1口あたり）です: %2")
                                .arg(formatYen(TicketRules::HighestPrize))
                                .arg(*amount));
    }
}

void bindTicket(Statement &statement, const Ticket &ticket)
{
    statement.bind(1, Field(ticket.drawNo));
    for (int i = 0; i < 6; ++i)
        statement.bind(2 + i, Field(ticket.numbers[size_t(i)]));
    statement.bind(8, Field(ticket.count));
    statement.bind(9, Field(ticket.purchaseDate));
    statement.bind(10, Field(ticket.memo));
}

} // namespace

QString TicketLedger::defaultPath(const QString &programFolder)
{
    return DataLocation::dataFile(programFolder, FileName);
}

TicketLedger::TicketLedger(Database db)
    : m_db(std::make_shared<Database>(std::move(db)))
{
}

std::pair<Database, int> TicketLedger::openChecked(const QString &path, bool exists, bool readOnly)
{
    std::optional<Database> opened;
    int version = 0;
    try {
        opened.emplace(Database::open(path, QString(), readOnly ? Database::Mode::ReadOnly : Database::Mode::ReadWrite));
        Statement check = opened->prepare(QStringLiteral("PRAGMA quick_check"));
        if (!check.step() || check.value(0).toText() != QLatin1String("ok"))
            unreadable(path, check.value(0).toText());
        version = userVersion(*opened);
        if (version > SchemaVersion) {
            throw DatabaseError(QStringLiteral("購入記録ファイル「%1」は新しい版のプログラムで作られています（形式 %2。この版が読めるのは形式 %3 までです）。"
                                               "プログラムを更新してください。%4")
                                    .arg(path)
                                    .arg(version)
                                    .arg(SchemaVersion)
                                    .arg(Untouched));
        }
        // quick_check looks at the structure only: a damaged record shows
        // when it is read, so read them all now, before anything is written.
        if (version >= 1) {
            for (const char *table : {"tickets", "prizes"}) {
                Statement all = opened->prepare(QStringLiteral("SELECT * FROM %1").arg(QLatin1String(table)));
                while (all.step()) {
                    for (int c = 0; c < all.columnCount(); ++c)
                        all.value(c);
                }
            }
        } else {
            // A new ledger is an empty file; any other SQLite file is not ours.
            Statement tables = opened->prepare(QStringLiteral("SELECT count(*) FROM sqlite_master"));
            if (tables.step() && integerOf(tables, 0) != 0)
                unreadable(path, QStringLiteral("購入記録の表がありません"));
        }
    } catch (const DatabaseError &error) {
        if (!exists || error.message().startsWith(QStringLiteral("購入記録ファイル")))
            throw;
        unreadable(path, error.message());
    }
    return {std::move(*opened), version};
}

TicketLedger TicketLedger::open(const QString &path)
{
    const QFileInfo info(path);
    const bool exists = info.exists();
    if (!exists) {
        if (!QDir().mkpath(info.absolutePath()))
            throw DatabaseError(QStringLiteral("購入記録のフォルダー「%1」を作れません。").arg(info.absolutePath()));
        // An empty file is a new database to SQLite; made here, it gets its
        // mode from the start instead of being opened to others for a moment.
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            throw DatabaseError(QStringLiteral("購入記録ファイル「%1」を作れません。%2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        if (fd >= 0)
            ::close(fd);
    }
    auto [db, version] = openChecked(path, exists, false);
    TicketLedger ledger(std::move(db));
    if (version < SchemaVersion) {
        ledger.transaction([&] {
            // Another copy of the program may have upgraded it meanwhile.
            for (int v = userVersion(*ledger.m_db); v < SchemaVersion; ++v)
                ledger.m_db->exec(QString::fromUtf8(Upgrades[v]));
            ledger.m_db->exec(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion));
        });
    }
    return ledger;
}

TicketLedger::Contents TicketLedger::read(const QString &path)
{
    if (!QFileInfo::exists(path))
        return {};
    auto [db, version] = openChecked(path, true, true);
    if (version < 1)
        return {};
    const TicketLedger ledger(std::move(db));
    return {ledger.tickets(), ledger.prizes()};
}

void TicketLedger::forEachTicket(const QString &path, const std::function<void(const Ticket &)> &take)
{
    if (!QFileInfo::exists(path))
        return;
    auto [db, version] = openChecked(path, true, true);
    if (version >= 1)
        TicketLedger(std::move(db)).eachTicket(take);
}

template<typename Work> void TicketLedger::transaction(Work work) const
{
    m_db->begin();
    try {
        work();
        m_db->commit();
    } catch (...) {
        m_db->rollback();
        throw;
    }
}

qint64 TicketLedger::dataVersion() const
{
    Statement statement = m_db->prepare(QStringLiteral("PRAGMA data_version"));
    return statement.step() ? integerOf(statement, 0) : 0;
}

std::vector<Ticket> TicketLedger::tickets() const
{
    std::vector<Ticket> result;
    eachTicket([&result](const Ticket &ticket) { result.push_back(ticket); });
    return result;
}

void TicketLedger::eachTicket(const std::function<void(const Ticket &)> &take) const
{
    Statement statement = m_db->prepare(
        QStringLiteral("SELECT id, draw, n1, n2, n3, n4, n5, n6, count, purchased, memo FROM tickets ORDER BY id"));
    while (statement.step()) {
        Ticket ticket;
        ticket.id = integerOf(statement, 0);
        ticket.drawNo = int(integerOf(statement, 1));
        for (int i = 0; i < 6; ++i)
            ticket.numbers[size_t(i)] = int(integerOf(statement, 2 + i));
        ticket.count = int(integerOf(statement, 8));
        ticket.purchaseDate = statement.value(9).toText();
        ticket.memo = statement.value(10).toText();
        take(ticket);
    }
}

void TicketLedger::insert(Ticket &ticket) const
{
    refuseIfWrong(ticket);
    Statement statement = m_db->prepare(QStringLiteral(
        "INSERT INTO tickets (draw, n1, n2, n3, n4, n5, n6, count, purchased, memo) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    bindTicket(statement, ticket);
    statement.step();
    Statement rowId = m_db->prepare(QStringLiteral("SELECT last_insert_rowid()"));
    rowId.step();
    ticket.id = integerOf(rowId, 0);
}

Ticket TicketLedger::add(Ticket ticket)
{
    transaction([&] { insert(ticket); });
    return ticket;
}

std::vector<Ticket> TicketLedger::addAll(std::vector<Ticket> tickets)
{
    transaction([&] {
        for (Ticket &ticket : tickets)
            insert(ticket);
    });
    return tickets;
}

void TicketLedger::update(const Ticket &ticket)
{
    refuseIfWrong(ticket);
    transaction([&] {
        Statement statement = m_db->prepare(QStringLiteral(
            "UPDATE tickets SET draw = ?, n1 = ?, n2 = ?, n3 = ?, n4 = ?, n5 = ?, n6 = ?, count = ?, purchased = ?, memo = ? WHERE id = ?"));
        bindTicket(statement, ticket);
        statement.bind(11, Field(ticket.id));
        statement.step();
        if (m_db->changes() != 1)
            throw DatabaseError(QStringLiteral("この購入記録はもうありません（番号 %1）。").arg(ticket.id));
    });
}

void TicketLedger::remove(qint64 id)
{
    transaction([&] {
        Statement statement = m_db->prepare(QStringLiteral("DELETE FROM tickets WHERE id = ?"));
        statement.bind(1, Field(id));
        statement.step();
    });
}

PrizeBook TicketLedger::prizes() const
{
    Statement statement = m_db->prepare(QStringLiteral("SELECT draw, tier, amount FROM prizes ORDER BY draw, tier"));
    PrizeBook book;
    while (statement.step())
        book.set(int(integerOf(statement, 0)), int(integerOf(statement, 1)), integerOf(statement, 2));
    return book;
}

void TicketLedger::setPrize(int drawNo, int tier, std::optional<qint64> amount)
{
    refuseIfWrongPrize(drawNo, tier, amount);
    transaction([&] {
        Statement statement = m_db->prepare(amount ? QStringLiteral("INSERT OR REPLACE INTO prizes (draw, tier, amount) VALUES (?, ?, ?)")
                                                   : QStringLiteral("DELETE FROM prizes WHERE draw = ? AND tier = ?"));
        statement.bind(1, Field(drawNo));
        statement.bind(2, Field(tier));
        if (amount)
            statement.bind(3, Field(*amount));
        statement.step();
    });
}

namespace {

// The name of an attached ledger on a draw database's connection.
const QString AttachedName = QStringLiteral("ledger");

// Writes the amounts into the prizes table of schema, in the transaction
// the caller holds. Returns how many rows changed.
int writePrizes(const Database &db, const QString &schema, const std::vector<TicketLedger::PrizeRecord> &records)
{
    for (const TicketLedger::PrizeRecord &record : records)
        refuseIfWrongPrize(record.drawNo, record.tier, record.amount);
    int written = 0;
    Statement keep = db.prepare(QStringLiteral("INSERT OR IGNORE INTO %1.prizes (draw, tier, amount) VALUES (?, ?, ?)").arg(schema));
    Statement replace = db.prepare(QStringLiteral("INSERT OR REPLACE INTO %1.prizes (draw, tier, amount) VALUES (?, ?, ?)").arg(schema));
    for (const TicketLedger::PrizeRecord &record : records) {
        Statement &statement = record.replace ? replace : keep;
        statement.bind(1, Field(record.drawNo));
        statement.bind(2, Field(record.tier));
        statement.bind(3, Field(record.amount));
        statement.step();
        statement.reset();
        written += int(db.changes());
    }
    return written;
}

} // namespace

int TicketLedger::recordPrizes(const std::vector<PrizeRecord> &records)
{
    int written = 0;
    transaction([&] { written = writePrizes(*m_db, QStringLiteral("main"), records); });
    return written;
}

void TicketLedger::attach(const Database &draws, const QString &path)
{
    draws.attachPlain(path, AttachedName);
}

int TicketLedger::recordPrizes(const Database &draws, const std::vector<PrizeRecord> &records)
{
    return writePrizes(draws, AttachedName, records);
}

int TicketLedger::importCsv(const QByteArray &bytes, const QString &sourceName)
{
    int added = 0;
    transaction([&] {
        Statement insert = m_db->prepare(QStringLiteral(
            "INSERT INTO tickets (draw, n1, n2, n3, n4, n5, n6, count, purchased, memo) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        TicketCsv::LineReader reader(sourceName);
        DrawImport::forEachLine(bytes, [&](QStringView line) {
            if (const std::optional<Ticket> ticket = reader.take(line)) {
                bindTicket(insert, *ticket);
                insert.step();
                insert.reset();
                ++added;
            }
        });
        if (!reader.sawHeader())
            reader.finish();
    });
    return added;
}

namespace TicketCsv {

namespace {

const QStringList Header{QStringLiteral("回"),    QStringLiteral("数字1"), QStringLiteral("数字2"), QStringLiteral("数字3"),
                         QStringLiteral("数字4"), QStringLiteral("数字5"), QStringLiteral("数字6"), QStringLiteral("口数"),
                         QStringLiteral("購入日"), QStringLiteral("メモ")};

} // namespace

QString write(const std::vector<Ticket> &tickets)
{
    QString text = Header.join(QLatin1Char(',')) + QLatin1Char('\n');
    for (const Ticket &ticket : tickets) {
        QString memo = ticket.memo;
        memo.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
        text += QStringLiteral("%1,%2,%3,%4,%5\n")
                    .arg(ticket.drawNo)
                    .arg(TicketRules::numbersText(ticket.numbers))
                    .arg(ticket.count)
                    .arg(DrawCsv::quote(ticket.purchaseDate), DrawCsv::quote(memo));
    }
    return text;
}

LineReader::LineReader(QString sourceName)
    : m_source(std::move(sourceName))
{
}

std::optional<Ticket> LineReader::take(QStringView text)
{
    ++m_line;
    const auto fail = [this](const QString &why) {
        throw DatabaseError(QStringLiteral("CSV ファイル「%1」の %2 行目: %3 何も取り込んでいません。").arg(m_source).arg(m_line).arg(why));
    };
    if (m_line == 1) {
        if (DrawCsv::splitLine(text.toString()).mid(0, 9) != Header.mid(0, 9))
            finish();
        return std::nullopt;
    }
    if (text.trimmed().isEmpty())
        return std::nullopt;
    const QStringList fields = DrawCsv::splitLine(text.toString());
    if (fields.size() < 7 || fields.size() > 10)
        fail(QStringLiteral("項目の数が %1 です（回、数字6個、口数、購入日、メモ）。").arg(fields.size()));
    Ticket ticket;
    bool ok = false;
    ticket.drawNo = fields[0].normalized(QString::NormalizationForm_KC).trimmed().toInt(&ok);
    if (!ok)
        fail(QStringLiteral("回「%1」が整数ではありません。").arg(fields[0]));
    QString problem;
    const std::optional<std::array<int, 6>> numbers = TicketRules::parseNumbers(fields.mid(1, 6).join(QLatin1Char(',')), &problem);
    if (!numbers)
        fail(problem);
    ticket.numbers = *numbers;
    const QString count = fields.value(7).trimmed();
    ticket.count = count.isEmpty() ? 1 : count.normalized(QString::NormalizationForm_KC).toInt(&ok);
    if (!count.isEmpty() && !ok)
        fail(QStringLiteral("口数「%1」が整数ではありません。").arg(count));
    const QString date = fields.value(8).trimmed();
    ticket.purchaseDate = date.isEmpty() ? QDate::currentDate().toString(Qt::ISODate) : TicketRules::normalizedDate(date).value_or(date);
    ticket.memo = fields.value(9);
    if (const std::optional<QString> wrong = TicketRules::problem(ticket))
        fail(*wrong);
    return ticket;
}

void LineReader::finish() const
{
    throw DatabaseError(QStringLiteral("CSV ファイル「%1」の見出し行が正しくありません（%2）。").arg(m_source, Header.join(QLatin1Char(','))));
}

std::vector<Ticket> parse(const QString &text, const QString &sourceName)
{
    LineReader reader(sourceName);
    std::vector<Ticket> tickets;
    for (const QString &line : DrawCsv::textLines(text)) {
        if (std::optional<Ticket> ticket = reader.take(line))
            tickets.push_back(std::move(*ticket));
    }
    if (!reader.sawHeader())
        reader.finish();
    return tickets;
}

} // namespace TicketCsv
