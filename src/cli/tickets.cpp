// The ticket ledger without a window: the same ledger file, checks and
// summary as the window 購入記録・当選チェック.
#include "cli/tickets.h"

#include "cli/commandsupport.h"
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

#include <climits>
#include <cstdio>
#include <utility>

namespace Cli {

namespace {

// The usage of one subcommand, or without one that of them all.
int ticketsUsage(const QString &problem, const CommandSpec *subcommand = nullptr)
{
    if (subcommand)
        return usage(problem, subcommand);
    CommandSpec all{QStringLiteral("tickets"), {}, {}};
    for (const CommandSpec &command : commandTable()) {
        if (command.name.startsWith(QLatin1String("tickets ")))
            all.usage += command.usage;
    }
    return usage(problem, &all);
}

// The subcommand and its options.
struct Arguments : Options
{
    QString subcommand;
};

// The subcommand is the first word that is neither an option nor the value
// of one; the rest is read against that subcommand's table.
Arguments parseArguments(const QStringList &args, const CommandSpec **spec)
{
    qsizetype at = 0;
    while (at < args.size() && args[at].startsWith(QLatin1String("--"))) {
        bool takesValue = false;
        for (const CommandSpec &command : commandTable()) {
            const OptionSpec *option = command.option(args[at]);
            takesValue = takesValue || (command.name.startsWith(QLatin1String("tickets ")) && option
                                        && option->kind != OptionSpec::Kind::Flag);
        }
        at += takesValue ? 2 : 1;
    }
    if (at >= args.size())
        throw UsageError{};
    *spec = findCommand(QStringLiteral("tickets ") + args[at]);
    if (!*spec)
        throw UsageError{QStringLiteral("不明なサブコマンドです: %1").arg(args[at])};
    QStringList rest = args;
    rest.removeAt(at);
    Arguments parsed;
    static_cast<Options &>(parsed) = Options::parse(**spec, rest);
    parsed.subcommand = args[at];
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
        throw UsageError{QStringLiteral("tickets add には --numbers か --wheel が必要です。")};
    for (const QString &wheelOnly : {QStringLiteral("--if"), QStringLiteral("--match"), QStringLiteral("--seconds"), QStringLiteral("--seed")}) {
        if (args.has(wheelOnly))
            throw UsageError{QStringLiteral("%1 は --wheel と一緒に使います。").arg(wheelOnly)};
    }
    Ticket ticket;
    QString problem;
    const std::optional<std::array<int, 6>> numbers = TicketRules::parseNumbers(args.value(QStringLiteral("--numbers")), &problem);
    if (!numbers) {
        err(problem);
        return Failure;
    }
    ticket.numbers = *numbers;
    // The ranges are the ledger's rules, checked with the rest of the ticket.
    const std::optional<int> draw = args.integer(QStringLiteral("--draw"));
    ticket.drawNo = draw ? *draw : loadDraws(args).LastDrawNo + 1; // the next draw
    ticket.count = args.integer(QStringLiteral("--count")).value_or(1);
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
        throw UsageError{QStringLiteral("tickets import には CSV ファイルを一つ指定してください。")};
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
        throw UsageError{QStringLiteral("tickets export には書き出すファイル（- は標準出力）を一つ指定してください。")};
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
    if (!args.has(QStringLiteral("--draw")) || !args.has(QStringLiteral("--tier")) || !args.has(QStringLiteral("--amount")))
        throw UsageError{QStringLiteral("tickets prize には --draw N --tier 1-4 --amount 円（none で消去）が必要です。")};
    // The ranges are the ledger's rules: setPrize says what is out of them.
    const std::optional<qint64> amount = args.value(QStringLiteral("--amount")) == QLatin1String("none")
        ? std::nullopt
        : args.whole(QStringLiteral("--amount"), LLONG_MIN, LLONG_MAX);
    const int drawNo = *args.integer(QStringLiteral("--draw"));
    const int tier = *args.integer(QStringLiteral("--tier"));
    openLedger(args).setPrize(drawNo, tier, amount);
    return Success;
}

} // namespace

int tickets(const QStringList &arguments)
{
    const CommandSpec *spec = nullptr;
    try {
        const Arguments args = parseArguments(arguments, &spec);
        const QString format = args.value(QStringLiteral("--format"));
        const QString &sub = args.subcommand;
        if (sub == QLatin1String("add") && args.has(QStringLiteral("--wheel"))) {
            if (args.has(QStringLiteral("--numbers")))
                throw UsageError{QStringLiteral("--numbers と --wheel は一緒に指定できません。")};
            return addWheelTickets(args, ledgerPath(args));
        }
        if (sub == QLatin1String("add"))
            return add(args);
        if (sub == QLatin1String("list"))
            return list(args, format);
        if (sub == QLatin1String("check"))
            return check(args, format);
        if (sub == QLatin1String("import"))
            return importFile(args);
        if (sub == QLatin1String("export"))
            return exportFile(args);
        if (sub == QLatin1String("prize"))
            return prize(args);
    } catch (const UsageError &error) {
        return ticketsUsage(error.message, spec);
    } catch (const DatabaseError &error) {
        err(error.message());
        return Failure;
    } catch (const RuntimeError &error) {
        err(error.message());
        return Failure;
    }
    return ticketsUsage({});
}

} // namespace Cli
