#include "maintenance/ticket.h"

#include "maintenance/drawdate.h"
#include "maintenance/numbercheck.h"

#include <QDate>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace TicketRules {

std::optional<int> parseWhole(const QString &text, int min, int max)
{
    const QString plain = text.normalized(QString::NormalizationForm_KC).trimmed();
    bool ok = false;
    const int value = plain.toInt(&ok);
    if (!ok || value < min || value > max)
        return std::nullopt;
    return value;
}

bool isValidDate(const QString &text)
{
    return text.size() == 10 && QDate::fromString(text, Qt::ISODate).isValid();
}

std::optional<QString> normalizedDate(const QString &text)
{
    // The spellings the draw import reads; a date needs its year here.
    const DrawImport::ParsedDate date = DrawImport::parseDate(text);
    if (!date.ok || !date.date.isValid())
        return std::nullopt;
    return date.date.toString(Qt::ISODate);
}

std::optional<QString> problem(const Ticket &ticket)
{
    if (ticket.drawNo < 1 || ticket.drawNo > HighestDrawNo)
        return QStringLiteral("回は 1 から %1 までの整数です: %2").arg(HighestDrawNo).arg(ticket.drawNo);
    for (size_t i = 0; i < ticket.numbers.size(); ++i) {
        const int n = ticket.numbers[i];
        if (n < NumberCheck::Lowest || n > NumberCheck::Highest)
            return QStringLiteral("数字は 1 から 43 までの整数です: %1").arg(n);
        for (size_t j = 0; j < i; ++j) {
            if (ticket.numbers[j] == n)
                return QStringLiteral("同じ数字が二度あります: %1（6個とも異なる数字にしてください）").arg(n);
        }
    }
    if (ticket.count < 1 || ticket.count > HighestCount)
        return QStringLiteral("口数は 1 から %1 までの整数です: %2").arg(HighestCount).arg(ticket.count);
    if (!isValidDate(ticket.purchaseDate))
        return QStringLiteral("購入日は 2026-08-20 の形の日付です: %1").arg(ticket.purchaseDate);
    return std::nullopt;
}

std::optional<QStringList> numberWords(const QString &text, QString *problem)
{
    static const QRegularExpression separator(QStringLiteral("\\s*[,、]\\s*|\\s+"));
    const QString plain = text.normalized(QString::NormalizationForm_KC).trimmed();
    if (plain.isEmpty())
        return QStringList();
    const QStringList words = plain.split(separator);
    if (words.contains(QString())) {
        *problem = QStringLiteral("カンマの前後に数字がありません: %1").arg(text);
        return std::nullopt;
    }
    return words;
}

std::optional<std::array<int, 6>> parseNumbers(const QString &text, QString *problem)
{
    const std::optional<QStringList> words = numberWords(text, problem);
    if (!words)
        return std::nullopt;
    const QStringList &parts = *words;
    if (parts.size() != 6) {
        *problem = QStringLiteral("数字は6個です（%1個あります）: %2").arg(parts.size()).arg(text);
        return std::nullopt;
    }
    Ticket ticket;
    ticket.drawNo = 1;
    ticket.purchaseDate = QStringLiteral("2000-01-01");
    for (int i = 0; i < 6; ++i) {
        const std::optional<Field> value = NumberCheck::valueOf(parts[i]);
        if (!value || !value->isInteger()) {
            *problem = QStringLiteral("数字は 1 から 43 までの整数です: %1").arg(parts[i]);
            return std::nullopt;
        }
        ticket.numbers[size_t(i)] = int(value->integer());
    }
    if (const std::optional<QString> wrong = TicketRules::problem(ticket)) {
        *problem = *wrong;
        return std::nullopt;
    }
    return ticket.numbers;
}

QString numbersText(const std::array<int, 6> &numbers, const QString &separator)
{
    QStringList parts;
    for (int n : numbers)
        parts << QString::number(n);
    return parts.join(separator);
}

