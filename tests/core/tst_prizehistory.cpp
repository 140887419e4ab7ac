// The prize histories: the bundled files of every game read strictly, each
// draw's prize fund, the typical pools and what one more winning line is paid.
#include "popularity/moneybacktest.h"
#include "popularity/prizefiles.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Popularity;

namespace {

PrizeHistory bundled(Game game)
{
    return PrizeFiles::readBundled(game, QStringLiteral(LOTO6_SOURCE_DIR "/data"));
}

const QString MiniHeader = QStringLiteral(
    "回数,抽選日,第1数字,第2数字,第3数字,第4数字,第5数字,ボーナス数字,1等口数,2等口数,3等口数,4等口数,"
    "1等当せん金,2等当せん金,3等当せん金,4等当せん金\n");
const QString MiniRow = QStringLiteral("1,1999-04-13,1,3,17,20,25,26,29,46,2331,59593,6090500,275800,9400,900\n");
const QString Loto6History = QStringLiteral("回数,抽選日,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス数字\n"
                                            "1,2000-10-05,2,8,10,13,27,30,39\n"
                                            "2,2000-10-12,1,9,16,20,21,43,5\n");
const QString Loto6PrizeHeader = QStringLiteral("回数,抽選日,1等口数,2等口数,3等口数,4等口数,5等口数,1等当せん金,2等当せん金,"
                                                "3等当せん金,4等当せん金,5等当せん金,キャリーオーバー\n");

// A ロト6 draw with its winners and prizes (5等 at 1,000 円).
PrizeDraw loto6Draw(int drawNo, std::vector<std::int64_t> winners, std::vector<std::int64_t> prizes,
                    std::optional<std::int64_t> carry)
{
    PrizeDraw draw;
    draw.drawNo = drawNo;
    draw.main = {1, 2, 3, 4, 5, 6};
    draw.bonus = {7};
    for (size_t t = 0; t < winners.size(); ++t)
        draw.tiers.push_back({winners[t], prizes[t]});
    draw.carryOver = carry;
    return draw;
}

} // namespace

TEST(PrizeFiles, BundledHistoryOfEveryGame)
{
    struct Case
    {
        Game game;
        size_t draws;
        bool carriesOver;
        int drawNo; // one draw written out
        std::vector<int> main, bonus;
        std::vector<std::int64_t> winners, prizes;
        std::optional<std::int64_t> carry;
    };
    const Case cases[] = {
        {Game::Loto6, 2129, true, 1, {2, 8, 10, 13, 27, 30}, {39}, {2, 2, 262, 12413, 174452},
         {45513600, 40961900, 375200, 6900, 1000}, 0},
        {Game::Loto7, 681, true, 88, {3, 4, 10, 14, 25, 29, 30}, {18, 19}, {0, 11, 177, 8800, 136071, 235427},
         {0, 12013600, 1045200, 12300, 1900, 1000}, std::nullopt},
        {Game::MiniLoto, 1331, false, 1, {1, 3, 17, 20, 25}, {26}, {29, 46, 2331, 59593}, {6090500, 275800, 9400, 900},
         std::nullopt},
    };
    for (const Case &c : cases) {
        const PrizeHistory history = bundled(c.game);
        SCOPED_TRACE(history.rules().key.toStdString());
        ASSERT_EQ(history.draws.size(), c.draws);
        EXPECT_EQ(history.carriesOver, c.carriesOver);
        EXPECT_EQ(history.draws.front().drawNo, 1);
        EXPECT_EQ(history.draws.back().drawNo, int(c.draws));
        const PrizeDraw &draw = history.draws[size_t(c.drawNo - 1)];
        EXPECT_EQ(draw.main, c.main);
        EXPECT_EQ(draw.bonus, c.bonus);
        std::vector<std::int64_t> winners, prizes;
        for (const TierOutcome &tier : draw.tiers) {
            winners.push_back(tier.winners);
            prizes.push_back(tier.prize);
        }
        EXPECT_EQ(winners, c.winners);
        EXPECT_EQ(prizes, c.prizes);
        EXPECT_EQ(draw.carryOver, c.carry);
    }
}

