// The ticket ledger: tiers against the draw results, the spending summary,
// the ledger file and what it refuses, and the command line on the bundled
// history.
#include "maintenance/ticketledger.h"
#include "prediction/ticketsources.h"
#include "store/drawdatabase.h"
#include "store/textencoding.h"
#include "support/cliprocess.h"
#include "support/drawfile.h"
#include "support/history.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

#include <sys/stat.h>

using TestHistory::draw;

namespace {

Ticket ticket(int drawNo, std::array<int, 6> numbers, int count = 1, const QString &date = QStringLiteral("2026-08-20"))
{
    Ticket t;
    t.drawNo = drawNo;
    t.numbers = numbers;
    t.count = count;
    t.purchaseDate = date;
    return t;
}

// Draw 10: 1 2 3 4 5 6 + 7; draw 11 lacks its bonus; draw 12 has text in a field.
DrawResults results()
{
    return DrawResults(Recordset({draw(10, {1, 2, 3, 4, 5, 6, 7}), draw(11, {1, 2, 3, 4, 5, 6, TestHistory::empty()}),
                                  draw(12, {1, 2, 3, 4, 5, Field(QStringLiteral("x")), 7})}));
}

} // namespace

TEST(Tickets, TierFollowsMainMatchesAndTheBonus)
{
    struct Case
    {
        int drawNo;
        std::array<int, 6> numbers;
        Tier tier;
    };
    const Case cases[] = {
        {10, {6, 5, 4, 3, 2, 1}, Tier::First},
        {10, {1, 2, 3, 4, 5, 7}, Tier::Second}, // five and the bonus
        {10, {1, 2, 3, 4, 5, 43}, Tier::Third},
        {10, {1, 2, 3, 4, 7, 43}, Tier::Fourth}, // the bonus does not lift four
        {10, {1, 2, 3, 41, 42, 43}, Tier::Fifth},
        {10, {1, 2, 7, 41, 42, 43}, Tier::None},
        {9, {1, 2, 3, 4, 5, 6}, Tier::Pending},  // not in the history
        {11, {1, 2, 3, 4, 5, 6}, Tier::Pending}, // incomplete
        {12, {1, 2, 3, 4, 5, 6}, Tier::Pending}, // not a number
    };
    const DrawResults drawn = results();
    for (const Case &c : cases) {
        const TicketCheck check = checkTicket(ticket(c.drawNo, c.numbers), drawn);
        EXPECT_EQ(tierName(check.tier), tierName(c.tier)) << c.drawNo << " " << TicketRules::numbersText(c.numbers).toStdString();
    }
    const TicketCheck second = checkTicket(ticket(10, {7, 1, 2, 43, 3, 4}), drawn);
    EXPECT_EQ(second.matched, (std::array<bool, 6>{false, true, true, false, true, true}));
    EXPECT_TRUE(second.bonusMatched);
    EXPECT_EQ(drawn.lastDrawNo(), 10);
}

TEST(Tickets, BadTicketsAreRefusedWithAMessage)
{
    const QString numberCases[] = {QStringLiteral("1,2,3,4,5,5"), QStringLiteral("0,1,2,3,4,5"), QStringLiteral("1,2,3,4,5,44"),
                                   QStringLiteral("1,2,3,4,5"), QStringLiteral("1,2,3,4,5,6,7"), QStringLiteral("1,2,3,4,5,a"),
                                   QStringLiteral("1,2,,3,4,5,6"), QStringLiteral("1,2,3,4,5,6,"), QStringLiteral("、1,2,3,4,5,6")};
    for (const QString &text : numberCases) {
        QString problem;
        EXPECT_FALSE(TicketRules::parseNumbers(text, &problem).has_value()) << text.toStdString();
        EXPECT_FALSE(problem.isEmpty());
    }
    QString problem;
    EXPECT_EQ(TicketRules::parseNumbers(QStringLiteral("１２、18 35,40，41 43"), &problem),
              (std::array<int, 6>{12, 18, 35, 40, 41, 43}));

    QTemporaryDir dir;
    TicketLedger ledger = TicketLedger::open(dir.filePath(TicketLedger::FileName));
    const Ticket wrong[] = {ticket(0, {1, 2, 3, 4, 5, 6}), ticket(1, {1, 2, 3, 4, 5, 6}, 0),
                            ticket(1, {1, 2, 3, 4, 6, 6}), ticket(1, {1, 2, 3, 4, 5, 6}, 1, QStringLiteral("2026-13-01"))};
    for (const Ticket &t : wrong) {
        EXPECT_TRUE(TicketRules::problem(t).has_value());
        EXPECT_THROW(ledger.add(t), DatabaseError);
    }
    // One wrong line keeps the whole batch out.
    EXPECT_THROW(ledger.addAll({ticket(1, {1, 2, 3, 4, 5, 6}), wrong[2]}), DatabaseError);
    EXPECT_TRUE(ledger.tickets().empty());
}

