// The ticket ledger without a window: the same ledger file, checks and
// summary as the window 購入記録・当選チェック.
#include "cli/tickets.h"

#include "cli/commandsupport.h"
#include "cli/options.h"
#include "cli/wheelcommands.h"
#include "maintenance/ticketledger.h"
#include "store/boundedinput.h"
#include "store/drawdatabase.h"
#include "store/globalbas.h"
#include "store/runtimeerror.h"
#include "ui/exportoutput.h"
#include "ui/savedfile.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>
#include <utility>

namespace Cli {

namespace {

const char *const TicketsUsage =
    "使い方 / usage: loto6kermon-cli tickets SUBCOMMAND [--ledger FILE] [--db FILE]\n"
    "  add --numbers 1,2,3,4,5,6 [--draw N] [--count k] [--memo text] [--date YYYY-MM-DD]\n"
    "  add --wheel 1,2,... --if M --match T [--seconds S] [--seed N] [--draw N] [--count k] [--memo text] [--date YYYY-MM-DD]\n"
    "  list [--format json|csv]\n"
    "  check [--format json|csv]\n"
    "  import FILE\n"
    "  export FILE|-\n"
    "  prize --draw N --tier 1-4 --amount YEN|none\n"
    "終了コード / exit status: 0 成功、1 失敗（何も書き込んでいない）、2 使い方の誤り\n";

int ticketsUsage(const QString &problem)
{
    if (!problem.isEmpty())
        err(problem);
    err(QString::fromUtf8(TicketsUsage).chopped(1));
    return Usage;
}

// The subcommand is the first word after "tickets".
struct Arguments : Options
{
    QString subcommand;
};

const QStringList Valued{QStringLiteral("--ledger"), QStringLiteral("--db"),    QStringLiteral("--draw"),
                         QStringLiteral("--numbers"), QStringLiteral("--count"), QStringLiteral("--memo"),
                         QStringLiteral("--date"),   QStringLiteral("--format"), QStringLiteral("--tier"),
                         QStringLiteral("--amount"), QStringLiteral("--wheel"),  QStringLiteral("--if"),
                         QStringLiteral("--match"),  QStringLiteral("--seconds"), QStringLiteral("--seed")};

std::optional<Arguments> parseArguments(const QStringList &args, QString *problem)
{
    std::optional<Options> options = parse(args, Valued, {}, problem);
    if (!options)
        return std::nullopt;
    Arguments parsed;
    static_cast<Options &>(parsed) = std::move(*options);
    if (!parsed.positional.isEmpty())
        parsed.subcommand = parsed.positional.takeFirst();
    return parsed;
}

QString programFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString ledgerPath(const Arguments &args)
{
    return args.value(QStringLiteral("--ledger"), TicketLedger::defaultPath(programFolder()));
}

TicketLedger openLedger(const Arguments &args)
{
    return TicketLedger::open(ledgerPath(args));
}

// What the commands that only read see: no ledger yet is no tickets, and
// reading never writes (no file, no folder for a mistyped path, no schema).
TicketLedger::Contents readLedger(const Arguments &args)
{
    return TicketLedger::read(ledgerPath(args));
}

// A prize of count lines, in the width that cannot overflow.
YenSum linesPrize(qint64 amount, int count)
{
    return YenSum(amount) * count;
}

DrawHistoryStore loadDraws(const Arguments &args)
{
    const QString path = args.has(QStringLiteral("--db")) ? args.value(QStringLiteral("--db")) : programDatabase();
    return loadDrawHistoryFrom(path);
}

// Whole numbers of any width as JSON and CSV write them: digits only.
QString plainDigits(WideInteger number)
{
    return groupedDigits(number).remove(QLatin1Char(','));
}

// JSON is written as it is made (a ledger may hold millions of tickets),
// keys in the order Qt's own writer gives them, whole numbers exact at any
// size: sums of yen need more than the 53 bits a double holds.
void putWide(ExportOutput &output, WideInteger number)
{
    output.put(plainDigits(number));
}

// A rate as Qt writes a double; null when there is none.
void putRate(ExportOutput &output, std::optional<double> rate)
{
    if (!rate) {
        output.put("null");
        return;
    }
    const QByteArray array = QJsonDocument(QJsonArray{*rate}).toJson(QJsonDocument::Compact);
    output.put(std::string_view(array.constData() + 1, size_t(array.size() - 2)));
}

void putBool(ExportOutput &output, bool value)
{
    output.put(value ? "true" : "false");
}

// How a ticket stands against the draws, for tickets check.
struct CheckedTicket
{
    TicketCheck check;
    std::optional<YenSum> prize; // nothing: not known yet
};

// One ticket as an object; with checked, the check's keys among its own.
void putTicket(ExportOutput &output, const Ticket &ticket, const CheckedTicket *checked = nullptr)
{
    const bool drawn = checked && checked->check.tier != Tier::Pending;
    output.put('{');
    if (drawn) {
        output.put("\"bonusMatched\":");
        putBool(output, checked->check.bonusMatched);
        output.put(',');
    }
    output.put("\"count\":");
    output.putNumber(ticket.count);
    output.put(",\"draw\":");
    output.putNumber(ticket.drawNo);
    output.put(",\"id\":");
    output.putNumber(ticket.id);
    if (drawn) {
        output.put(",\"matched\":[");
        bool first = true;
        for (size_t i = 0; i < 6; ++i) {
            if (!checked->check.matched[i])
                continue;
            if (!std::exchange(first, false))
                output.put(',');
            output.putNumber(ticket.numbers[i]);
        }
        output.put(']');
    }
    output.put(",\"memo\":");
    output.putJsonString(ticket.memo);
    output.put(",\"numbers\":[");
    for (size_t i = 0; i < 6; ++i) {
        if (i > 0)
            output.put(',');
        output.putNumber(ticket.numbers[i]);
    }
    output.put(']');
    if (checked) {
        // Null for a prize not known yet: an amount not recorded, or a draw not held.
        output.put(",\"prize\":");
        if (checked->prize)
            putWide(output, *checked->prize);
        else
            output.put("null");
    }
    output.put(",\"purchased\":");
    output.putJsonString(ticket.purchaseDate);
    if (checked) {
        output.put(",\"tier\":");
        output.putJsonString(tierName(checked->check.tier));
        output.put(",\"tierNumber\":");
        output.putNumber(tierNumber(checked->check.tier));
    }
    output.put('}');
}

// "<name>", "<name>AtLeast" and "<name>Text" of a rate: a rate from known
// amounts only is a lower bound, never the rate.
void putRates(ExportOutput &output, const char *name, std::optional<double> rate, bool complete, const QString &text)
{
    output.put(",\"");
    output.put(name);
    output.put("\":");
    putRate(output, complete ? rate : std::nullopt);
    output.put(",\"");
    output.put(name);
    output.put("AtLeast\":");
    putRate(output, complete ? std::nullopt : rate);
    output.put(",\"");
    output.put(name);
    output.put("Text\":");
    output.putJsonString(text);
}

void putRow(ExportOutput &output, const SpendingRow &row)
{
    const auto key = [&output](const char *name) {
        output.put(name);
        output.put(':');
    };
    output.put('{');
    key("\"checkedLines\"");
    output.putNumber(row.checkedLines);
    key(",\"checkedSpent\"");
    output.putNumber(row.checkedSpent);
    key(",\"expected\"");
    putRate(output, row.expected());
    key(",\"expectedDenominator\"");
    output.putNumber(TierOdds::Combinations);
    key(",\"expectedNumerator\"");
    putWide(output, row.expectedNumerator);
    key(",\"expectedPartial\"");
    putBool(output, row.expectedPartial);
    putRates(output, "expectedRate", row.expectedRate(), !row.expectedPartial, expectedRateText(row));
    key(",\"lines\"");
    output.putNumber(row.lines);
    key(",\"pendingLines\"");
    output.putNumber(row.pendingLines);
    key(",\"period\"");
    output.putJsonString(row.period);
    putRates(output, "returnRate", row.returnRate(), row.returnRateComplete(), returnRateText(row));
    key(",\"spent\"");
    output.putNumber(row.spent);
    key(",\"unknownLines\"");
    output.putNumber(row.unknownLines);
    key(",\"wins\"");
    output.put('[');
    for (size_t tier = 0; tier < row.wins.size(); ++tier) {
        if (tier > 0)
            output.put(',');
        output.putNumber(row.wins[tier]);
    }
    output.put(']');
    key(",\"won\"");
    putWide(output, row.won);
    output.put('}');
}

void putRows(ExportOutput &output, const std::vector<SpendingRow> &rows)
{
    output.put('[');
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i > 0)
            output.put(',');
        putRow(output, rows[i]);
    }
    output.put(']');
}

