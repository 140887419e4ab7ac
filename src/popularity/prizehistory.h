#pragma once

#include "game/gamerules.h"

#include <QDate>

#include <cstdint>
#include <optional>
#include <vector>

// A line or a draw's main numbers as a set: bit n for number n (1 … 63).
using LineMask = std::uint64_t;
LineMask maskOf(const std::vector<int> &numbers);

// The median of the values (the mean of the middle two for an even count);
// 0 for none.
double medianOf(std::vector<double> values);

// What one tier of one draw paid: how many lines won it (口数) and what each
// of them received (当せん金, 円; 0 when nobody won).
struct TierOutcome
{
    std::int64_t winners = 0;
    std::int64_t prize = 0;

    // The tier's pool as it was shared out; 0 when nobody won (the pool then
    // went elsewhere and its size is not shown).
    std::int64_t paid() const { return winners * prize; }
};

// One draw with its prizes: what the prize files hold per draw, and what the
// store will hand over once it keeps the prizes of every game.
struct PrizeDraw
{
    int drawNo = 0;
    QDate date;
    std::vector<int> main;  // the k main numbers, ascending
    std::vector<int> bonus; // the b bonus numbers, as drawn
    std::vector<TierOutcome> tiers; // 1等 first, one per tier of the game
    // キャリーオーバー left for the next draw; nothing where it is not known.
    std::optional<std::int64_t> carryOver;

    LineMask mainMask() const { return maskOf(main); }
};

struct PrizeHistory
{
    Game game = Game::Loto6;
    // Whether the game carries an unwon 1等 pool over to the next draw; where
    // it does not (ミニロト) every draw paid out its whole prize fund.
    bool carriesOver = true;
    std::vector<PrizeDraw> draws; // 回数 ascending

    const GameRules &rules() const { return rulesOf(game); }
};

// The prize fund of a draw: what it paid to every tier plus what it added
// to the carry-over (paid + carry-over after − carry-over before). It is a
// fixed share of the draw's sales whichever numbers came up, so it is the
// honest measure of how much was played. The game's first draw (回数 1) had
// nothing carried into it.
struct DrawFund
{
    enum class State {
        Known,
        NotKnown,     // a carry-over it needs is not known
        DoesNotAgree, // see drawFunds
    };
    State state = State::NotKnown;
    double fund = 0; // 円, when Known

    bool known() const { return state == State::Known; }
};

// The fund of every draw of the history, in its order. A fund that differs
// by more than half from what the reference tier's pool says it should be
// (the median ratio of the nearest 100 draws) DoesNotAgree: that draw paid
// out of something other than its own fund, and its winners cannot be put
// per unit of sales.
std::vector<DrawFund> drawFunds(const PrizeHistory &history);

// The tier whose pool checks the accounts: the pari-mutuel tier won by the
// most lines (ロト6 4等, ロト7 6等, ミニロト 4等).
int referenceTier(const GameRules &rules);