TEST(Tickets, SummaryCountsKnownAndUnknownAmounts)
{
    PrizeBook prizes;
    prizes.set(10, 3, 300000); // 3等 of draw 10 recorded; 1等, 2等, 4等 not
    const std::vector<Ticket> tickets = {
        ticket(10, {1, 2, 3, 4, 5, 43}, 2, QStringLiteral("2026-07-30")), // 3等 × 2
        ticket(10, {1, 2, 3, 41, 42, 43}, 1, QStringLiteral("2026-08-01")), // 5等
        ticket(10, {1, 2, 3, 4, 7, 43}, 1, QStringLiteral("2026-08-02")),   // 4等, amount unknown
        ticket(13, {1, 2, 3, 4, 5, 6}, 3, QStringLiteral("2027-01-05")),   // pending
    };
    const SpendingSummary summary = summarize(tickets, results(), prizes);

    ASSERT_EQ(summary.months.size(), 3u);
    EXPECT_EQ(summary.months[0].period, QStringLiteral("2026-07"));
    EXPECT_EQ(summary.months[1].won, 1000);
    EXPECT_EQ(summary.months[1].unknownLines, 1);
    ASSERT_EQ(summary.years.size(), 2u);
    EXPECT_EQ(summary.years[1].pendingLines, 3);
    EXPECT_FALSE(summary.years[1].returnRate().has_value());

    const SpendingRow &all = summary.overall;
    EXPECT_EQ(all.lines, 7);
    EXPECT_EQ(all.spent, 1400);
    EXPECT_EQ(all.checkedSpent, 800);
    EXPECT_EQ(all.won, 601000);
    EXPECT_EQ(all.wins, (std::array<qint64, 5>{0, 0, 2, 1, 1}));
    EXPECT_DOUBLE_EQ(*all.returnRate(), 100.0 * 601000 / 800);
    EXPECT_EQ(wonText(all), QStringLiteral("601,000円＋不明1口"));
    // Four checked lines of draw 10: 216 ways to 300 000 円, 155 400 to 1 000 円.
    EXPECT_EQ(all.expectedNumerator, 4 * (216LL * 300000 + 155400LL * 1000));
    EXPECT_TRUE(all.expectedPartial);
}

TEST(Tickets, LedgerKeepsEveryChangeAcrossReopening)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/") + TicketLedger::FileName);
    {
        TicketLedger ledger = TicketLedger::open(path);
        Ticket a = ledger.add(ticket(10, {1, 2, 3, 4, 5, 6}));
        const Ticket b = ledger.add(ticket(11, {7, 8, 9, 10, 11, 12}));
        a.memo = QStringLiteral("夏, \"特別\"");
        a.count = 5;
        ledger.update(a);
        ledger.remove(b.id);
        ledger.setPrize(10, 1, 200000000);
        ledger.setPrize(10, 2, 10000000);
        ledger.setPrize(10, 2, std::nullopt);
    }
    const TicketLedger reopened = TicketLedger::open(path);
    Statement version = Database::open(path, QString(), Database::Mode::ReadOnly).prepare(QStringLiteral("PRAGMA user_version"));
    ASSERT_TRUE(version.step());
    EXPECT_EQ(version.value(0), Field(TicketLedger::SchemaVersion));
    const std::vector<Ticket> kept = reopened.tickets();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].count, 5);
    EXPECT_EQ(kept[0].memo, QStringLiteral("夏, \"特別\""));
    EXPECT_EQ(reopened.prizes().amount(10, Tier::First), 200000000);
    EXPECT_FALSE(reopened.prizes().amount(10, Tier::Second).has_value());

    // CSV out and back in gives the same tickets.
    const std::vector<Ticket> parsed = TicketCsv::parse(TicketCsv::write(kept), QStringLiteral("t.csv"));
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(TicketCsv::write(parsed), TicketCsv::write(kept));
    EXPECT_THROW(TicketCsv::parse(TicketCsv::write(kept) + QStringLiteral("3,1,2,3,4,5,44,1,2026-08-20,\n"), QStringLiteral("t.csv")),
                 DatabaseError);
}

