#include "maintenance/ticketsummary.h"

#include "ui/numbertext.h"

#include <algorithm>

std::optional<qint64> PrizeBook::amount(int drawNo, Tier tier) const
{
    const int number = tierNumber(tier);
    if (number == 0)
        return 0;
    if (number == 5)
        return FifthPrize;
    const auto it = m_amounts.find(drawNo);
    return it == m_amounts.end() ? std::nullopt : it->second[size_t(number - 1)];
}

void PrizeBook::set(int drawNo, int tier, std::optional<qint64> amount)
{
    if (tier < 1 || tier > 4)
        return;
    std::array<std::optional<qint64>, 4> &amounts = m_amounts[drawNo];
    amounts[size_t(tier - 1)] = amount;
    if (std::none_of(amounts.begin(), amounts.end(), [](const auto &a) { return a.has_value(); }))
        m_amounts.erase(drawNo);
}

std::array<std::optional<qint64>, 4> PrizeBook::recorded(int drawNo) const
{
    const auto it = m_amounts.find(drawNo);
    return it == m_amounts.end() ? std::array<std::optional<qint64>, 4>{} : it->second;
}

std::optional<double> SpendingRow::returnRate() const
{
    if (checkedSpent == 0)
        return std::nullopt;
    return 100.0 * double(won) / double(checkedSpent);
}

double SpendingRow::expected() const
{
    return double(expectedNumerator) / double(TierOdds::Combinations);
}

std::optional<double> SpendingRow::expectedRate() const
{
    if (checkedSpent == 0)
        return std::nullopt;
    return 100.0 * expected() / double(checkedSpent);
}

namespace {

void add(SpendingRow &row, const Ticket &ticket, const DrawResults &results, const PrizeBook &prizes)
{
    const qint64 lines = ticket.count;
    row.lines += lines;
    row.spent += lines * TicketRules::PricePerLine;
    const TicketCheck check = checkTicket(ticket, results);
    if (check.tier == Tier::Pending) {
        row.pendingLines += lines;
        return;
    }
    row.checkedLines += lines;
    row.checkedSpent += lines * TicketRules::PricePerLine;
    if (const int tier = tierNumber(check.tier)) {
        row.wins[size_t(tier - 1)] += lines;
        if (const std::optional<qint64> amount = prizes.amount(ticket.drawNo, check.tier))
            row.won += YenSum(*amount) * lines;
        else
            row.unknownLines += lines;
    }
    for (int tier = 1; tier <= 5; ++tier) {
        const std::optional<qint64> amount = prizes.amount(ticket.drawNo, static_cast<Tier>(tier));
        if (amount)
            row.expectedNumerator += YenSum(TierOdds::Ways[size_t(tier - 1)]) * *amount * lines;
        else
            row.expectedPartial = true;
    }
}

SpendingRow &rowFor(std::vector<SpendingRow> &rows, const QString &period)
{
    auto it = std::lower_bound(rows.begin(), rows.end(), period,
                               [](const SpendingRow &row, const QString &p) { return row.period < p; });
    if (it == rows.end() || it->period != period) {
        SpendingRow row;
        row.period = period;
        it = rows.insert(it, row);
    }
    return *it;
}

} // namespace

SpendingSummary summarize(const std::vector<Ticket> &tickets, const DrawResults &results, const PrizeBook &prizes)
{
    SpendingSummary summary;
    summary.overall.period = QStringLiteral("合計");
    for (const Ticket &ticket : tickets) {
        add(rowFor(summary.months, ticket.purchaseDate.left(7)), ticket, results, prizes);
        add(rowFor(summary.years, ticket.purchaseDate.left(4)), ticket, results, prizes);
        add(summary.overall, ticket, results, prizes);
    }
    return summary;
}

QString formatYen(YenSum yen)
{
    return groupedDigits(yen) + QStringLiteral("円");
}

QString wonText(const SpendingRow &row)
{
    QString text = formatYen(row.won);
    if (row.unknownLines > 0)
        text += QStringLiteral("＋不明%1口").arg(groupedDigits(row.unknownLines));
    return text;
}

QString rateText(std::optional<double> rate, bool complete)
{
    if (!rate)
        return QStringLiteral("—");
    if (complete)
        return groupedDecimal(*rate, 1) + QLatin1Char('%');
    if (*rate == 0.0)
        return QStringLiteral("不明");
    return groupedDecimal(*rate, 1) + QStringLiteral("% 以上");
}

QString returnRateText(const SpendingRow &row)
{
    return rateText(row.returnRate(), row.returnRateComplete());
}

QString expectedRateText(const SpendingRow &row)
{
    return rateText(row.expectedRate(), !row.expectedPartial);
}