TEST(PrizeFiles, FaultsNameTheirLine)
{
    struct Case
    {
        const char *what;
        Game game;
        QString history;
        std::optional<QString> prizes;
        const char *message;
    };
    const QString good = MiniHeader + MiniRow;
    auto row = [](const char *text) { return QString::fromUtf8(text) + QLatin1Char('\n'); };
    const Case cases[] = {
        {"a column missing", Game::MiniLoto, QString(MiniHeader).replace(QStringLiteral(",4等当せん金"), QString()) + MiniRow,
         std::nullopt, "1 行目: 見出し"},
        {"a field missing", Game::MiniLoto, MiniHeader + row("1,1999-04-13,1,3,17,20,25,26,29,46,2331,59593,6090500,275800,9400"),
         std::nullopt, "2 行目: 項目の数が 16 ではありません"},
        {"number out of range", Game::MiniLoto, MiniHeader + row("1,1999-04-13,1,3,32,20,25,26,29,46,2331,59593,6090500,275800,9400,900"),
         std::nullopt, "2 行目: 第3数字 32 が 1 から 31 の範囲にありません"},
        {"bonus among the main numbers", Game::MiniLoto,
         MiniHeader + row("1,1999-04-13,1,3,17,20,25,3,29,46,2331,59593,6090500,275800,9400,900"), std::nullopt,
         "2 行目: ボーナス数字の 3 がほかの数字と重なっています"},
        {"a decimal count", Game::MiniLoto, MiniHeader + row("1,1999-04-13,1,3,17,20,25,26,29.0,46,2331,59593,6090500,275800,9400,900"),
         std::nullopt, "2 行目: 1等口数「29.0」が整数ではありません"},
        {"a signed prize", Game::MiniLoto, MiniHeader + row("1,1999-04-13,1,3,17,20,25,26,29,46,2331,59593,+6090500,275800,9400,900"),
         std::nullopt, "2 行目: 1等当せん金「+6090500」が整数ではありません"},
        {"a prize without winners", Game::MiniLoto,
         MiniHeader + row("1,1999-04-13,1,3,17,20,25,26,0,46,2331,59593,6090500,275800,9400,900"), std::nullopt,
         "2 行目: 1等の口数 0 と当せん金 6090500 が合いません"},
        {"a date in another form", Game::MiniLoto,
         MiniHeader + row("1,1999/04/13,1,3,17,20,25,26,29,46,2331,59593,6090500,275800,9400,900"), std::nullopt,
         "2 行目: 抽選日「1999/04/13」"},
        {"回数 going back", Game::MiniLoto, good + row("1,1999-04-20,1,3,17,20,25,26,29,46,2331,59593,6090500,275800,9400,900"),
         std::nullopt, "3 行目: 回数 1 が前の行（1）より大きくありません"},
        {"a fixed prize not its amount", Game::Loto6, Loto6History,
         Loto6PrizeHeader + row("1,2000-10-05,2,2,262,12413,174452,45513600,40961900,375200,6900,900,0"),
         "2 行目: 5等の当せん金 900 が決まった額 1000 円ではありません"},
        {"prizes of a draw the history lacks", Game::Loto6, Loto6History,
         Loto6PrizeHeader + row("3,2000-10-19,2,8,164,9450,181437,121348100,15762800,922700,14100,1000,0"),
         "2 行目: 第3回が"},
        {"dates that disagree", Game::Loto6, Loto6History,
         Loto6PrizeHeader + row("2,2000-10-13,0,7,195,8426,144860,0,13188800,568100,11500,1000,102580607"),
         "2 行目: 第2回の抽選日 2000-10-13 が「history.csv」の 3 行目（2000-10-12）と違います"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::optional<PrizeFiles::Source> prizes;
        if (c.prizes)
            prizes = PrizeFiles::Source{*c.prizes, QStringLiteral("prizes.csv")};
        try {
            PrizeFiles::parse(c.game, {c.history, QStringLiteral("history.csv")}, prizes);
            ADD_FAILURE() << "read without complaint";
        } catch (const PrizeFiles::Error &error) {
            EXPECT_TRUE(error.message().contains(QString::fromUtf8(c.message))) << error.message().toStdString();
        }
    }
}

// ロト6's prizes join its history by 回数; a history draw whose prizes are not
// out yet is left out, and a carry-over left empty is not known.
TEST(PrizeFiles, PrizesJoinTheirDraws)
{
    const PrizeHistory history = PrizeFiles::parse(
        Game::Loto6, {Loto6History, QStringLiteral("h")},
        PrizeFiles::Source{Loto6PrizeHeader + QStringLiteral("1,2000-10-05,2,2,262,12413,174452,45513600,40961900,375200,6900,1000,\n"),
                           QStringLiteral("p")});
    ASSERT_EQ(history.draws.size(), 1u);
    EXPECT_EQ(history.draws[0].main, (std::vector<int>{2, 8, 10, 13, 27, 30}));
    EXPECT_EQ(history.draws[0].bonus, std::vector<int>{39});
    EXPECT_EQ(history.draws[0].tiers[2].winners, 262);
    EXPECT_FALSE(history.draws[0].carryOver);
}

// The fund is what a draw paid plus what it added to the carry-over; it is
// not known where a carry-over it needs is not, and a fund out of line with
// the reference tier's pool is not taken.
TEST(PrizeFunds, PaidPlusCarryChange)
{
    PrizeHistory history;
    history.game = Game::Loto6;
    for (int d = 1; d <= 40; ++d) {
        // 4等 pool 90,000,000, and 5等 paid by the fixed amount.
        std::optional<std::int64_t> carry = d * 1'000'000;
        if (d == 20)
            carry.reset();
        history.draws.push_back(loto6Draw(d, {0, 2, 300, 10000, 150000}, {0, 40'000'000, 300'000, 9'000, 1000}, carry));
    }
    history.draws[29].tiers[3] = {30000, 9'000}; // 4等 three times as large: the accounts do not agree
    const std::vector<DrawFund> funds = drawFunds(history);
    const double paid = 2 * 40'000'000.0 + 300 * 300'000.0 + 10000 * 9'000.0 + 150000 * 1000.0;
    EXPECT_EQ(funds[0].state, DrawFund::State::Known);
    EXPECT_DOUBLE_EQ(funds[0].fund, paid + 1'000'000);
    EXPECT_DOUBLE_EQ(funds[1].fund, paid + 1'000'000);
    EXPECT_EQ(funds[19].state, DrawFund::State::NotKnown);
    EXPECT_EQ(funds[20].state, DrawFund::State::NotKnown);
    EXPECT_EQ(funds[21].state, DrawFund::State::Known);
    EXPECT_EQ(funds[29].state, DrawFund::State::DoesNotAgree);
    EXPECT_EQ(std::count_if(funds.begin(), funds.end(), [](const DrawFund &f) { return f.known(); }), 37);

    // Without carry-overs the fund is what was paid.
    history.carriesOver = false;
    history.draws[19].carryOver = 5;
    EXPECT_DOUBLE_EQ(drawFunds(history)[19].fund, paid);
}

// In the bundled histories: ロト7's draws beside an empty carry-over are not
// known, and one ミニロト draw paid its 1等 out of something else than its
// fund (第683回: 27 lines at the 2等 prize).
TEST(PrizeFunds, BundledHistories)
{
    struct Case { Game game; int notKnown; std::vector<int> disagree; };
    const Case cases[] = {{Game::Loto6, 0, {}}, {Game::Loto7, 78, {}}, {Game::MiniLoto, 0, {683}}};
    for (const Case &c : cases) {
        const PrizeHistory history = bundled(c.game);
        const std::vector<DrawFund> funds = drawFunds(history);
        int notKnown = 0;
        std::vector<int> disagree;
        for (size_t i = 0; i < funds.size(); ++i) {
            notKnown += funds[i].state == DrawFund::State::NotKnown;
            if (funds[i].state == DrawFund::State::DoesNotAgree)
                disagree.push_back(history.draws[i].drawNo);
        }
        EXPECT_EQ(notKnown, c.notKnown) << history.rules().key.toStdString();
        EXPECT_EQ(disagree, c.disagree) << history.rules().key.toStdString();
    }
}

// Medians over the recent draws; 1等's pool is what it paid plus what it
// added to the carry-over, capped per line at its largest prize paid with
// nothing carried in.
TEST(PrizeFunds, TypicalPools)
{
    PrizeHistory history;
    history.game = Game::Loto6;
    history.draws = {
        loto6Draw(1, {1, 5, 200, 10000, 100000}, {200'000'000, 10'000'000, 300'000, 9'000, 1000}, 50'000'000), // capped
        loto6Draw(2, {0, 4, 250, 11000, 100000}, {0, 12'000'000, 280'000, 8'000, 1000}, 280'000'000),
        loto6Draw(3, {2, 0, 220, 12000, 100000}, {300'000'000, 0, 310'000, 7'000, 1000}, 0),
        loto6Draw(4, {1, 6, 230, 10000, 100000}, {240'000'000, 9'000'000, 290'000, 9'500, 1000}, 0),
    };
    const TypicalPools all = typicalPools(history, 100);
    EXPECT_EQ(all.draws, 4);
    // 1等: 250 (200 + 50), 230 (280 − 50), 320 (600 − 280), 240 million.
    EXPECT_DOUBLE_EQ(all.pools[0], 245'000'000);
    EXPECT_DOUBLE_EQ(all.pools[1], 50'000'000); // 2等 of the draws it was won: 50, 48, 54 million
    EXPECT_DOUBLE_EQ(all.pools[3], 89'000'000); // 4等: 90, 88, 84, 95 million
    EXPECT_DOUBLE_EQ(all.pools[4], 0);          // fixed
    ASSERT_TRUE(all.cap);
    EXPECT_DOUBLE_EQ(*all.cap, 240'000'000); // draws 1 and 4 had nothing carried in; 3 had
    const TypicalPools last = typicalPools(history, 2, 3); // draws 2 and 3
    EXPECT_EQ(last.firstDraw, 2);
    EXPECT_DOUBLE_EQ(last.pools[2], (250 * 280'000.0 + 220 * 310'000.0) / 2);
    EXPECT_FALSE(last.cap);
}

// One more winning line shares its tier's pool with the real winners; a
// tier nobody won pays its typical pool (1等 with what was carried into it,
// up to the largest 1等 prize); a fixed tier its amount.
TEST(PrizeFunds, OneMoreWinningLine)
{
    const GameRules &rules = rulesOf(Game::Loto6);
    const PrizeDraw before = loto6Draw(9, {0, 5, 200, 10000, 100000}, {0, 1, 1, 1, 1000}, 500'000'000);
    const PrizeDraw draw = loto6Draw(10, {0, 0, 3, 10000, 100000}, {0, 0, 1'000'000, 9'000, 1000}, 0);
    TypicalPools typical;
    typical.pools = {200'000'000, 60'000'000, 80'000'000, 90'000'000, 0};
    struct Case { int tier; const PrizeDraw *before; double largest; double prize; };
    const Case cases[] = {
        {3, &before, 0, 750'000},                       // 3 winners of 1,000,000: the pool of 3 shared by 4
        {4, &before, 0, 9'000.0 * 10000 / 10001},
        {5, &before, 0, 1000},
        {2, &before, 0, 60'000'000},                    // nobody won 2等
        {1, &before, 600'000'000, 600'000'000},         // 200 + 500 carried in, capped at 600
        {1, &before, 0, 700'000'000},                   // no cap known
        {1, nullptr, 600'000'000, 200'000'000},
    };
    for (const Case &c : cases)
        EXPECT_DOUBLE_EQ(linePrize(rules, draw, c.before, typical, c.largest, c.tier), c.prize) << c.tier;
}