// A new ledger is readable by its owner alone; one the user already has keeps
// the mode they gave it, through every write.
TEST(Tickets, NewLedgerIsTheUsersAloneAnExistingOneKeepsItsMode)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/") + TicketLedger::FileName);
    const auto mode = [&path] {
        struct stat info{};
        EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
        return info.st_mode & 07777;
    };
    TicketLedger::open(path).add(ticket(10, {1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(mode(), 0600u);

    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    TicketLedger::open(path).add(ticket(11, {1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(mode(), 0640u);
    EXPECT_EQ(TicketLedger::open(path).tickets().size(), 2u);
}

TEST(Tickets, UnreadableLedgerIsReportedAndLeftAlone)
{
    QTemporaryDir dir;
    const QString newer = dir.filePath(QStringLiteral("newer.db"));
    {
        TicketLedger::open(newer).add(ticket(10, {1, 2, 3, 4, 5, 6}));
        Database::open(newer, QString(), Database::Mode::ReadWrite).exec(QStringLiteral("PRAGMA user_version = 99"));
    }
    const QString foreign = dir.filePath(QStringLiteral("foreign.db"));
    Database::open(foreign, QString(), Database::Mode::Create).exec(QStringLiteral("CREATE TABLE t (x)"));
    const QString text = dir.filePath(QStringLiteral("text.db"));
    DrawFile::writeBytes(text, QByteArray("回,数字1\n").repeated(300));
    const QString encrypted = dir.filePath(DrawDatabase::FileName);
    DrawFile::write(encrypted, {draw(1, {1, 2, 3, 4, 5, 6, 7})});
    const QString damaged = dir.filePath(QStringLiteral("damaged.db"));
    TicketLedger::open(damaged).addAll(std::vector<Ticket>(200, ticket(1, {1, 2, 3, 4, 5, 6})));
    QByteArray bytes = DrawFile::bytes(damaged);
    bytes.replace(4096, 64, QByteArray(64, '\xA5')); // the head of the tickets table's first page
    DrawFile::writeBytes(damaged, bytes);

    // An empty file (a first run cut short) simply becomes a new ledger.
    const QString empty = dir.filePath(QStringLiteral("empty.db"));
    DrawFile::writeBytes(empty, QByteArray());
    EXPECT_TRUE(TicketLedger::open(empty).tickets().empty());

    const std::pair<QString, QString> cases[] = {{newer, QStringLiteral("新しい版")},
                                                 {foreign, QStringLiteral("購入記録のファイルではありません")},
                                                 {text, QStringLiteral("購入記録のファイルではありません")},
                                                 {encrypted, QStringLiteral("購入記録のファイルではありません")},
                                                 {damaged, QStringLiteral("購入記録のファイルではありません")}};
    for (const auto &[path, expected] : cases) {
        const QByteArray before = DrawFile::bytes(path);
        try {
            TicketLedger::open(path);
            ADD_FAILURE() << "opened " << path.toStdString();
        } catch (const DatabaseError &error) {
            EXPECT_TRUE(error.message().contains(expected)) << error.message().toStdString();
            EXPECT_TRUE(error.message().contains(QStringLiteral("変更していません"))) << error.message().toStdString();
        }
        EXPECT_EQ(DrawFile::bytes(path), before) << path.toStdString();
    }
}

TEST(Tickets, PredictionLinesAndQuickPicks)
{
    const std::vector<std::array<int, 6>> lines = TicketSources::combinations({9, 3, 8, 1, 5, 7, 2, 3});
    ASSERT_EQ(qint64(lines.size()), TicketSources::combinationCount(7)); // 3 counted once
    EXPECT_EQ(lines.front(), (std::array<int, 6>{1, 2, 3, 5, 7, 8}));
    EXPECT_EQ(lines.back(), (std::array<int, 6>{2, 3, 5, 7, 8, 9}));
    EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end()));
    EXPECT_EQ(TicketSources::combinationCount(18), 18564);

    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(300));
    PredictionEngine engine;
    engine.SetUpPredictionGrids(store);
    const auto oneShot = TicketSources::lines(engine, TicketSources::Source::OneShot);
    ASSERT_EQ(oneShot.size(), 1u);
    for (int col = 2; col <= 7; ++col)
        EXPECT_NE(std::find(oneShot[0].begin(), oneShot[0].end(), engine.grid(PredictionEngine::OneShotGrid).text(col, 2).toInt()),
                  oneShot[0].end());
    int fullCycleRows = 0;
    for (int row = 2; row <= 5; ++row) {
        std::set<QString> texts;
        for (int col = 2; col <= 7; ++col)
            texts.insert(engine.grid(PredictionEngine::CycleGrid).text(col, row));
        fullCycleRows += texts.size() == 6 && !texts.count(QString()) ? 1 : 0;
    }
    EXPECT_EQ(int(TicketSources::lines(engine, TicketSources::Source::Cycle).size()), fullCycleRows);
    const auto shown = TicketSources::shownNumbers(engine, TicketSources::Source::Elimination);
    EXPECT_EQ(qint64(TicketSources::lines(engine, TicketSources::Source::Elimination).size()),
              TicketSources::combinationCount(int(shown.size())));

    QRandomGenerator random(7);
    for (int i = 0; i < 500; ++i) {
        const std::array<int, 6> pick = TicketRules::quickPick(random);
        EXPECT_FALSE(TicketRules::problem(ticket(1, pick)).has_value());
    }
}

TEST(Tickets, CommandLineChecksTheBundledHistory)
{
    QTemporaryDir dir;
    const QString ledger = dir.filePath(TicketLedger::FileName);
    const QString db = dir.filePath(DrawDatabase::FileName);
    ASSERT_EQ(CliProcess::run({QStringLiteral("create-db"), QStringLiteral("--from-csv"), QStringLiteral(LOTO6_SOURCE_DIR "/data/loto6-history.csv"),
                   QStringLiteral("--db"), db}).exitCode, 0);
    const QStringList where{QStringLiteral("--ledger"), ledger, QStringLiteral("--db"), db};
    const auto add = [&](const QStringList &args) { return CliProcess::run(QStringList{QStringLiteral("tickets"), QStringLiteral("add")} + args + where); };

    EXPECT_EQ(add({QStringLiteral("--draw"), QStringLiteral("2130"), QStringLiteral("--numbers"), QStringLiteral("12,18,35,40,41,43")}).exitCode, 0);
    EXPECT_EQ(add({QStringLiteral("--draw"), QStringLiteral("2130"), QStringLiteral("--numbers"), QStringLiteral("12,18,35,40,41,3"),
                   QStringLiteral("--count"), QStringLiteral("2")}).exitCode, 0);
    EXPECT_EQ(add({QStringLiteral("--numbers"), QStringLiteral("1,2,3,4,5,6")}).exitCode, 0); // the next draw, 2131
    const CliProcess::Result refused = add({QStringLiteral("--draw"), QStringLiteral("2130"), QStringLiteral("--numbers"), QStringLiteral("1,1,2,3,4,5")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("同じ数字"))) << refused.err.toStdString();

    const CliProcess::Result check = CliProcess::run(QStringList{QStringLiteral("tickets"), QStringLiteral("check"), QStringLiteral("--format"), QStringLiteral("csv")} + where);
    ASSERT_EQ(check.exitCode, 0) << check.err.toStdString();
    const QStringList rows = check.out.trimmed().split(QLatin1Char('\n'));
    ASSERT_EQ(rows.size(), 4);
    EXPECT_TRUE(rows[1].startsWith(QStringLiteral("2130,12,18,35,40,41,43,1,"))) << rows[1].toStdString();
    EXPECT_TRUE(rows[1].endsWith(QStringLiteral(",6,,1等,不明")));
    EXPECT_TRUE(rows[2].endsWith(QStringLiteral(",5,○,2等,不明")));
    EXPECT_TRUE(rows[3].startsWith(QStringLiteral("2131,"))) << rows[3].toStdString();
    EXPECT_TRUE(rows[3].endsWith(QStringLiteral(",,,未抽選,")));

    // Export and import through files; a file with one bad line adds nothing.
    const QString csv = dir.filePath(QStringLiteral("tickets.csv"));
    ASSERT_EQ(CliProcess::run(QStringList{QStringLiteral("tickets"), QStringLiteral("export"), csv} + where).exitCode, 0);
    const QString copy = dir.filePath(QStringLiteral("copy.db"));
    const QStringList toCopy{QStringLiteral("--ledger"), copy, QStringLiteral("--db"), db};
    EXPECT_EQ(CliProcess::run(QStringList{QStringLiteral("tickets"), QStringLiteral("import"), csv} + toCopy).out, QStringLiteral("{\"imported\":3}\n"));
    DrawFile::writeBytes(csv, DrawFile::bytes(csv) + "2131,1,2,3,4,5,0,1,2026-08-21,\n");
    const CliProcess::Result bad = CliProcess::run(QStringList{QStringLiteral("tickets"), QStringLiteral("import"), csv} + toCopy);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("5 行目"))) << bad.err.toStdString();
    EXPECT_EQ(TicketLedger::open(copy).tickets().size(), 3u);
    EXPECT_EQ(CliProcess::run(QStringList{QStringLiteral("tickets"), QStringLiteral("prize"), QStringLiteral("--draw"), QStringLiteral("2130"),
                              QStringLiteral("--tier"), QStringLiteral("5"), QStringLiteral("--amount"), QStringLiteral("2000")} + where).exitCode, 1);

    // Re-creating the draw database does not touch the ledger.
    const QByteArray before = DrawFile::bytes(ledger);
    ASSERT_EQ(CliProcess::run({QStringLiteral("create-db"), QStringLiteral("--from-csv"), QStringLiteral(LOTO6_SOURCE_DIR "/data/loto6-history.csv"),
                   QStringLiteral("--db"), db, QStringLiteral("--force")}).exitCode, 0);
    EXPECT_EQ(DrawFile::bytes(ledger), before);
    EXPECT_TRUE(CliProcess::run(QStringList{QStringLiteral("tickets"), QStringLiteral("check")} + where).out.contains(QStringLiteral("\"tier\":\"2等\"")));
}