// Tickets' CSV lines as the ledger's CSV writes them, without its header.
QString ticketsCsv(const std::vector<Ticket> &tickets)
{
    const QString text = TicketCsv::write(tickets);
    return text.mid(text.indexOf(QLatin1Char('\n')) + 1);
}

int add(const Arguments &args)
{
    if (!args.has(QStringLiteral("--numbers")))
        return ticketsUsage(QStringLiteral("tickets add には --numbers が必要です。"));
    Ticket ticket;
    QString problem;
    const std::optional<std::array<int, 6>> numbers = TicketRules::parseNumbers(args.value(QStringLiteral("--numbers")), &problem);
    if (!numbers) {
        err(problem);
        return Failure;
    }
    ticket.numbers = *numbers;
    bool ok = true;
    if (args.has(QStringLiteral("--draw")))
        ticket.drawNo = args.value(QStringLiteral("--draw")).toInt(&ok);
    else
        ticket.drawNo = loadDraws(args).LastDrawNo + 1; // the next draw
    if (!ok)
        return ticketsUsage(QStringLiteral("--draw は整数です: %1").arg(args.value(QStringLiteral("--draw"))));
    ticket.count = args.value(QStringLiteral("--count"), QStringLiteral("1")).toInt(&ok);
    if (!ok)
        return ticketsUsage(QStringLiteral("--count は整数です: %1").arg(args.value(QStringLiteral("--count"))));
    const QString date = args.value(QStringLiteral("--date"), QDate::currentDate().toString(Qt::ISODate));
    ticket.purchaseDate = TicketRules::normalizedDate(date).value_or(date);
    ticket.memo = args.value(QStringLiteral("--memo"));
    if (const std::optional<QString> wrong = TicketRules::problem(ticket)) {
        err(*wrong);
        return Failure;
    }
    const Ticket added = openLedger(args).add(ticket);
    ExportOutput output(stdout);
    putTicket(output, added);
    output.put('\n');
    return Success;
}

