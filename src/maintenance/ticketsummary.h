#pragma once

#include "maintenance/ticket.h"
#include "ui/numbertext.h"

#include <QString>

#include <array>
#include <map>
#include <optional>
#include <vector>

// The prize of one line per tier and draw. 1等 … 4等 vary from draw to draw
// and are known only once the user records them; 5等 is always 1 000 円.
class PrizeBook
{
public:
    static constexpr qint64 FifthPrize = 1000;

    // The amount for one line of that tier in that draw: 0 for ハズレ and
    // 未抽選, nothing when the user has not recorded it.
    std::optional<qint64> amount(int drawNo, Tier tier) const;
    // tier 1 … 4; nothing forgets the amount.
    void set(int drawNo, int tier, std::optional<qint64> amount);
    // The recorded amounts of 1等 … 4等 of one draw.
    std::array<std::optional<qint64>, 4> recorded(int drawNo) const;
    const std::map<int, std::array<std::optional<qint64>, 4>> &all() const { return m_amounts; }

private:
    std::map<int, std::array<std::optional<qint64>, 4>> m_amounts;
};

// Ways out of C(43, 6) that a single line reaches tier 1 … 5 at random.
namespace TierOdds {
inline constexpr qint64 Combinations = 6096454;
inline constexpr std::array<qint64, 5> Ways{1, 6, 216, 9990, 155400};
} // namespace TierOdds

// Sums of yen over a ledger. One line wins at most TicketRules::HighestPrize
// and one ticket counts up to TicketRules::HighestCount lines, so a sum over
// many tickets (and the expectation's numerator, which also multiplies by a
// tier's ways) needs more than 64 bits; 128 bits cannot overflow for any
// ledger that fits on a disk.
using YenSum = WideInteger;

// One row of the spending summary. Tickets whose draw is not yet in the
// history count as bought and spent but take no part in 回収率: the rate and
// the expectation compare what the checked lines cost with what they won.
struct SpendingRow
{
    QString period; // "2026-08", "2026", or "合計"
    qint64 lines = 0;
    qint64 spent = 0;
    qint64 checkedLines = 0;
    qint64 checkedSpent = 0;
    YenSum won = 0;           // known amounts only
    qint64 unknownLines = 0;  // winning lines whose amount is not recorded
    qint64 pendingLines = 0;
    std::array<qint64, 5> wins{}; // lines won per tier 1 … 5
    // Expected return of the checked lines at random, exactly: the sum of
    // ways × amount over the tiers, over TierOdds::Combinations.
    YenSum expectedNumerator = 0;
    bool expectedPartial = false; // a tier amount of some checked draw is unknown

    // Percent of checkedSpent won, from the known amounts. With a won line
    // of unknown amount this is only a lower bound (returnRateComplete false).
    std::optional<double> returnRate() const;
    bool returnRateComplete() const { return unknownLines == 0; }
    double expected() const; // 円; a lower bound when expectedPartial
    std::optional<double> expectedRate() const;
};

struct SpendingSummary
{
    std::vector<SpendingRow> months; // by purchase month, ascending
    std::vector<SpendingRow> years;
    SpendingRow overall;
};

SpendingSummary summarize(const std::vector<Ticket> &tickets, const DrawResults &results, const PrizeBook &prizes);

// "12,345円"; with unknown amounts "12,345円＋不明2口".
QString formatYen(YenSum yen);
QString wonText(const SpendingRow &row);
// "37.5%" with one decimal; "—" when nothing is checked. A rate that is only
// a lower bound reads "37.5% 以上", or "不明" when it is nothing yet.
QString rateText(std::optional<double> rate, bool complete = true);
// 回収率 and 期待回収率 of a row as the summary shows them.
QString returnRateText(const SpendingRow &row);
QString expectedRateText(const SpendingRow &row);