TEST(Tickets, SumsNeverMislead)
{
    struct Case
    {
        const char *name;
        std::vector<Ticket> tickets;
        QString returnRate;
        QString expectedRate;
    };
    PrizeBook prizes;
    prizes.set(10, 3, 300000);
    const Ticket third = ticket(10, {1, 2, 3, 4, 5, 43}); // 3等, amount known
    const Ticket fourth = ticket(10, {1, 2, 3, 4, 7, 43}); // 4等, amount unknown
    const Ticket none = ticket(10, {1, 2, 7, 41, 42, 43});
    const Case cases[] = {
        {"every amount known", {third, none}, QStringLiteral("75,000.0%"), QStringLiteral("18.1% 以上")},
        {"a won line of unknown amount and nothing known", {fourth, none}, QStringLiteral("不明"), QStringLiteral("18.1% 以上")},
        {"the known part alone", {third, fourth}, QStringLiteral("75,000.0% 以上"), QStringLiteral("18.1% 以上")},
        {"nothing won", {none}, QStringLiteral("0.0%"), QStringLiteral("18.1% 以上")},
        {"nothing checked", {ticket(13, {1, 2, 3, 4, 5, 6})}, QStringLiteral("—"), QStringLiteral("—")},
    };
    for (const Case &c : cases) {
        const SpendingRow row = summarize(c.tickets, results(), prizes).overall;
        EXPECT_EQ(returnRateText(row), c.returnRate) << c.name;
        EXPECT_EQ(expectedRateText(row), c.expectedRate) << c.name;
    }
    PrizeBook all;
    for (int tier = 1; tier <= 4; ++tier)
        all.set(10, tier, tier * 1000);
    EXPECT_EQ(expectedRateText(summarize({none}, results(), all).overall), QStringLiteral("%1%").arg(
        QString::number(100.0 * (1000 + 6 * 2000 + 216 * 3000 + 9990 * 4000 + 155400 * 1000) / 6096454 / 200, 'f', 1)));

    // The largest amounts and counts the ledger takes, over many tickets:
    // beyond 64 bits, and still exact.
    PrizeBook top;
    for (int tier = 1; tier <= 4; ++tier)
        top.set(10, tier, TicketRules::HighestPrize);
    const std::vector<Ticket> many(100, ticket(10, {6, 5, 4, 3, 2, 1}, TicketRules::HighestCount));
    const SpendingRow row = summarize(many, results(), top).overall;
    const YenSum won = YenSum(100) * TicketRules::HighestCount * TicketRules::HighestPrize;
    EXPECT_TRUE(row.won == won);
    EXPECT_EQ(formatYen(row.won), QStringLiteral("10,000,000,000,000,000円"));
    const YenSum numerator = YenSum(100) * TicketRules::HighestCount
        * ((1 + 6 + 216 + 9990) * YenSum(TicketRules::HighestPrize) + 155400 * YenSum(PrizeBook::FifthPrize));
    EXPECT_TRUE(row.expectedNumerator == numerator);
    EXPECT_GT(row.expected(), 0.0);
    EXPECT_GT(*row.returnRate(), 0.0);
}

