#include "maintenance/gui/ticketmodel.h"

#include "maintenance/numbercheck.h"
#include "store/runtimeerror.h"
#include "ui/gui/metrics.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include <algorithm>
#include <set>

namespace {
const QColor MatchBack(255, 255, 128);
const QColor BonusBack(197, 255, 255);
const QColor BonusText(255, 0, 0);
const QColor WinText(255, 0, 0);
const QColor DrawNoText(0, 0, 255);

// A failed write leaves the ledger as it was; the message says why.
template<typename Work> bool attempt(TicketTableModel *model, Work work)
{
    try {
        work();
        return true;
    } catch (const DatabaseError &error) {
        Q_EMIT model->writeFailed(error.message());
        return false;
    }
}
} // namespace

TicketTableModel::TicketTableModel(TicketLedger ledger, DrawResults results, QObject *parent)
    : QAbstractTableModel(parent)
    , m_ledger(std::move(ledger))
    , m_results(std::move(results))
{
    m_seenVersion = m_ledger.dataVersion();
    m_tickets = m_ledger.tickets();
    m_prizes = m_ledger.prizes();
}

int TicketTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_tickets.size());
}

int TicketTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TicketTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const Ticket &ticket = m_tickets[size_t(index.row())];
    const int column = index.column();
    const bool isNumber = column >= FirstNumberColumn && column < FirstNumberColumn + 6;
    const size_t position = size_t(column - FirstNumberColumn);
    const TicketCheck check = checkTicket(ticket, m_results);
    const bool checked = check.tier != Tier::Pending;

    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (isNumber)
            return ticket.numbers[position];
        switch (column) {
        case DrawColumn:
            return ticket.drawNo;
        case CountColumn:
            return ticket.count;
        case DateColumn:
            return ticket.purchaseDate;
        case MemoColumn:
            return ticket.memo;
        case MatchColumn:
            return checked ? QVariant(check.mainMatches) : QVariant();
        case BonusColumn:
            return checked && check.bonusMatched ? QStringLiteral("○") : QString();
        case TierColumn:
            return tierName(check.tier);
        case PrizeColumn: {
            if (!checked || check.tier == Tier::None)
                return QString();
            const std::optional<qint64> amount = m_prizes.amount(ticket.drawNo, check.tier);
            return amount ? formatYen(YenSum(*amount) * ticket.count) : QStringLiteral("不明");
        }
        default:
            return {};
        }
    case Qt::TextAlignmentRole:
        if (column == MemoColumn)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        if (column == PrizeColumn)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    case Qt::BackgroundRole:
        // A number that is one of the drawn main numbers, or the bonus.
        if (isNumber && checked && check.matched[position])
            return QBrush(MatchBack);
        if (isNumber && checked) {
            const DrawResults::Numbers *drawn = m_results.find(ticket.drawNo);
            if (drawn && drawn->bonus == ticket.numbers[position])
                return QBrush(BonusBack);
        }
        return {};
    case Qt::ForegroundRole:
        if (column == DrawColumn)
            return QBrush(DrawNoText);
        if (isNumber && checked) {
            const DrawResults::Numbers *drawn = m_results.find(ticket.drawNo);
            if (drawn && drawn->bonus == ticket.numbers[position])
                return QBrush(BonusText);
        }
        if ((column == TierColumn || column == PrizeColumn) && tierNumber(check.tier) != 0)
            return QBrush(WinText);
        return {};
    case Qt::FontRole:
        if ((isNumber && checked && check.matched[position]) || (column == TierColumn && tierNumber(check.tier) != 0)) {
            QFont font = Metrics::gridFont();
            font.setBold(true);
            return font;
        }
        return {};
    default:
        return {};
    }
}

QVariant TicketTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    static const QStringList names{QStringLiteral("回"),     QStringLiteral("数字1"),  QStringLiteral("数字2"),
                                   QStringLiteral("数字3"),  QStringLiteral("数字4"),  QStringLiteral("数字5"),
                                   QStringLiteral("数字6"),  QStringLiteral("口数"),   QStringLiteral("購入日"),
                                   QStringLiteral("メモ"),   QStringLiteral("一致"),   QStringLiteral("ボーナス"),
                                   QStringLiteral("等級"),   QStringLiteral("当選金")};
    return names.value(section);
}

