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
#include "ui/savedfile.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <climits>
#include <cstdio>

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
    return loadDrawHistoryFrom(DrawDatabase::connectStringForFile(path));
}

QJsonArray numbersJson(const std::array<int, 6> &numbers)
{
    QJsonArray array;
    for (int n : numbers)
        array.append(n);
    return array;
}

QJsonObject ticketJson(const Ticket &ticket)
{
    return {{QStringLiteral("id"), ticket.id},
            {QStringLiteral("draw"), ticket.drawNo},
            {QStringLiteral("numbers"), numbersJson(ticket.numbers)},
            {QStringLiteral("count"), ticket.count},
            {QStringLiteral("purchased"), ticket.purchaseDate},
            {QStringLiteral("memo"), ticket.memo}};
}

QJsonObject rowJson(const SpendingRow &row)
{
    QJsonArray wins;
    for (qint64 lines : row.wins)
        wins.append(double(lines));
    const auto rate = [](std::optional<double> r, bool complete) {
        return r && complete ? QJsonValue(*r) : QJsonValue(QJsonValue::Null);
    };
    // A rate from known amounts only is a lower bound, never the rate.
    const auto atLeast = [](std::optional<double> r, bool complete) {
        return r && !complete ? QJsonValue(*r) : QJsonValue(QJsonValue::Null);
    };
    return {{QStringLiteral("period"), row.period},
            {QStringLiteral("lines"), double(row.lines)},
            {QStringLiteral("spent"), double(row.spent)},
            {QStringLiteral("checkedLines"), double(row.checkedLines)},
            {QStringLiteral("checkedSpent"), double(row.checkedSpent)},
            {QStringLiteral("pendingLines"), double(row.pendingLines)},
            {QStringLiteral("won"), double(row.won)},
            {QStringLiteral("unknownLines"), double(row.unknownLines)},
            {QStringLiteral("wins"), wins},
            {QStringLiteral("returnRate"), rate(row.returnRate(), row.returnRateComplete())},
            {QStringLiteral("returnRateAtLeast"), atLeast(row.returnRate(), row.returnRateComplete())},
            {QStringLiteral("returnRateText"), returnRateText(row)},
            {QStringLiteral("expected"), row.expected()},
            {QStringLiteral("expectedNumerator"), double(row.expectedNumerator)},
            {QStringLiteral("expectedDenominator"), double(TierOdds::Combinations)},
            {QStringLiteral("expectedPartial"), row.expectedPartial},
            {QStringLiteral("expectedRate"), rate(row.expectedRate(), !row.expectedPartial)},
            {QStringLiteral("expectedRateAtLeast"), atLeast(row.expectedRate(), !row.expectedPartial)},
            {QStringLiteral("expectedRateText"), expectedRateText(row)}};
}

QJsonArray rowsJson(const std::vector<SpendingRow> &rows)
{
    QJsonArray array;
    for (const SpendingRow &row : rows)
        array.append(rowJson(row));
    return array;
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
    out(QString::fromUtf8(QJsonDocument(ticketJson(added)).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
    return Success;
}

int list(const Arguments &args, const QString &format)
{
    const std::vector<Ticket> tickets = readLedger(args).tickets;
    if (format == QLatin1String("csv")) {
        out(TicketCsv::write(tickets));
        return Success;
    }
    QJsonArray array;
    for (const Ticket &ticket : tickets)
        array.append(ticketJson(ticket));
    out(QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
    return Success;
}

int check(const Arguments &args, const QString &format)
{
    const TicketLedger::Contents ledger = readLedger(args);
    const std::vector<Ticket> &tickets = ledger.tickets;
    const PrizeBook &prizes = ledger.prizes;
    const DrawHistoryStore store = loadDraws(args);
    const DrawResults results(store.DrawRecordset);

    if (format == QLatin1String("csv")) {
        QString text = QStringLiteral("回,数字1,数字2,数字3,数字4,数字5,数字6,口数,購入日,メモ,一致,ボーナス,等級,当選金\n");
        for (const Ticket &ticket : tickets) {
            const TicketCheck c = checkTicket(ticket, results);
            const std::optional<qint64> amount = prizes.amount(ticket.drawNo, c.tier);
            const bool pending = c.tier == Tier::Pending;
            text += TicketCsv::write({ticket}).section(QLatin1Char('\n'), 1, 1)
                    + QStringLiteral(",%1,%2,%3,%4\n")
                          .arg(pending ? QString() : QString::number(c.mainMatches),
                               pending ? QString() : (c.bonusMatched ? QStringLiteral("○") : QString()), tierName(c.tier),
                               pending ? QString() : amount ? groupedDigits(linesPrize(*amount, ticket.count)).remove(QLatin1Char(','))
                                                            : QStringLiteral("不明"));
        }
        out(text);
        return Success;
    }

    QJsonArray checked;
    for (const Ticket &ticket : tickets) {
        const TicketCheck c = checkTicket(ticket, results);
        QJsonObject object = ticketJson(ticket);
        object.insert(QStringLiteral("tier"), tierName(c.tier));
        object.insert(QStringLiteral("tierNumber"), tierNumber(c.tier));
        if (c.tier != Tier::Pending) {
            QJsonArray matched;
            for (size_t i = 0; i < 6; ++i) {
                if (c.matched[i])
                    matched.append(ticket.numbers[i]);
            }
            object.insert(QStringLiteral("matched"), matched);
            object.insert(QStringLiteral("bonusMatched"), c.bonusMatched);
        }
        const std::optional<qint64> amount = prizes.amount(ticket.drawNo, c.tier);
        // Null for a prize not known yet: an amount not recorded, or a draw not held.
        object.insert(QStringLiteral("prize"), amount && c.tier != Tier::Pending ? QJsonValue(double(linesPrize(*amount, ticket.count)))
                                                                                 : QJsonValue(QJsonValue::Null));
        checked.append(object);
    }
    const SpendingSummary summary = summarize(tickets, results, prizes);
    const QJsonObject document{{QStringLiteral("ledger"), ledgerPath(args)},
                               {QStringLiteral("lastDrawNo"), int(store.LastDrawNo)},
                               {QStringLiteral("tickets"), checked},
                               {QStringLiteral("summary"),
                                QJsonObject{{QStringLiteral("months"), rowsJson(summary.months)},
                                            {QStringLiteral("years"), rowsJson(summary.years)},
                                            {QStringLiteral("overall"), rowJson(summary.overall)}}}};
    out(QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
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