TEST(Tickets, DatesOneFormAndAmountsWithinLimits)
{
    const std::pair<const char *, std::optional<QString>> dates[] = {
        {"2026/1/1", QStringLiteral("2026-01-01")}, {"2026/01/01", QStringLiteral("2026-01-01")},
        {"2026-1-1", QStringLiteral("2026-01-01")}, {"2026年1月1日", QStringLiteral("2026-01-01")},
        {"2026-01-01", QStringLiteral("2026-01-01")}, {"1/1", std::nullopt}, {"2026-02-30", std::nullopt}, {"x", std::nullopt},
    };
    for (const auto &[text, expected] : dates)
        EXPECT_EQ(TicketRules::normalizedDate(QString::fromUtf8(text)), expected) << text;

    EXPECT_FALSE(TicketRules::problem(ticket(1, {1, 2, 3, 4, 5, 6}, 100000)).has_value());
    EXPECT_TRUE(TicketRules::problem(ticket(1, {1, 2, 3, 4, 5, 6}, 100001)).has_value());
    EXPECT_TRUE(TicketRules::problem(ticket(32764, {1, 2, 3, 4, 5, 6})).has_value());

    QTemporaryDir dir;
    TicketLedger ledger = TicketLedger::open(dir.filePath(TicketLedger::FileName));
    ledger.setPrize(10, 1, TicketRules::HighestPrize);
    try {
        ledger.setPrize(10, 1, TicketRules::HighestPrize + 1);
        ADD_FAILURE() << "a prize above the limit was recorded";
    } catch (const DatabaseError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("当選金額は 0 から 1,000,000,000円 までの整数（円、1口あたり）です: 1000000001"));
    }
    EXPECT_THROW(ledger.recordPrizes({{10, 2, 5000, false}, {10, 3, -1, false}}), DatabaseError);
    EXPECT_EQ(ledger.prizes().recorded(10), (std::array<std::optional<qint64>, 4>{TicketRules::HighestPrize, {}, {}, {}}));
    EXPECT_EQ(ledger.recordPrizes({{10, 1, 5, false}, {10, 2, 5000, false}}), 1); // 1等 kept
    EXPECT_EQ(ledger.recordPrizes({{10, 1, 5, true}}), 1);
    EXPECT_EQ(ledger.prizes().recorded(10), (std::array<std::optional<qint64>, 4>{5, 5000, {}, {}}));
}

