#include "cli/wheelcommands.h"

#include "cli/commandsupport.h"
#include "maintenance/ticketledger.h"
#include "prediction/candidates.h"
#include "prediction/combofilter.h"
#include "prediction/wheel.h"
#include "ui/exportoutput.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <functional>
#include <limits>

namespace Cli {

namespace {

// The filters of combos: option, what it measures.
struct FilterOption
{
    const char *option;
    ComboFilter::Measure measure;
};
constexpr FilterOption FilterOptions[] = {
    {"--sum", ComboFilter::Measure::Sum},
    {"--odd", ComboFilter::Measure::Odd},
    {"--low", ComboFilter::Measure::Low},
    {"--consecutive", ComboFilter::Measure::Consecutive},
    {"--last-digit", ComboFilter::Measure::LastDigit},
    {"--previous", ComboFilter::Measure::Previous},
    {"--groups", ComboFilter::Measure::Groups},
};

QString optionName(const char *option)
{
    return QString::fromLatin1(option);
}

std::vector<int> candidatesOption(const Options &options, const QString &name)
{
    QString why;
    const std::optional<std::vector<int>> numbers = Candidates::parse(options.value(name), &why);
    if (!numbers)
        throw UsageError{QStringLiteral("%1: %2").arg(name, why)};
    return *numbers;
}

WheelRequest wheelRequest(const Options &options, const QString &numbersOption)
{
    if (!options.has(numbersOption) || !options.has(QStringLiteral("--if")) || !options.has(QStringLiteral("--match")))
        throw UsageError{QStringLiteral("%1、--if、--match を指定してください。").arg(numbersOption)};
    WheelRequest request;
    request.numbers = candidatesOption(options, numbersOption);
    request.condition.ifDrawn = int(options.whole(QStringLiteral("--if"), 0, 3, 6));
    request.condition.match = int(options.whole(QStringLiteral("--match"), 0, 3, 6));
    bool ok = true;
    if (options.has(QStringLiteral("--seconds")))
        request.seconds = options.value(QStringLiteral("--seconds")).toDouble(&ok);
    if (!ok || request.seconds <= 0 || request.seconds > 3600)
        throw UsageError{QStringLiteral("--seconds には 0 より大きく 3600 以下の秒数を指定してください: %1").arg(options.value(QStringLiteral("--seconds")))};
    request.seed = std::uint64_t(options.whole(QStringLiteral("--seed"), 1, 0, std::numeric_limits<long long>::max()));
    if (const std::optional<QString> wrong = Wheel::problem(request.numbers, request.condition))
        throw UsageError{*wrong};
    return request;
}

// The wheel, or nothing (with the reason on stderr) when its promise did not
// hold up: such lines are never handed out.
std::optional<Wheel> verifiedWheel(const WheelRequest &request)
{
    Wheel wheel = Wheel::build(request);
    if (!wheel.verified) {
        err(QStringLiteral("縮小ホイールの保証を確かめられませんでした（%1）。何も出力していません。")
                .arg(wheel.lines.empty() ? QStringLiteral("組合せが見つかりません") : QStringLiteral("保証を満たさない組合せ")));
        return std::nullopt;
    }
    return wheel;
}

QString stopName(Wheel::Stop stop)
{
    switch (stop) {
    case Wheel::Stop::Minimal:
        return QStringLiteral("minimal");
    case Wheel::Stop::Settled:
        return QStringLiteral("settled");
    case Wheel::Stop::TimeUp:
        return QStringLiteral("timeUp");
    case Wheel::Stop::Cancelled:
        break;
    }
    return QStringLiteral("cancelled");
}

QJsonArray numbersJson(const std::vector<int> &numbers)
{
    QJsonArray array;
    for (int n : numbers)
        array.append(n);
    return array;
}

// The draw after the last in the database. A database that ends at the
// highest draw number has none that a ticket could be recorded for.
int nextDraw(const DrawHistoryStore &store)
{
    const int next = store.LastDrawNo + 1;
    if (next > TicketRules::HighestDrawNo) {
        throw UsageError{QStringLiteral("データベースの最後の回が第%1回のため、次の回（第%2回）の買い目は記録できません（回は %3 まで）。"
                                     "--draw で回を指定してください。")
                          .arg(store.LastDrawNo)
                          .arg(next)
                          .arg(TicketRules::HighestDrawNo)};
    }
    return next;
}

// The draw the lines are for: --draw, or the one after the last in the database.
int ticketDraw(const Options &options)
{
    if (options.has(QStringLiteral("--draw")))
        return int(options.whole(QStringLiteral("--draw"), 0, 1, TicketRules::HighestDrawNo));
    return nextDraw(loadStore(options));
}

// The lines as tickets of one draw, as `tickets import` reads them.
std::vector<Ticket> ticketsFor(const std::vector<Wheel::Line> &lines, int drawNo, int count, const QString &date, const QString &memo)
{
    Ticket pattern;
    pattern.drawNo = drawNo;
    pattern.count = count;
    pattern.purchaseDate = date;
    pattern.memo = memo;
    return TicketRules::ticketsOf(lines, pattern);
}

int runWheel(const Options &options)
{
    const QString format = options.value(QStringLiteral("--format"));
    const WheelRequest request = wheelRequest(options, QStringLiteral("--numbers"));
    // The draw is read first: a database that cannot be read fails before the search.
    const int drawNo = format == QLatin1String("csv") ? ticketDraw(options) : 0;
    const std::optional<Wheel> wheel = verifiedWheel(request);
    if (!wheel)
        return Failure;
    if (format == QLatin1String("csv")) {
        // An empty purchase date becomes the day of the import.
        out(TicketCsv::write(ticketsFor(wheel->lines, drawNo, 1, QString(), Wheel::memoText(wheel->condition))));
        return Success;
    }
    QJsonArray lines;
    for (const Wheel::Line &line : wheel->lines)
        lines.append(numbersJson({line.begin(), line.end()}));
    const QJsonObject document{
        {QStringLiteral("numbers"), numbersJson(wheel->numbers)},
        {QStringLiteral("if"), wheel->condition.ifDrawn},
        {QStringLiteral("match"), wheel->condition.match},
        {QStringLiteral("guarantee"), Wheel::guaranteeText(wheel->condition)},
        {QStringLiteral("lines"), lines},
        {QStringLiteral("count"), int(wheel->lines.size())},
        {QStringLiteral("lowerBound"), qint64(wheel->lowerBound)},
        {QStringLiteral("bound"), wheel->bound == Wheel::Bound::Schoenheim ? QStringLiteral("schoenheim") : QStringLiteral("counting")},
        {QStringLiteral("verified"), wheel->verified},
        {QStringLiteral("cost"), qint64(wheel->cost())},
        {QStringLiteral("seconds"), wheel->seconds},
        {QStringLiteral("seed"), QString::number(wheel->seed)},
        {QStringLiteral("stop"), stopName(wheel->stop)},
        {QStringLiteral("parts"), wheel->parts},
    };
    out(QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
    return Success;
}

std::vector<ComboFilter::Filter> filtersOption(const Options &options)
{
    std::vector<ComboFilter::Filter> filters;
    for (const FilterOption &f : FilterOptions) {
        const QString name = optionName(f.option);
        // Only --groups may be given more than once (the command table refuses a
        // second of any other); every one given is a filter.
        for (const QString &given : options.values(name)) {
            ComboFilter::Filter filter;
            filter.measure = f.measure;
            QString range = given.normalized(QString::NormalizationForm_KC);
            if (f.measure == ComboFilter::Measure::Groups) {
                const qsizetype colon = range.indexOf(QLatin1Char(':'));
                const QString wrong = QStringLiteral("--groups は「分割数:下限-上限」で、分割数は 5、6、7、11 です（例 7:0-2）: %1").arg(given);
                if (colon < 0)
                    throw UsageError{wrong};
                filter.division = int(wholeNumber(name, range.left(colon), 0, 99));
                if (!ComboFilter::isDivision(filter.division))
                    throw UsageError{wrong};
                range = range.mid(colon + 1);
            }
            const auto [min, max] = wholeRange(name, range, 0, 999);
            filter.min = int(min);
            filter.max = int(max);
            filters.push_back(filter);
        }
    }
    return filters;
}

void putJson(ExportOutput &output, const QJsonArray &array)
{
    const QByteArray bytes = QJsonDocument(array).toJson(QJsonDocument::Compact);
    output.put(std::string_view(bytes.constData(), size_t(bytes.size())));
}

void putLineJson(ExportOutput &output, const ComboFilter::Line &line)
{
    output.put('[');
    for (size_t i = 0; i < line.size(); ++i) {
        if (i > 0)
            output.put(',');
        output.putNumber(line[i]);
    }
    output.put(']');
}

int runCombos(const Options &options)
{
    const QString format = options.value(QStringLiteral("--format"));
    const bool countOnly = options.has(QStringLiteral("--count-only"));
    if (countOnly && format == QLatin1String("csv"))
        throw UsageError{QStringLiteral("--count-only は --format json で使います。")};
    ComboFilter::Request request;
    if (options.has(QStringLiteral("--numbers")))
        request.numbers = candidatesOption(options, QStringLiteral("--numbers"));
    request.filters = filtersOption(options);
    const long long limit = options.whole(QStringLiteral("--limit"), ComboFilter::AllLines, 0, ComboFilter::AllLines);
    const DrawHistoryStore store = loadStore(options);
    const std::vector<ComboFilter::Line> history = ComboFilter::pastDraws(store);
    if (const std::optional<QString> wrong = ComboFilter::problem(request, history))
        throw UsageError{*wrong};

    ExportOutput output(stdout);
    long long written = 0;
    const bool csv = format == QLatin1String("csv");
    std::function<void(const ComboFilter::Line &)> sink;
    if (csv) {
        const int drawNo = options.has(QStringLiteral("--draw")) ? ticketDraw(options) : nextDraw(store);
        output.put(TicketCsv::write({}));
        const QString tail = QStringLiteral(",1,,") + QStringLiteral("絞り込み") + QLatin1Char('\n');
        sink = [&, drawNo, tail](const ComboFilter::Line &line) {
            if (written++ >= limit)
                return;
            output.putNumber(drawNo);
            for (int n : line) {
                output.put(',');
                output.putNumber(n);
            }
            output.put(tail);
        };
    } else {
        output.put("{");
        if (!request.numbers.empty()) {
            output.put("\"numbers\":");
            putJson(output, numbersJson(request.numbers));
            output.put(",");
        }
        if (!countOnly) {
            output.put("\"lines\":[");
            sink = [&](const ComboFilter::Line &line) {
                if (written >= limit)
                    return;
                if (written++ > 0)
                    output.put(',');
                putLineJson(output, line);
            };
        }
    }
    const ComboFilter::Result result = ComboFilter::run(request, history, sink);
    if (csv)
        return Success;
    if (!countOnly)
        output.put("],");
    QJsonArray filters;
    for (const ComboFilter::FilterStat &stat : result.filters) {
        QString option;
        for (const FilterOption &f : FilterOptions) {
            if (f.measure == stat.filter.measure)
                option = optionName(f.option).mid(2);
        }
        QJsonObject object{{QStringLiteral("name"), ComboFilter::filterText(stat.filter)},
                           {QStringLiteral("option"), option},
                           {QStringLiteral("min"), stat.filter.min},
                           {QStringLiteral("max"), stat.filter.max},
                           {QStringLiteral("pastDraws"), stat.pastDraws},
                           {QStringLiteral("pastPassed"), stat.pastPassed},
                           {QStringLiteral("fairLines"), qint64(stat.fairLines)},
                           {QStringLiteral("chance"), stat.chance()}};
        if (stat.filter.measure == ComboFilter::Measure::Groups)
            object.insert(QStringLiteral("division"), stat.filter.division);
        filters.append(object);
    }
    output.put("\"count\":");
    output.putNumber(result.count);
    output.put(",\"considered\":");
    output.putNumber(result.considered);
    output.put(",\"filters\":");
    putJson(output, filters);
    output.put("}\n");
    return Success;
}

int runAddWheelTickets(const Options &options, const QString &ledgerPath)
{
    const WheelRequest request = wheelRequest(options, QStringLiteral("--wheel"));
    const int drawNo = ticketDraw(options);
    const int count = int(options.whole(QStringLiteral("--count"), 1, 1, TicketRules::HighestCount));
    const QString date = options.value(QStringLiteral("--date"), QDate::currentDate().toString(Qt::ISODate));
    if (!TicketRules::isValidDate(date))
        throw UsageError{QStringLiteral("購入日は 2026-08-20 の形の日付です: %1").arg(date)};
    const std::optional<Wheel> wheel = verifiedWheel(request);
    if (!wheel)
        return Failure;
    const QString memo = options.value(QStringLiteral("--memo"), Wheel::memoText(wheel->condition));
    const std::vector<Ticket> added = TicketLedger::open(ledgerPath).addAll(ticketsFor(wheel->lines, drawNo, count, date, memo));
    const QJsonObject document{{QStringLiteral("added"), int(added.size())},
                               {QStringLiteral("draw"), drawNo},
                               {QStringLiteral("count"), count},
                               {QStringLiteral("cost"), qint64(wheel->cost()) * count},
                               {QStringLiteral("guarantee"), Wheel::guaranteeText(wheel->condition)},
                               {QStringLiteral("lowerBound"), qint64(wheel->lowerBound)},
                               {QStringLiteral("verified"), wheel->verified},
                               {QStringLiteral("ledger"), ledgerPath}};
    out(QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
    return Success;
}

} // namespace

int wheel(const Options &options)
{
    return runWheel(options);
}

int combos(const Options &options)
{
    return runCombos(options);
}

int addWheelTickets(const Options &options, const QString &ledgerPath)
{
    return runAddWheelTickets(options, ledgerPath);
}

} // namespace Cli