// A ticket at a time from the file to the output: a ledger of millions of
// tickets lists in the memory of one.
int list(const Arguments &args, const QString &format)
{
    ExportOutput output(stdout);
    const bool csv = format == QLatin1String("csv");
    output.put(csv ? TicketCsv::write({}) : QStringLiteral("["));
    bool first = true;
    // CSV a thousand lines at a time: the writer's header is made once for them.
    std::vector<Ticket> batch;
    const auto putBatch = [&] {
        output.put(ticketsCsv(batch));
        batch.clear();
    };
    TicketLedger::forEachTicket(ledgerPath(args), [&](const Ticket &ticket) {
        if (csv) {
            batch.push_back(ticket);
            if (batch.size() == 1000)
                putBatch();
            return;
        }
        if (!std::exchange(first, false))
            output.put(',');
        putTicket(output, ticket);
    });
    if (csv && !batch.empty())
        putBatch();
    if (!csv)
        output.put("]\n");
    return Success;
}

int check(const Arguments &args, const QString &format)
{
    const TicketLedger::Contents ledger = readLedger(args);
    const std::vector<Ticket> &tickets = ledger.tickets;
    const PrizeBook &prizes = ledger.prizes;
    const DrawHistoryStore store = loadDraws(args);
    const DrawResults results(store.DrawRecordset);
    const auto checked = [&](const Ticket &ticket) {
        const TicketCheck c = checkTicket(ticket, results);
        const std::optional<qint64> amount = prizes.amount(ticket.drawNo, c.tier);
        return CheckedTicket{c, amount && c.tier != Tier::Pending ? std::optional<YenSum>(linesPrize(*amount, ticket.count))
                                                                  : std::nullopt};
    };

    ExportOutput output(stdout);
    if (format == QLatin1String("csv")) {
        output.put(QStringLiteral("回,数字1,数字2,数字3,数字4,数字5,数字6,口数,購入日,メモ,一致,ボーナス,等級,当選金\n"));
        for (const Ticket &ticket : tickets) {
            const CheckedTicket c = checked(ticket);
            const bool pending = c.check.tier == Tier::Pending;
            QString line = ticketsCsv({ticket});
            line.chop(1);
            output.put(line + QStringLiteral(",%1,%2,%3,%4\n")
                                  .arg(pending ? QString() : QString::number(c.check.mainMatches),
                                       pending ? QString() : (c.check.bonusMatched ? QStringLiteral("○") : QString()),
                                       tierName(c.check.tier),
                                       pending ? QString() : c.prize ? plainDigits(*c.prize) : QStringLiteral("不明")));
        }
        return Success;
    }

    const SpendingSummary summary = summarize(tickets, results, prizes);
    output.put("{\"lastDrawNo\":");
    output.putNumber(store.LastDrawNo);
    output.put(",\"ledger\":");
    output.putJsonString(ledgerPath(args));
    output.put(",\"summary\":{\"months\":");
    putRows(output, summary.months);
    output.put(",\"overall\":");
    putRow(output, summary.overall);
    output.put(",\"years\":");
    putRows(output, summary.years);
    output.put("},\"tickets\":[");
    for (size_t i = 0; i < tickets.size(); ++i) {
        if (i > 0)
            output.put(',');
        const CheckedTicket c = checked(tickets[i]);
        putTicket(output, tickets[i], &c);
    }
    output.put("]}\n");
    return Success;
}