TEST(Tickets, CommandLineReadsWithoutWritingAndImportsSpreadsheetFiles)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(DrawDatabase::FileName);
    DrawFile::write(db, {draw(10, {1, 2, 3, 4, 5, 6, 7})});

    // A ledger a first run left empty is read as empty, and stays empty.
    const QString empty = dir.filePath(QStringLiteral("empty.db"));
    DrawFile::writeBytes(empty, QByteArray());
    for (const char *command : {"list", "check"}) {
        const CliProcess::Result read = CliProcess::run({QStringLiteral("tickets"), QString::fromUtf8(command), QStringLiteral("--ledger"), empty, QStringLiteral("--db"), db});
        EXPECT_EQ(read.exitCode, 0) << read.err.toStdString();
        EXPECT_EQ(QFileInfo(empty).size(), 0) << command;
    }

    // Shift_JIS from a spreadsheet, dates in three spellings: one month.
    const QString csv = dir.filePath(QStringLiteral("tickets.csv"));
    DrawFile::writeBytes(csv, TextEncoding::encodeCp932(QStringLiteral("回,数字1,数字2,数字3,数字4,数字5,数字6,口数,購入日,メモ\n"
                                                                      "10,1,2,3,4,5,43,1,2026/1/1,ｶﾅのメモ\n"
                                                                      "10,1,2,3,4,7,43,1,2026/01/01,\n10,1,2,3,41,42,43,1,2026-1-1,\n")));
    const QString ledger = dir.filePath(TicketLedger::FileName);
    const CliProcess::Result imported = CliProcess::run({QStringLiteral("tickets"), QStringLiteral("import"), csv, QStringLiteral("--ledger"), ledger});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    const CliProcess::Result check = CliProcess::run({QStringLiteral("tickets"), QStringLiteral("check"), QStringLiteral("--ledger"), ledger, QStringLiteral("--db"), db});
    const QJsonObject summary = QJsonDocument::fromJson(check.out.toUtf8()).object().value(QStringLiteral("summary")).toObject();
    const QJsonArray months = summary.value(QStringLiteral("months")).toArray();
    ASSERT_EQ(months.size(), 1);
    EXPECT_EQ(months[0].toObject().value(QStringLiteral("period")).toString(), QStringLiteral("2026-01"));
    // 3等 and 4等 of unknown amount, 5等 known: a lower bound, never a rate.
    const QJsonObject overall = summary.value(QStringLiteral("overall")).toObject();
    EXPECT_TRUE(overall.value(QStringLiteral("returnRate")).isNull());
    EXPECT_EQ(overall.value(QStringLiteral("returnRateText")).toString(), QStringLiteral("166.7% 以上"));
    EXPECT_TRUE(TicketLedger::read(ledger).tickets.front().memo.startsWith(QStringLiteral("ｶﾅ")));

    // Checked money: an amount above any prize is refused, in Japanese.
    const CliProcess::Result huge = CliProcess::run({QStringLiteral("tickets"), QStringLiteral("prize"), QStringLiteral("--draw"), QStringLiteral("10"),
                                QStringLiteral("--tier"), QStringLiteral("1"), QStringLiteral("--amount"), QStringLiteral("9223372036854775807"),
                                QStringLiteral("--ledger"), ledger});
    EXPECT_EQ(huge.exitCode, 1);
    EXPECT_TRUE(huge.err.contains(QStringLiteral("当選金額は 0 から 1,000,000,000円 まで"))) << huge.err.toStdString();
}

