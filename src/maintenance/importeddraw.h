#pragma once

#include <QDate>
#include <QString>

#include <array>
#include <optional>

// A draw as the import read it from outside, before it meets the database
// (drawimportreader.h reads it, drawimportplan.h decides what becomes of it).
namespace DrawImport {

// One tier of a draw's prize table as the source gives it.
struct TierPrize
{
    std::optional<qint64> winners; // 口数
    std::optional<qint64> amount;  // 円 for one line
    bool noWinner = false;         // 該当なし

    bool given() const { return winners || amount || noWinner; }
    // What one line of this tier won: the amount; 0 when nobody won; nothing
    // when the source does not say.
    std::optional<qint64> perLine() const;
};

// One draw as read, already checked: 回 from 1 to DrawRecord::MaxDrawNumber,
// six distinct main numbers and a bonus not among them, all in 1 … 43, a date
// that exists (or none).
struct ImportedDraw
{
    int line = 0; // where the draw starts in the source, from 1
    int drawNo = 0;
    QDate date; // null when the source gives none, or no year for it is known
    // A date given without its year ("9月7日", "9/7") whose year is not
    // known yet: it comes from the draws around it (resolveYears).
    int month = 0;
    int day = 0;
    std::array<int, 7> numbers{}; // the six main numbers ascending, then the bonus
    bool reordered = false;       // the source gave the main numbers in another order
    std::array<TierPrize, 5> prizes; // 1等 … 5等

    bool yearUnknown() const { return !date.isValid() && month > 0; }
    bool hasPrizes() const;
};

// A row or block that cannot be taken, with the reason in Japanese.
struct RowError
{
    int line = 0;
    int drawNo = 0; // 0 when the 回 itself could not be read
    QString reason;
};

} // namespace DrawImport