std::vector<Ticket> ticketsOf(const std::vector<std::array<int, 6>> &lines, const Ticket &pattern)
{
    std::vector<Ticket> tickets(lines.size(), pattern);
    for (size_t i = 0; i < lines.size(); ++i)
        tickets[i].numbers = lines[i];
    return tickets;
}

std::array<int, 6> quickPick(QRandomGenerator &random)
{
    std::array<int, 43> pool{};
    for (int i = 0; i < 43; ++i)
        pool[size_t(i)] = i + 1;
    // The first six places of a partial Fisher–Yates shuffle.
    for (int i = 0; i < 6; ++i) {
        const int j = i + int(random.bounded(43 - i));
        std::swap(pool[size_t(i)], pool[size_t(j)]);
    }
    std::array<int, 6> line{};
    std::copy(pool.begin(), pool.begin() + 6, line.begin());
    std::sort(line.begin(), line.end());
    return line;
}

} // namespace TicketRules

QString tierName(Tier tier)
{
    switch (tier) {
    case Tier::Pending:
        return QStringLiteral("未抽選");
    case Tier::None:
        return QStringLiteral("ハズレ");
    default:
        return QStringLiteral("%1等").arg(tierNumber(tier));
    }
}

int tierNumber(Tier tier)
{
    switch (tier) {
    case Tier::First:
        return 1;
    case Tier::Second:
        return 2;
    case Tier::Third:
        return 3;
    case Tier::Fourth:
        return 4;
    case Tier::Fifth:
        return 5;
    default:
        return 0;
    }
}

Tier tierFor(int mainMatches, bool bonusMatched)
{
    switch (mainMatches) {
    case 6:
        return Tier::First;
    case 5:
        return bonusMatched ? Tier::Second : Tier::Third;
    case 4:
        return Tier::Fourth;
    case 3:
        return Tier::Fifth;
    default:
        return Tier::None;
    }
}

namespace {

// A drawn number as a ticket can meet it: a whole number 1 … 43, 0 otherwise.
int drawnNumber(const Field &field)
{
    const std::optional<double> value = field.toNumber();
    if (!value || std::trunc(*value) != *value || *value < NumberCheck::Lowest || *value > NumberCheck::Highest)
        return 0;
    return int(*value);
}

} // namespace

DrawResults::DrawResults(const Recordset &records)
{
    for (const DrawRecord &record : records) {
        if (!record.isComplete())
            continue;
        const std::optional<double> drawNo = record.drawNo.toNumber();
        if (!drawNo || std::trunc(*drawNo) != *drawNo || *drawNo < 1 || *drawNo > TicketRules::HighestDrawNo)
            continue;
        Numbers numbers;
        bool usable = true;
        for (int p = 1; p <= 6; ++p) {
            numbers.main[size_t(p - 1)] = drawnNumber(record.number(p));
            usable = usable && numbers.main[size_t(p - 1)] != 0;
        }
        numbers.bonus = drawnNumber(record.bonus());
        if (usable && numbers.bonus != 0)
            m_draws[int(*drawNo)] = numbers;
    }
}

const DrawResults::Numbers *DrawResults::find(int drawNo) const
{
    const auto it = m_draws.find(drawNo);
    return it == m_draws.end() ? nullptr : &it->second;
}

TicketCheck checkTicket(const Ticket &ticket, const DrawResults &results)
{
    TicketCheck check;
    const DrawResults::Numbers *drawn = results.find(ticket.drawNo);
    if (!drawn)
        return check;
    for (size_t i = 0; i < ticket.numbers.size(); ++i) {
        const int n = ticket.numbers[i];
        check.matched[i] = std::find(drawn->main.begin(), drawn->main.end(), n) != drawn->main.end();
        check.mainMatches += check.matched[i] ? 1 : 0;
        check.bonusMatched = check.bonusMatched || n == drawn->bonus;
    }
    check.tier = tierFor(check.mainMatches, check.bonusMatched);
    return check;
}
