#include "game/gamerules.h"

#include <gtest/gtest.h>

// How many of all the lines win each tier in one draw: the published odds of
// each game (1等 first), which the tier rules must reproduce exactly.
TEST(GameRules, WinningLinesMatchTheOdds)
{
    struct Case { Game game; long long lines; std::vector<long long> winning; };
    const Case cases[] = {
        {Game::Loto6, 6'096'454, {1, 6, 216, 9'990, 155'400}},
        {Game::Loto7, 10'295'472, {1, 14, 196, 9'135, 142'100, 242'550}},
        {Game::MiniLoto, 169'911, {1, 5, 125, 3'250}},
    };
    for (const Case &c : cases) {
        const GameRules &rules = rulesOf(c.game);
        EXPECT_EQ(rules.lineCount(), c.lines) << rules.key.toStdString();
        ASSERT_EQ(rules.tierCount(), int(c.winning.size())) << rules.key.toStdString();
        for (int t = 1; t <= rules.tierCount(); ++t)
            EXPECT_EQ(rules.winningLines(t), c.winning[size_t(t - 1)]) << rules.key.toStdString() << " tier " << t;
    }
}

// Every (main, bonus) outcome of one line, summed over the game, is every line.
TEST(GameRules, OutcomesCoverEveryLine)
{
    for (Game game : allGames()) {
        const GameRules &rules = rulesOf(game);
        long long all = 0;
        for (int m = 0; m <= rules.mainCount; ++m)
            for (int j = 0; j <= rules.bonusCount; ++j)
                all += rules.linesWith(m, j);
        EXPECT_EQ(all, rules.lineCount()) << rules.key.toStdString();
    }
}

TEST(GameRules, TierOfMatches)
{
    struct Case { Game game; int main; int bonus; int tier; };
    const Case cases[] = {
        {Game::Loto6, 6, 0, 1}, {Game::Loto6, 5, 1, 2}, {Game::Loto6, 5, 0, 3}, {Game::Loto6, 4, 1, 4},
        {Game::Loto6, 3, 0, 5}, {Game::Loto6, 2, 1, 0},
        {Game::Loto7, 7, 0, 1}, {Game::Loto7, 6, 2, 2}, {Game::Loto7, 6, 1, 2}, {Game::Loto7, 6, 0, 3},
        {Game::Loto7, 5, 2, 4}, {Game::Loto7, 4, 0, 5}, {Game::Loto7, 3, 1, 6}, {Game::Loto7, 3, 2, 6},
        {Game::Loto7, 3, 0, 0}, {Game::Loto7, 2, 2, 0},
        {Game::MiniLoto, 5, 0, 1}, {Game::MiniLoto, 4, 1, 2}, {Game::MiniLoto, 4, 0, 3},
        {Game::MiniLoto, 3, 1, 4}, {Game::MiniLoto, 2, 1, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(rulesOf(c.game).tierOf(c.main, c.bonus), c.tier)
            << rulesOf(c.game).key.toStdString() << " " << c.main << "+" << c.bonus;
}

TEST(GameRules, KeysAndChoose)
{
    for (Game game : allGames())
        EXPECT_EQ(gameFromKey(rulesOf(game).key), game);
    EXPECT_FALSE(gameFromKey(QStringLiteral("loto8")));
    EXPECT_EQ(gameKeys(), QStringLiteral("loto6|loto7|miniloto"));
    EXPECT_EQ(choose(43, 6), 6'096'454);
    EXPECT_EQ(choose(5, 6), 0);
    EXPECT_EQ(choose(5, -1), 0);
    EXPECT_EQ(choose(62, 31), 465'428'353'255'261'088LL);
}