Qt::ItemFlags TicketTableModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() <= MemoColumn)
        flags |= Qt::ItemIsEditable;
    return flags;
}

std::optional<Ticket> TicketTableModel::edited(const Ticket &ticket, int column, const QString &text, QString *problem) const
{
    Ticket changed = ticket;
    if (column >= FirstNumberColumn && column < FirstNumberColumn + 6) {
        const std::optional<Field> value = NumberCheck::valueOf(text.trimmed());
        if (!value || !value->isInteger()) {
            *problem = QStringLiteral("数字は 1 から 43 までの整数です: %1").arg(text);
            return std::nullopt;
        }
        changed.numbers[size_t(column - FirstNumberColumn)] = int(value->integer());
    } else if (column == DrawColumn || column == CountColumn) {
        const int highest = column == DrawColumn ? TicketRules::HighestDrawNo : TicketRules::HighestCount;
        const std::optional<int> value = TicketRules::parseWhole(text, 1, highest);
        if (!value) {
            *problem = QStringLiteral("%1は 1 から %2 までの整数です: %3")
                           .arg(column == DrawColumn ? QStringLiteral("回") : QStringLiteral("口数"))
                           .arg(highest)
                           .arg(text);
            return std::nullopt;
        }
        (column == DrawColumn ? changed.drawNo : changed.count) = *value;
    } else if (column == DateColumn) {
        changed.purchaseDate = TicketRules::normalizedDate(text).value_or(text.trimmed());
    } else if (column == MemoColumn) {
        changed.memo = text;
    } else {
        return std::nullopt;
    }
    if (const std::optional<QString> wrong = TicketRules::problem(changed)) {
        *problem = *wrong;
        return std::nullopt;
    }
    return changed;
}

bool TicketTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    Ticket &ticket = m_tickets[size_t(index.row())];
    QString problem;
    const std::optional<Ticket> changed = edited(ticket, index.column(), value.toString(), &problem);
    if (!changed) {
        Q_EMIT writeFailed(problem);
        return false;
    }
    if (!attempt(this, [&] { m_ledger.update(*changed); })) {
        reload();
        return false;
    }
    ticket = *changed;
    Q_EMIT dataChanged(this->index(index.row(), 0), this->index(index.row(), ColumnCount - 1));
    Q_EMIT ledgerChanged();
    return true;
}

bool TicketTableModel::addTickets(const std::vector<Ticket> &tickets)
{
    if (tickets.empty())
        return true;
    std::vector<Ticket> added;
    if (!attempt(this, [&] { added = m_ledger.addAll(tickets); }))
        return false;
    const int first = int(m_tickets.size());
    beginInsertRows({}, first, first + int(added.size()) - 1);
    m_tickets.insert(m_tickets.end(), added.begin(), added.end());
    endInsertRows();
    Q_EMIT ledgerChanged();
    return true;
}

bool TicketTableModel::removeTickets(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // From the bottom up, so the rows above keep their numbers.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        const int row = *it;
        if (row < 0 || row >= rowCount())
            continue;
        if (!attempt(this, [&] { m_ledger.remove(m_tickets[size_t(row)].id); })) {
            Q_EMIT ledgerChanged();
            return false;
        }
        beginRemoveRows({}, row, row);
        m_tickets.erase(m_tickets.begin() + row);
        endRemoveRows();
    }
    Q_EMIT ledgerChanged();
    return true;
}

bool TicketTableModel::duplicate(int row)
{
    if (row < 0 || row >= rowCount())
        return false;
    Ticket copy = m_tickets[size_t(row)];
    copy.id = 0;
    return addTickets({copy});
}

