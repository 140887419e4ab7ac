// The reduced-wheel strategy of the walk-forward test: the exact variance of
// winning lines against every possible draw, each draw's tiers against
// checking the wheel's lines as tickets, the promise kept whenever it
// applied, and the seven methods left exactly as they were.
#include "prediction/backtestwheel.h"
#include "prediction/backtestexport.h"
#include "prediction/backtestsheets.h"
#include "maintenance/ticket.h"
#include "support/history.h"
#include "ui/numbertext.h"

#include <gtest/gtest.h>

using namespace Backtest;

TEST(BacktestWheel, VarianceOfWinningLinesOverEveryDraw)
{
    // Lines sharing 0 … 5 numbers with the first, and a line twice.
    const std::vector<Wheel::Line> lines{{1, 2, 3, 4, 5, 6},       {1, 2, 3, 4, 5, 7},    {1, 2, 3, 8, 9, 10},
                                         {4, 5, 6, 11, 12, 13},   {6, 14, 15, 16, 17, 18}, {20, 21, 22, 23, 24, 25},
                                         {20, 21, 22, 23, 24, 25}};
    std::vector<std::uint64_t> masks;
    for (const Wheel::Line &line : lines) {
        std::uint64_t m = 0;
        for (int n : line)
            m |= std::uint64_t(1) << n;
        masks.push_back(m);
    }
    // All C(43, 6) draws, one by one.
    double sum = 0;
    double squares = 0;
    std::array<int, 6> d{1, 2, 3, 4, 5, 6};
    long long draws = 0;
    while (true) {
        std::uint64_t drawn = 0;
        for (int n : d)
            drawn |= std::uint64_t(1) << n;
        int winners = 0;
        for (std::uint64_t m : masks)
            winners += __builtin_popcountll(m & drawn) >= 3 ? 1 : 0;
        sum += winners;
        squares += double(winners) * winners;
        ++draws;
        int i = 5;
        while (i >= 0 && d[size_t(i)] == 43 - 5 + i)
            --i;
        if (i < 0)
            break;
        ++d[size_t(i)];
        for (int j = i + 1; j < 6; ++j)
            d[size_t(j)] = d[size_t(j - 1)] + 1;
    }
    ASSERT_EQ(draws, AllTickets);
    const double mean = sum / double(draws);
    EXPECT_NEAR(prizeLineVariance(lines), squares / double(draws) - mean * mean, 1e-12);
    EXPECT_NEAR(mean, 7.0 * 165613 / 6096454, 1e-12);
}

TEST(BacktestWheel, EachDrawsTiersAreItsWheelLinesChecked)
{
    const DrawHistoryStore store = TestHistory::store(TestHistory::fair(400, 31));
    Result result = *run(store, {101, 400}, {});
    const Result before = result;
    WheelBook book;
    addWheelStrategy(result, book);
    ASSERT_TRUE(result.wheel);
    const LinesSummary &w = *result.wheel;

    Tiers tiers{};
    long long tickets = 0;
    int tested = 0;
    for (const DrawResult &d : result.draws) {
        const std::vector<int> &candidates = d.sets[Elimination].numbers;
        if (candidates.size() < 6) {
            EXPECT_EQ(d.wheel.lines, 0);
            continue;
        }
        const Wheel &base = book.at(int(candidates.size()));
        EXPECT_TRUE(base.verified);
        const Wheel moved = base.movedTo(candidates);
        // The promise carries over to the draw's own candidates.
        EXPECT_FALSE(Wheel::firstUnmatched(candidates, StrategyCondition, moved.lines));
        DrawResults results(Recordset({TestHistory::draw(d.draw, {Field(d.winning[0]), Field(d.winning[1]), Field(d.winning[2]),
                                                                  Field(d.winning[3]), Field(d.winning[4]), Field(d.winning[5]),
                                                                  Field(d.bonusNumber)})}));
        Tiers won{};
        int best = 0;
        for (const Wheel::Line &line : moved.lines) {
            Ticket t;
            t.drawNo = d.draw;
            t.numbers = line;
            const TicketCheck check = checkTicket(t, results);
            best = std::max(best, check.mainMatches);
            if (const int tier = tierNumber(check.tier))
                ++won[size_t(tier - 1)];
        }
        EXPECT_EQ(d.wheel.tiers, won) << d.draw;
        EXPECT_EQ(d.wheel.lines, (long long)moved.lines.size());
        if (d.sets[Elimination].hits >= 4) {
            EXPECT_GE(best, 3) << d.draw;
        }
        for (int t = 0; t < TierCount; ++t)
            tiers[size_t(t)] += won[size_t(t)];
        tickets += d.wheel.lines;
        ++tested;
    }
    EXPECT_EQ(w.tiers, tiers);
    EXPECT_EQ(w.tickets, tickets);
    EXPECT_EQ(w.cost, tickets * 200);
    EXPECT_EQ(w.tested, tested);
    EXPECT_GT(w.guaranteeDraws, 0);
    EXPECT_EQ(w.guaranteeKept, w.guaranteeDraws);
    EXPECT_NEAR(w.expectedTiers[4], double(tickets) * 155400 / 6096454, 1e-9);
    EXPECT_GT(w.p, 0);
    EXPECT_LE(w.p, 1);
    // Far fewer lines than buying every six of the 消去法 numbers.
    EXPECT_LT(w.tickets * 100, result.methods[Elimination].tickets);

    // Reported on its own: the seven methods, their p and Holm's adjusted p
    // are what they were.
    EXPECT_EQ(BacktestExport::json(before),
              BacktestExport::json(Result{result.range, result.flags, before.draws, result.methods, std::nullopt}));
    for (int m = 0; m < MethodCount; ++m) {
        EXPECT_EQ(result.methods[size_t(m)].p, before.methods[size_t(m)].p);
        EXPECT_EQ(result.methods[size_t(m)].adjustedP, before.methods[size_t(m)].adjustedP);
    }
    const QString json = BacktestExport::json(result);
    EXPECT_TRUE(json.contains(QStringLiteral("\"wheel\":{\"name\":\"%1\"").arg(wheelStrategyName())));
    EXPECT_TRUE(json.contains(QStringLiteral("\"holm\":false")));
    EXPECT_TRUE(BacktestExport::csv(result).contains(wheelStrategyName()));
    const Sheet sheet = BacktestSheets::wheel(w);
    EXPECT_EQ(sheet.text(3, 2), groupedDigits(tickets));
    EXPECT_EQ(sheet.text(4, 2), groupedDigits(tickets * 200));
    EXPECT_EQ(sheet.text(10, 2), QStringLiteral("%1 / %2回").arg(w.guaranteeKept).arg(w.guaranteeDraws));
}

TEST(BacktestWheel, TheSameWheelOnEveryMachine)
{
    // A budget of moves, not seconds: two builds give the same lines.
    WheelBook first;
    WheelBook second;
    const Wheel *a = strategyWheel(18, first);
    const Wheel *b = strategyWheel(18, second);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->lines, b->lines);
    EXPECT_TRUE(a->verified);
    EXPECT_GE((long long)a->lines.size(), a->lowerBound);
    // Too few candidates for "if 4": no wheel.
    EXPECT_EQ(strategyWheel(3, first), nullptr);
}