int importFile(const Arguments &args)
{
    if (args.positional.size() != 1)
        return ticketsUsage(QStringLiteral("tickets import には CSV ファイルを一つ指定してください。"));
    const QString path = args.positional.first();
    const BoundedInput::Result input = BoundedInput::readFile(path);
    if (!input.ok()) {
        err(input.problem + QStringLiteral("\n何も取り込んでいません。"));
        return Failure;
    }
    const int added = openLedger(args).importCsv(input.bytes, path);
    out(QStringLiteral("{\"imported\":%1}\n").arg(added));
    return Success;
}

int exportFile(const Arguments &args)
{
    if (args.positional.size() != 1)
        return ticketsUsage(QStringLiteral("tickets export には書き出すファイル（- は標準出力）を一つ指定してください。"));
    const QString text = TicketCsv::write(readLedger(args).tickets);
    const QString path = args.positional.first();
    if (path == QLatin1String("-")) {
        out(text);
        return Success;
    }
    if (const QString problem = SavedFile::write(path, text.toUtf8()); !problem.isEmpty()) {
        err(QStringLiteral("CSV ファイル「%1」を書き込めません。%2").arg(path, problem));
        return Failure;
    }
    return Success;
}

int prize(const Arguments &args)
{
    bool drawOk = false;
    bool tierOk = false;
    const int drawNo = args.value(QStringLiteral("--draw")).toInt(&drawOk);
    const int tier = args.value(QStringLiteral("--tier")).toInt(&tierOk);
    const QString amountText = args.value(QStringLiteral("--amount"));
    bool amountOk = false;
    const qint64 amount = amountText.toLongLong(&amountOk);
    if (!drawOk || !tierOk || (!amountOk && amountText != QLatin1String("none")))
        return ticketsUsage(QStringLiteral("tickets prize には --draw N --tier 1-4 --amount 円（none で消去）が必要です。"));
    openLedger(args).setPrize(drawNo, tier, amountOk ? std::optional<qint64>(amount) : std::nullopt);
    return Success;
}

} // namespace

int tickets(const QStringList &arguments)
{
    QString problem;
    const std::optional<Arguments> args = parseArguments(arguments, &problem);
    if (!args)
        return ticketsUsage(problem);
    const QString format = args->value(QStringLiteral("--format"), QStringLiteral("json"));
    if (format != QLatin1String("json") && format != QLatin1String("csv"))
        return ticketsUsage(QStringLiteral("--format は json か csv です。"));
    try {
        const QString &sub = args->subcommand;
        if (sub == QLatin1String("add") && args->has(QStringLiteral("--wheel")))
            return addWheelTickets(*args, ledgerPath(*args));
        if (sub == QLatin1String("add"))
            return add(*args);
        if (sub == QLatin1String("list"))
            return list(*args, format);
        if (sub == QLatin1String("check"))
            return check(*args, format);
        if (sub == QLatin1String("import"))
            return importFile(*args);
        if (sub == QLatin1String("export"))
            return exportFile(*args);
        if (sub == QLatin1String("prize"))
            return prize(*args);
    } catch (const DatabaseError &error) {
        err(error.message());
        return Failure;
    } catch (const RuntimeError &error) {
        err(error.message());
        return Failure;
    }
    return ticketsUsage(args->subcommand.isEmpty() ? QString() : QStringLiteral("不明なサブコマンドです: %1").arg(args->subcommand));
}

} // namespace Cli