// What tickets list and check print is the JSON Qt itself writes for the
// same values, and sums of yen beyond 2^53 come out digit for digit.
TEST(Tickets, CommandLineJsonIsQtsOwnAndMoneyExact)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(DrawDatabase::FileName);
    DrawFile::write(db, {draw(10, {1, 2, 3, 4, 5, 6, 7})});
    const QString ledgerPath = dir.filePath(TicketLedger::FileName);
    TicketLedger ledger = TicketLedger::open(ledgerPath);
    Ticket first = ticket(10, {1, 2, 3, 4, 5, 6}, 99999);
    first.memo = QStringLiteral("「買い」\t\"引用\" \\ 改行\nおわり");
    ledger.add(first);
    ledger.add(ticket(11, {1, 2, 3, 4, 5, 6}));
    ledger.setPrize(10, 1, 999999999);
    const auto run = [&](const char *command) {
        return CliProcess::run({QStringLiteral("tickets"), QString::fromUtf8(command), QStringLiteral("--ledger"), ledgerPath,
                                QStringLiteral("--db"), db});
    };
    for (const char *command : {"list", "check"}) {
        const CliProcess::Result printed = run(command);
        ASSERT_EQ(printed.exitCode, 0) << printed.err.toStdString();
        const QJsonDocument parsed = QJsonDocument::fromJson(printed.out.toUtf8());
        ASSERT_FALSE(parsed.isNull()) << printed.out.toStdString();
        EXPECT_EQ(printed.out, QString::fromUtf8(parsed.toJson(QJsonDocument::Compact)) + QLatin1Char('\n')) << command;
    }

    // 91 × 99 999 lines × 999 999 999 円: odd, above 2^53, where a double
    // would say ...092.
    ledger.addAll(std::vector<Ticket>(90, ticket(10, {1, 2, 3, 4, 5, 6}, 99999)));
    const CliProcess::Result checked = run("check");
    ASSERT_EQ(checked.exitCode, 0) << checked.err.toStdString();
    EXPECT_EQ(checked.out.count(QStringLiteral("\"won\":9099908990900091}")), 3) << checked.out.left(2000).toStdString(); // month, year, all
    EXPECT_TRUE(checked.out.contains(QStringLiteral("\"prize\":99998999900001,")));
}