bool TicketTableModel::setPrize(int drawNo, int tier, std::optional<qint64> amount)
{
    if (!attempt(this, [&] { m_ledger.setPrize(drawNo, tier, amount); }))
        return false;
    m_prizes.set(drawNo, tier, amount);
    if (!m_tickets.empty())
        Q_EMIT dataChanged(index(0, PrizeColumn), index(rowCount() - 1, PrizeColumn));
    Q_EMIT ledgerChanged();
    return true;
}

void TicketTableModel::setResults(DrawResults results)
{
    // The prize amounts too: an import records those of the draws it brings.
    QString problem;
    beginResetModel();
    m_results = std::move(results);
    try {
        m_prizes = m_ledger.prizes();
    } catch (const DatabaseError &error) {
        problem = error.message();
    }
    endResetModel();
    if (!problem.isEmpty())
        Q_EMIT writeFailed(problem);
    Q_EMIT ledgerChanged();
}

void TicketTableModel::reload()
{
    // What the ledger holds, after a write that did not go through or one
    // made elsewhere.
    try {
        beginResetModel();
        m_seenVersion = m_ledger.dataVersion();
        m_tickets = m_ledger.tickets();
        m_prizes = m_ledger.prizes();
        endResetModel();
        Q_EMIT ledgerChanged();
    } catch (const DatabaseError &error) {
        endResetModel();
        Q_EMIT writeFailed(error.message());
    }
}

bool TicketTableModel::reloadIfChangedElsewhere()
{
    try {
        if (m_ledger.dataVersion() == m_seenVersion)
            return false;
    } catch (const DatabaseError &error) {
        Q_EMIT writeFailed(error.message());
        return false;
    }
    reload();
    return true;
}

PrizeTableModel::PrizeTableModel(TicketTableModel *tickets, QObject *parent)
    : QAbstractTableModel(parent)
    , m_tickets(tickets)
{
    connect(m_tickets, &TicketTableModel::ledgerChanged, this, &PrizeTableModel::refresh);
    refresh();
}

void PrizeTableModel::refresh()
{
    std::set<int, std::greater<>> draws;
    for (const Ticket &ticket : m_tickets->tickets())
        draws.insert(ticket.drawNo);
    std::vector<int> list(draws.begin(), draws.end());
    if (list == m_draws) {
        if (!m_draws.empty())
            Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
        return;
    }
    beginResetModel();
    m_draws = std::move(list);
    endResetModel();
}

int PrizeTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_draws.size());
}

int PrizeTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 5; // 回, 1等 … 4等 (5等 is fixed)
}

QVariant PrizeTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int drawNo = m_draws[size_t(index.row())];
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment((index.column() == 0 ? Qt::AlignHCenter : Qt::AlignRight) | Qt::AlignVCenter));
    if (role == Qt::ForegroundRole && index.column() == 0)
        return QBrush(DrawNoText);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    if (index.column() == 0)
        return drawNo;
    const std::optional<qint64> amount = m_tickets->prizes().amount(drawNo, static_cast<Tier>(index.column()));
    if (role == Qt::EditRole)
        return amount ? QString::number(*amount) : QString();
    return amount ? formatYen(*amount) : QString();
}

QVariant PrizeTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation == Qt::Vertical)
        return {};
    return section == 0 ? QStringLiteral("回") : QStringLiteral("%1等").arg(section);
}

Qt::ItemFlags PrizeTableModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() >= 1 && index.column() <= 4)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool PrizeTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.column() < 1 || index.column() > 4)
        return false;
    QString text = value.toString().normalized(QString::NormalizationForm_KC).trimmed();
    text.remove(QLatin1Char(',')).remove(QStringLiteral("円"));
    std::optional<qint64> amount;
    if (!text.isEmpty()) {
        bool ok = false;
        const qint64 yen = text.toLongLong(&ok);
        if (!ok || yen < 0) {
            Q_EMIT m_tickets->writeFailed(QStringLiteral("当選金額は 0 以上の整数（円）です。空欄は「不明」です: %1").arg(value.toString()));
            return false;
        }
        amount = yen;
    }
    return m_tickets->setPrize(m_draws[size_t(index.row())], index.column(), amount);
}
