#pragma once

#include "store/drawrecord.h"

#include <QString>

class QRandomGenerator;

#include <array>
#include <map>
#include <optional>
#include <vector>

// One line of the user's own Loto 6 tickets: the draw it is for, six distinct
// numbers, how many times it was bought (口数), when and a memo.
struct Ticket
{
    qint64 id = 0; // the ledger's row id; 0 before the ticket is stored
    int drawNo = 0;
    std::array<int, 6> numbers{};
    int count = 1;
    QString purchaseDate; // yyyy-MM-dd
    QString memo;
};

namespace TicketRules {

inline constexpr int PricePerLine = 200; // 円
// A ticket for a draw the windows cannot show could never be checked.
inline constexpr int HighestDrawNo = DrawRecord::MaxDrawNumber;
inline constexpr int HighestCount = 100'000;
// The largest prize of one line the ledger records: above any Loto 6 prize,
// carry-over included.
inline constexpr qint64 HighestPrize = 1'000'000'000;

// Why the ticket cannot be recorded, in words for the user; nothing when it can.
std::optional<QString> problem(const Ticket &ticket);

// The words of a list of numbers such as "1,2,3" or "１ ２ ３" (one comma,
// full-width comma or 、, or blanks, between two numbers), full-width digits
// made plain. A comma with no number on one side ("1,,2", "1,2,") is a
// number left out: nothing, and *problem says so.
std::optional<QStringList> numberWords(const QString &text, QString *problem);
// Six numbers from text such as "1,2,3,4,5,6" or "１ ２ ３ ４ ５ ６" (commas,
// full-width commas, 、 or blanks between them). Checks the count, the range
// 1 … 43 and repeats; *problem says what is wrong otherwise.
std::optional<std::array<int, 6>> parseNumbers(const QString &text, QString *problem);
QString numbersText(const std::array<int, 6> &numbers, const QString &separator = QStringLiteral(","));
// The lines as tickets alike in all but their numbers: draw, count, date and
// memo come from pattern.
std::vector<Ticket> ticketsOf(const std::vector<std::array<int, 6>> &lines, const Ticket &pattern);

// A whole number from min to max typed by the user (full-width digits too).
std::optional<int> parseWhole(const QString &text, int min, int max);
bool isValidDate(const QString &text);
// A purchase date as people write it (2026-1-1, 2026/01/01, 2026年1月1日 …)
// in the one form the ledger stores, 2026-01-01; nothing for text that is
// no date.
std::optional<QString> normalizedDate(const QString &text);

// Six distinct random numbers 1 … 43, ascending.
std::array<int, 6> quickPick(QRandomGenerator &random);

} // namespace TicketRules

// The tiers of a ticket line. Pending: the draw is not (completely) in the
// history yet, so the line cannot be checked.
enum class Tier { Pending, First, Second, Third, Fourth, Fifth, None };

// "1等" … "5等", "ハズレ", "未抽選".
QString tierName(Tier tier);
// 1 … 5 for the prize tiers, 0 otherwise.
int tierNumber(Tier tier);
// 1等 six main numbers; 2等 five and the bonus; 3等 five; 4等 four; 5等
// three; ハズレ fewer.
Tier tierFor(int mainMatches, bool bonusMatched);

// The drawn numbers of the complete draws of a history, by draw number. A
// record with an empty field, or a value that is not a whole number 1 … 43,
// is not a result a ticket can be checked against.
class DrawResults
{
public:
    struct Numbers
    {
        std::array<int, 6> main{};
        int bonus = 0;
    };

    DrawResults() = default;
    explicit DrawResults(const Recordset &records);

    const Numbers *find(int drawNo) const;
    // Every complete draw, by draw number.
    const std::map<int, Numbers> &all() const { return m_draws; }
    // The last complete draw; 0 for an empty history.
    int lastDrawNo() const { return m_draws.empty() ? 0 : m_draws.rbegin()->first; }

private:
    std::map<int, Numbers> m_draws;
};

struct TicketCheck
{
    Tier tier = Tier::Pending;
    std::array<bool, 6> matched{}; // by the ticket's number positions
    bool bonusMatched = false;
    int mainMatches = 0;
};

// The ticket against the result of its draw (see tierFor); Pending before it.
TicketCheck checkTicket(const Ticket &ticket, const DrawResults &results);
