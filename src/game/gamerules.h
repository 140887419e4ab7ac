#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// The three number-choice lotteries the program follows. ロト6 stays the
// default: its database file, options file and command line are as they were
// before the other two games arrived.
enum class Game { Loto6, Loto7, MiniLoto };

// One prize tier: a line wins it with exactly `main` of the main numbers and
// at least `bonus` of the bonus numbers, the tiers being tried from 1等 down.
struct TierRule
{
    QString name;           // "1等"
    int main = 0;           // main numbers matched
    int bonus = 0;          // bonus numbers matched, at least
    std::int64_t fixedPrize = 0; // 円; 0 for a pari-mutuel tier (its pool shared by its winners)

    bool isPariMutuel() const { return fixedPrize == 0; }
};

// Everything that makes one game differ from another: which numbers, how many
// of them a draw and a line hold, what a line costs, how a line wins, and
// where the game's files are. No other code writes a range or a line length.
struct GameRules
{
    Game game = Game::Loto6;
    QString key;  // "loto6": on the command line and in settings
    QString name; // "ロト6"
    int highest = 0;    // N: the numbers are 1 … N
    int mainCount = 0;  // k: main numbers drawn, numbers on a line
    int bonusCount = 0; // b: bonus numbers drawn after the main ones
    int price = 0;      // 円 per line
    std::vector<TierRule> tiers; // 1等 first
    QString drawDays;     // "月・木"
    QString databaseFile; // "Loto6Kermon.mdb", in the data folder
    QString historyFile;  // "loto6-history.csv", the bundled history
    QString optionsFile;  // "ロト6ケルモン.ini"
    char shortcutDigit = '6'; // the menu's Ctrl+digit

    // Draw positions: the main numbers, then the bonus numbers.
    int positions() const { return mainCount + bonusCount; }
    bool isNumber(int n) const { return n >= 1 && n <= highest; }
    int tierCount() const { return int(tiers.size()); }

    // Every different line: C(N, k).
    long long lineCount() const;
    // The tier (1 for 1等) a line wins with these matches; 0 for none.
    int tierOf(int mainMatched, int bonusMatched) const;
    // How many of the lineCount() lines win `tier` (1 …) in any one draw.
    long long winningLines(int tier) const;
    // The chance that one line wins `tier` in a fair draw.
    double tierChance(int tier) const;
    // Lines over the whole game with exactly m main and j bonus numbers of a
    // given draw: C(k, m) · C(b, j) · C(N − k − b, k − m − j).
    long long linesWith(int mainMatched, int bonusMatched) const;
};

const GameRules &rulesOf(Game game);
// ロト6, ロト7, ミニロト: the order of the menu.
const std::array<Game, 3> &allGames();
// The game of a key such as "loto7"; nothing for an unknown key.
std::optional<Game> gameFromKey(const QString &key);
// The keys as a usage text: "loto6|loto7|miniloto".
QString gameKeys();

// C(n, r); 0 when r is outside 0 … n. Exact up to C(62, 31).
long long choose(int n, int r);
