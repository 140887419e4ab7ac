#include "game/gamerules.h"

#include <QStringList>

#include <numeric>

namespace {

std::vector<TierRule> tiers(std::initializer_list<TierRule> list)
{
    return std::vector<TierRule>(list);
}

const std::array<GameRules, 3> &table()
{
    static const std::array<GameRules, 3> games{{
        {Game::Loto6, QStringLiteral("loto6"), QStringLiteral("ロト6"), 43, 6, 1, 200,
         tiers({{QStringLiteral("1等"), 6, 0, 0},
                {QStringLiteral("2等"), 5, 1, 0},
                {QStringLiteral("3等"), 5, 0, 0},
                {QStringLiteral("4等"), 4, 0, 0},
                {QStringLiteral("5等"), 3, 0, 1000}}),
         QStringLiteral("月・木"), QStringLiteral("Loto6Kermon.mdb"), QStringLiteral("loto6-history.csv"),
         QStringLiteral("ロト6ケルモン.ini"), '6'},
        {Game::Loto7, QStringLiteral("loto7"), QStringLiteral("ロト7"), 37, 7, 2, 300,
         tiers({{QStringLiteral("1等"), 7, 0, 0},
                {QStringLiteral("2等"), 6, 1, 0},
                {QStringLiteral("3等"), 6, 0, 0},
                {QStringLiteral("4等"), 5, 0, 0},
                {QStringLiteral("5等"), 4, 0, 0},
                {QStringLiteral("6等"), 3, 1, 0}}),
         QStringLiteral("金"), QStringLiteral("Loto7Kermon.mdb"), QStringLiteral("loto7-history.csv"),
         QStringLiteral("ロト7ケルモン.ini"), '7'},
        {Game::MiniLoto, QStringLiteral("miniloto"), QStringLiteral("ミニロト"), 31, 5, 1, 200,
         tiers({{QStringLiteral("1等"), 5, 0, 0},
                {QStringLiteral("2等"), 4, 1, 0},
                {QStringLiteral("3等"), 4, 0, 0},
                {QStringLiteral("4等"), 3, 0, 0}}),
         QStringLiteral("火"), QStringLiteral("MiniLotoKermon.mdb"), QStringLiteral("miniloto-history.csv"),
         QStringLiteral("ミニロトケルモン.ini"), '5'},
    }};
    return games;
}

} // namespace

long long choose(int n, int r)
{
    if (n < 0 || r < 0 || r > n)
        return 0;
    long long c = 1;
    for (int i = 1; i <= r; ++i) {
        // c · (n − r + i) / i is a whole number; dividing first keeps the
        // product within 64 bits wherever the result is.
        const long long g = std::gcd(c, (long long)i);
        c = (c / g) * ((n - r + i) / (i / g));
    }
    return c;
}

const GameRules &rulesOf(Game game)
{
    return table()[size_t(game)];
}

const std::array<Game, 3> &allGames()
{
    static const std::array<Game, 3> games{Game::Loto6, Game::Loto7, Game::MiniLoto};
    return games;
}

std::optional<Game> gameFromKey(const QString &key)
{
    for (const GameRules &rules : table()) {
        if (rules.key == key)
            return rules.game;
    }
    return std::nullopt;
}

QString gameKeys()
{
    QStringList keys;
    for (const GameRules &rules : table())
        keys << rules.key;
    return keys.join(QLatin1Char('|'));
}

long long GameRules::lineCount() const
{
    return choose(highest, mainCount);
}

int GameRules::tierOf(int mainMatched, int bonusMatched) const
{
    for (int t = 0; t < tierCount(); ++t) {
        const TierRule &rule = tiers[size_t(t)];
        if (mainMatched == rule.main && bonusMatched >= rule.bonus)
            return t + 1;
    }
    return 0;
}

long long GameRules::linesWith(int mainMatched, int bonusMatched) const
{
    return choose(mainCount, mainMatched) * choose(bonusCount, bonusMatched)
           * choose(highest - mainCount - bonusCount, mainCount - mainMatched - bonusMatched);
}

long long GameRules::winningLines(int tier) const
{
    long long lines = 0;
    for (int m = 0; m <= mainCount; ++m) {
        for (int j = 0; j <= bonusCount; ++j) {
            if (tierOf(m, j) == tier)
                lines += linesWith(m, j);
        }
    }
    return lines;
}

double GameRules::tierChance(int tier) const
{
    return double(winningLines(tier)) / double(lineCount());
}
