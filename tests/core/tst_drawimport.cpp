// Importing draw results against real files: the preview against a draw
// database (numbers compared as sets, what differs, years from the stored
// draws, the ledger's prize amounts), the write in one transaction (the .bak,
// a failure part-way through, records the import does not name left exactly
// as they were), the prize amounts in the ticket ledger, and the command line
// with its exit statuses.
#include "maintenance/drawexportfile.h"
#include "maintenance/drawimportplan.h"
#include "maintenance/ticketledger.h"
#include "store/drawdatabase.h"
#include "store/textencoding.h"
#include "support/cliprocess.h"
#include "support/drawfile.h"
#include "support/history.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using TestHistory::draw;
using TestHistory::empty;

namespace {

struct CliRun
{
    int status;
    QString output; // stdout and stderr
};

CliRun runCli(const QStringList &args, const QByteArray &input = {})
{
    const CliProcess::Result result = CliProcess::run(args, input);
    return {result.exitCode, result.out + result.err};
}

// A draw database with the date column, as the bundled one has.
void writeDated(const QString &path, const std::vector<std::pair<DrawRecord, QString>> &draws)
{
    const Database db = Database::open(path, DrawDatabase::password(), Database::Mode::Create);
    db.begin();
    DrawDatabase::createSchema(db, true);
    for (auto [record, date] : draws) {
        record.drawDate = date.isEmpty() ? Field::null() : Field(date);
        DrawDatabase::insert(db, record, true);
    }
    db.commit();
}

} // namespace

namespace {

// A database with complete draws 1 … 3, a draw 4 whose bonus is Null and a
// draw 5 whose 第3数字 is the empty string, as old files hold them.
class ImportFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(DrawDatabase::FileName);
        DrawFile::write(m_path, {draw(1, {1, 2, 3, 4, 5, 6, 7}), draw(2, {8, 9, 10, 11, 12, 13, 14}),
                                 draw(3, {15, 16, 17, 18, 19, 20, 21}), draw(4, {22, 23, 24, 25, 26, 27, Field::null()}),
                                 draw(5, {28, 29, empty(), 31, 32, 33, 34})});
        m_before = DrawFile::bytes(m_path);
        m_lines = DrawFile::lines(m_path);
    }

    // 2 as stored, 3 otherwise, 6 and 8 new (7 missing), one bad row.
    DrawImport::Plan previewSample() const
    {
        return DrawImport::preview(DrawImport::read(QStringLiteral("2,8,9,10,11,12,13,14\n3,15,16,17,18,19,20,43\n"
                                                                   "6,1,2,3,4,5,6,7\n8,1,2,3,4,5,6,8\nx,1,2,3,4,5,6,7\n")),
                                   m_path);
    }

    QTemporaryDir m_dir;
    QString m_path;
    QByteArray m_before;
    QStringList m_lines;
};

} // namespace

TEST_F(ImportFile, PreviewWritesNothingAndApplyWritesWhatItShowed)
{
    const DrawImport::Plan plan = previewSample();
    using Kind = DrawImport::PlanEntry::Kind;
    QStringList shown;
    for (const DrawImport::PlanEntry &e : plan.entries)
        shown << QStringLiteral("%1 %2 %3").arg(DrawImport::kindName(e.kind)).arg(e.drawNo).arg(e.line);
    EXPECT_EQ(shown, QStringList({QStringLiteral("同一 2 1"), QStringLiteral("相違 3 2"), QStringLiteral("追加 6 3"),
                                  QStringLiteral("追加 8 4"), QStringLiteral("エラー 0 5")}));
    EXPECT_EQ(DrawImport::numbersText(*plan.entries[1].stored), QStringLiteral("15 16 17 18 19 20 (21)"));
    EXPECT_EQ(plan.gapWarnings, QStringList{QStringLiteral("第7回がありません。")});
    EXPECT_EQ(DrawFile::bytes(m_path), m_before);

    struct Case
    {
        std::set<int> overwrite;
        QString draw3;
    };
    for (const Case &c : {Case{{}, QStringLiteral("3|15|16|17|18|19|20|21")}, Case{{3}, QStringLiteral("3|15|16|17|18|19|20|43")}}) {
        SCOPED_TRACE(c.overwrite.size());
        ASSERT_TRUE(DrawFile::writeBytes(m_path, m_before));
        const DrawImport::ApplyResult result = DrawImport::apply(previewSample(), c.overwrite);
        ASSERT_TRUE(result.ok) << result.message.toStdString();
        EXPECT_EQ(result.added, 2);
        EXPECT_EQ(result.overwritten, int(c.overwrite.size()));
        // The .bak holds the file as it was; the Null and '' records are untouched.
        EXPECT_EQ(DrawFile::lines(m_path + QStringLiteral(".bak")), m_lines);
        QStringList expected = m_lines;
        expected[2] = c.draw3;
        expected << QStringLiteral("6|1|2|3|4|5|6|7") << QStringLiteral("8|1|2|3|4|5|6|8");
        EXPECT_EQ(DrawFile::lines(m_path), expected);
        EXPECT_EQ(m_lines[3], QStringLiteral("4|22|23|24|25|26|27|NULL"));
        EXPECT_EQ(m_lines[4], QStringLiteral("5|28|29||31|32|33|34"));
    }

    // Once in, the same import has nothing left to do and touches nothing.
    const QByteArray after = DrawFile::bytes(m_path);
    const DrawImport::Plan again = previewSample();
    EXPECT_EQ(again.count(Kind::Add), 0);
    EXPECT_TRUE(DrawImport::apply(again, {}).ok);
    EXPECT_EQ(DrawFile::bytes(m_path), after);
}

TEST_F(ImportFile, AnyFailureLeavesTheFileByteIdentical)
{
    struct Case
    {
        const char *name;
        const char *sql;     // run on the file after the preview
        const char *because; // part of the message
    };
    const Case cases[] = {
        // The database refuses the second insert: the first must not stay.
        {"refused mid-transaction",
         "CREATE TRIGGER refuse8 BEFORE INSERT ON 結果マスタ WHEN NEW.回数 = 8 BEGIN SELECT RAISE(ABORT, 'no'); END",
         "no"},
        // Someone else stored draw 6 after the preview.
        {"changed since the preview", "INSERT INTO 結果マスタ (回数) VALUES (6)", "第6回のデータが確認の後で変更されています"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(DrawFile::writeBytes(m_path, m_before));
        const DrawImport::Plan plan = previewSample();
        {
            const Database db = Database::open(m_path, DrawDatabase::password(), Database::Mode::ReadWrite);
            db.exec(QString::fromUtf8(c.sql));
        }
        const QByteArray changed = DrawFile::bytes(m_path);
        const DrawImport::ApplyResult result = DrawImport::apply(plan, {3});
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.message.contains(QString::fromUtf8(c.because))) << result.message.toStdString();
        EXPECT_TRUE(result.message.contains(QStringLiteral("当選データファイルは変更していません。")));
        EXPECT_EQ(DrawFile::bytes(m_path), changed);
        EXPECT_FALSE(QFile::exists(m_path + QStringLiteral("-journal")));
    }
}

TEST_F(ImportFile, ExportReadsBackInBothEncodings)
{
    // Only complete draws can come back in through the import.
    DrawFile::write(m_dir.filePath(QStringLiteral("complete.mdb")), TestHistory::generated(40));
    for (const DrawExport::Encoding encoding : {DrawExport::Encoding::Utf8Bom, DrawExport::Encoding::ShiftJis}) {
        const QString out = m_dir.filePath(QStringLiteral("out.csv"));
        const DrawExport::Result result = DrawExport::save(m_dir.filePath(QStringLiteral("complete.mdb")), out, encoding);
        ASSERT_TRUE(result.ok) << result.message.toStdString();
        EXPECT_EQ(result.records, 40);
        const QByteArray bytes = DrawFile::bytes(out);
        EXPECT_EQ(bytes.startsWith("\xEF\xBB\xBF"), encoding == DrawExport::Encoding::Utf8Bom);
        EXPECT_TRUE(bytes.contains(encoding == DrawExport::Encoding::ShiftJis ? TextEncoding::encodeCp932(QStringLiteral("ボーナス数字"))
                                                                               : QStringLiteral("ボーナス数字").toUtf8()));
        const DrawImport::Plan plan = DrawImport::preview(DrawImport::readBytes(bytes), m_dir.filePath(QStringLiteral("complete.mdb")));
        EXPECT_EQ(plan.count(DrawImport::PlanEntry::Kind::Identical), 40);
        EXPECT_EQ(int(plan.entries.size()), 40);
    }
}

TEST_F(ImportFile, CommandLinePreviewsDryRunsAndApplies)
{
    const QString csv = m_dir.filePath(QStringLiteral("new.csv"));
    ASSERT_TRUE(DrawFile::writeBytes(csv, "6,1,2,3,4,5,6,7\n7,1,2,3,4,5,6,8\n3,15,16,17,18,19,20,43\n"));
    const QString ledger = m_dir.filePath(QStringLiteral("ledger.db"));
    const auto run = [&](QStringList args, const QByteArray &input = {}) {
        const CliRun result = runCli(QStringList{QStringLiteral("import")} + args
                                         + QStringList{QStringLiteral("--db"), m_path, QStringLiteral("--ledger"), ledger},
                                     input);
        return std::make_pair(result.status, result.output);
    };

    auto [status, output] = run({csv, QStringLiteral("--dry-run")});
    EXPECT_EQ(status, 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("追加 2 件、同一 0 件、相違 1 件、エラー 0 件"))) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("相違\t第3回\t15 16 17 18 19 20 (43)\t登録済み 15 16 17 18 19 20 (21)\t"
                                               "ボーナス数字が違います\t登録済みのままにします"))) << output.toStdString();
    EXPECT_EQ(DrawFile::bytes(m_path), m_before);
    EXPECT_FALSE(QFile::exists(m_path + QStringLiteral(".bak")));

    std::tie(status, output) = run({csv, QStringLiteral("--overwrite"), QStringLiteral("--format"), QStringLiteral("json")});
    EXPECT_EQ(status, 0) << output.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(output.toUtf8()).object();
    EXPECT_EQ(json.value(QStringLiteral("added")).toInt(), 2);
    EXPECT_EQ(json.value(QStringLiteral("written")).toObject().value(QStringLiteral("overwritten")).toInt(), 1);
    EXPECT_TRUE(json.value(QStringLiteral("applied")).toBool());
    EXPECT_EQ(DrawFile::lines(m_path).mid(5), QStringList({QStringLiteral("6|1|2|3|4|5|6|7"), QStringLiteral("7|1|2|3|4|5|6|8")}));

    // Pasted text on standard input with a wrong block: as a dry run nothing
    // is written (exit 1); applied, the good block is written and the wrong
    // one refused by its line and 回 (exit 3).
    const QByteArray pasted = QStringLiteral("第9回 1 2 3 4 5 6 (7)\n\n第10回 1 2 3 4 5 44 (7)\n").toUtf8();
    std::tie(status, output) = run({QStringLiteral("-"), QStringLiteral("--dry-run")}, pasted);
    EXPECT_EQ(status, 1);
    std::tie(status, output) = run({QStringLiteral("-")}, pasted);
    EXPECT_EQ(status, 3);
    EXPECT_TRUE(output.contains(QStringLiteral("エラー\t3 行目\t第10回\t第6数字 44 が 1～43 の範囲にありません。"))) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("警告\t第8回がありません。")));
    EXPECT_TRUE(output.contains(QStringLiteral("（追加 1 件、上書き 0 件、同一 0 件、スキップ 0 件、エラー 1 件）")));
    EXPECT_EQ(DrawFile::lines(m_path).last(), QStringLiteral("9|1|2|3|4|5|6|7"));
    // Again: nothing new, one refused: nothing written, exit 1; nothing
    // refused and nothing to do: exit 0.
    std::tie(status, output) = run({QStringLiteral("-")}, pasted);
    EXPECT_EQ(status, 1);
    std::tie(status, output) = run({QStringLiteral("-")}, QByteArray("第9回 6 5 4 3 2 1 (7)\n"));
    EXPECT_EQ(status, 0) << output.toStdString();
    EXPECT_FALSE(QFile::exists(ledger)); // no prize amounts, no ledger

    // Endless input is refused before it fills the memory, and names the limit.
    const QByteArray before = DrawFile::bytes(m_path);
    std::tie(status, output) = run({QStringLiteral("/dev/zero")});
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(output.contains(QStringLiteral("ファイル「/dev/zero」の 1 行目が長すぎます（1行 64 KB まで）"))) << output.toStdString();
    EXPECT_EQ(DrawFile::bytes(m_path), before);
}

TEST(ImportPlan, ComparesDrawsAsSetsAndSaysWhatDiffers)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(DrawDatabase::FileName);
    writeDated(path, {{draw(3, {15, 16, 17, 18, 19, 20, 21}), QStringLiteral("2026-08-24")}, {draw(4, {1, 2, 3, 4, 5, 6, 7}), {}}});
    struct Case
    {
        const char *row;
        const char *kind;
        QString note;
    };
    const Case cases[] = {
        {"3,2026-08-24,15,16,17,18,19,20,21", "同一", {}},
        {"3,2026-08-24,20,19,18,17,16,15,21", "同一", {}}, // drawn order, the same six
        {"3,,15,16,17,18,19,20,21", "同一", {}},           // no date: not compared
        {"4,2026-08-27,6,5,4,3,2,1,7", "同一", {}},        // no stored date
        {"3,2026-08-24,15,16,17,18,19,20,43", "相違", QStringLiteral("ボーナス数字が違います")},
        {"3,2026-08-24,15,16,17,18,19,42,21", "相違", QStringLiteral("本数字が違います")},
        {"3,2026-08-27,15,16,17,18,19,20,21", "相違", QStringLiteral("日付が違います")},
        {"3,2026-08-24,42,16,17,18,19,20,43", "相違", QStringLiteral("本数字・ボーナス数字が違います。並べ替えて登録")},
        {"5,,42,16,17,18,19,20,43", "追加", QStringLiteral("並べ替えて登録")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.row);
        const DrawImport::Plan plan = DrawImport::preview(DrawImport::read(QString::fromUtf8(c.row)), path);
        ASSERT_EQ(plan.entries.size(), 1u);
        EXPECT_EQ(DrawImport::kindName(plan.entries[0].kind), QString::fromUtf8(c.kind));
        EXPECT_EQ(DrawImport::entryNote(plan.entries[0]), c.note);
    }

    // Overwritten, a draw given in drawn order is stored ascending.
    const DrawImport::Plan plan = DrawImport::preview(DrawImport::read(QStringLiteral("3,,42,16,17,18,19,20,21")), path);
    ASSERT_TRUE(DrawImport::apply(plan, {3}).ok);
    EXPECT_EQ(DrawFile::lines(path).first(), QStringLiteral("3|16|17|18|19|20|42|21"));
}

TEST(ImportPlan, DatesWithoutAYearTakeItFromTheStoredDraws)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(DrawDatabase::FileName);
    writeDated(path, {{draw(2134, {1, 2, 3, 4, 5, 6, 7}), QStringLiteral("2026-12-28")},
                      {draw(2135, {1, 2, 3, 4, 5, 6, 7}), QStringLiteral("2027-01-04")}});
    const DrawImport::Plan plan = DrawImport::preview(
        DrawImport::read(QStringLiteral("第2135回 1月4日 1 2 3 4 5 6 (7)\n第2136回 1/8 01 06 18 25 31 39 (12)\n"
                                        "第2300回 9月7日(月) 01 06 18 25 31 39 (12)\n")),
        path);
    ASSERT_EQ(plan.entries.size(), 3u);
    EXPECT_EQ(DrawImport::kindName(plan.entries[0].kind), QStringLiteral("同一"));
    EXPECT_EQ(plan.entries[1].incoming->date, QDate(2027, 1, 8));
    // Too far from any dated draw: the numbers, never a guessed year.
    EXPECT_FALSE(plan.entries[2].incoming->date.isValid());
    EXPECT_EQ(plan.entries[2].incoming->numbers, (std::array<int, 7>{1, 6, 18, 25, 31, 39, 12}));
    EXPECT_EQ(DrawImport::entryNote(plan.entries[2]), QStringLiteral("日付 9月7日 の年が前後の回から分からないため、日付なしで読みました"));
}

TEST(ImportPlan, PrizeAmountsGoToTheLedgerAndTypedOnesStay)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(DrawDatabase::FileName);
    const QString ledgerPath = dir.filePath(TicketLedger::FileName);
    DrawFile::write(path, {draw(2130, {1, 2, 3, 4, 5, 6, 7})});
    TicketLedger::open(ledgerPath).setPrize(2130, 3, 300000); // typed by the user
    QString page = QStringLiteral("第2130回 1 2 3 4 5 6 (7)\n1等 該当なし\n2等 6口 10,234,500円\n3等 250口 312,300円\n4等 12,000口 6,800円\n"
                                        "第2131回 03 11 19 27 33 41 (08)\n4等 9,000口 7,100円\n");
    const DrawImport::Plan plan = DrawImport::preview(DrawImport::read(page), path, ledgerPath);
    ASSERT_EQ(plan.entries.size(), 2u);
    EXPECT_TRUE(plan.entries[0].prizeDiffers);
    EXPECT_TRUE(plan.entries[0].overwritable());
    EXPECT_EQ(DrawImport::entryNote(plan.entries[0]), QStringLiteral("購入記録の当選金額（3等 300,000円）と違います"));
    EXPECT_EQ(DrawImport::prizesText(*plan.entries[1].incoming), QStringLiteral("4等 9,000口 7,100円"));
    EXPECT_EQ(DrawImport::overwritableDraws(plan), (std::set<int>{2130}));
    EXPECT_EQ(TicketLedger::read(ledgerPath).prizes.recorded(2130)[0], std::nullopt); // a preview writes nothing

    struct Case
    {
        std::set<int> overwrite;
        int written;
        std::array<std::optional<qint64>, 4> draw2130;
    };
    // 該当なし is no winner: 0 for a line, not unknown.
    const Case cases[] = {{{}, 4, {0, 10234500, 300000, 6800}}, {{2130}, 5, {0, 10234500, 312300, 6800}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.overwrite.size());
        TicketLedger::open(ledgerPath).setPrize(2130, 1, std::nullopt);
        TicketLedger::open(ledgerPath).setPrize(2130, 2, std::nullopt);
        TicketLedger::open(ledgerPath).setPrize(2130, 3, 300000);
        TicketLedger::open(ledgerPath).setPrize(2130, 4, std::nullopt);
        TicketLedger::open(ledgerPath).setPrize(2131, 4, std::nullopt);
        const DrawImport::ApplyResult result = DrawImport::apply(DrawImport::preview(DrawImport::read(page), path, ledgerPath), c.overwrite);
        ASSERT_TRUE(result.ok) << result.message.toStdString();
        EXPECT_EQ(result.prizes, c.written);
        const PrizeBook prizes = TicketLedger::read(ledgerPath).prizes;
        EXPECT_EQ(prizes.recorded(2130), c.draw2130);
        EXPECT_EQ(prizes.recorded(2131)[3], 7100);
    }

    // A ledger the program cannot read keeps the amounts out, not the draws.
    const QString foreign = dir.filePath(QStringLiteral("foreign.db"));
    ASSERT_TRUE(DrawFile::writeBytes(foreign, QByteArray("not a ledger\n").repeated(500)));
    const DrawImport::Plan unreadable = DrawImport::preview(DrawImport::read(page.replace(QStringLiteral("2131"), QStringLiteral("2132"))), path, foreign);
    ASSERT_EQ(unreadable.notes.size(), 1);
    EXPECT_TRUE(unreadable.notes[0].startsWith(QStringLiteral("当選金額は記録しません。購入記録ファイル"))) << unreadable.notes[0].toStdString();
    const DrawImport::ApplyResult result = DrawImport::apply(unreadable, {});
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.added, 1);
    EXPECT_EQ(result.prizes, 0);
    EXPECT_EQ(result.skipped, 0);
    EXPECT_EQ(DrawFile::bytes(foreign), QByteArray("not a ledger\n").repeated(500));
}

// Draws and their prize amounts are one write: a ledger that cannot take
// the amounts when the import writes keeps the draws out as well, and the
// message says that neither file was changed.
TEST(ImportPlan, DrawsAndTheirPrizesAreWrittenTogetherOrNotAtAll)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(DrawDatabase::FileName);
    const QString ledgerPath = dir.filePath(TicketLedger::FileName);
    DrawFile::write(path, {draw(2130, {1, 2, 3, 4, 5, 6, 7})});
    const QString page = QStringLiteral("第2131回 03 11 19 27 33 41 (08)\n1等 該当なし\n2等 6口 10,234,500円\n3等 250口 312,300円\n4等 12,000口 6,800円\n");
    const DrawImport::Plan plan = DrawImport::preview(DrawImport::read(page), path, ledgerPath);
    const QByteArray before = DrawFile::bytes(path);
    ASSERT_TRUE(QDir().mkpath(ledgerPath)); // a folder where the ledger was to be

    const DrawImport::ApplyResult failed = DrawImport::apply(plan, {});
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.wroteAnything());
    EXPECT_TRUE(failed.message.endsWith(QStringLiteral("当選データファイルと購入記録は変更していません。"))) << failed.message.toStdString();
    EXPECT_EQ(DrawFile::bytes(path), before);

    ASSERT_TRUE(QDir(ledgerPath).removeRecursively());
    const DrawImport::ApplyResult applied = DrawImport::apply(plan, {});
    ASSERT_TRUE(applied.ok) << applied.message.toStdString();
    EXPECT_EQ(applied.added, 1);
    EXPECT_EQ(applied.prizes, 4);
    EXPECT_EQ(TicketLedger::read(ledgerPath).prizes.recorded(2131), (std::array<std::optional<qint64>, 4>{0, 10234500, 312300, 6800}));
}

TEST(ImportCommandLine, SaveCsvThenImportChangesNothing)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(DrawDatabase::FileName);
    ASSERT_TRUE(QFile::copy(QFileInfo(QStringLiteral(LOTO6_CLI)).absolutePath() + QStringLiteral("/") + DrawDatabase::FileName, db));
    // A draw without a date, as the editor leaves a new one.
    {
        const Database database = Database::open(db, DrawDatabase::password(), Database::Mode::ReadWrite);
        database.exec(QStringLiteral("UPDATE 結果マスタ SET 抽選日 = NULL WHERE 回数 = 2130"));
    }
    const QByteArray before = DrawFile::bytes(db);
    for (const QString &encoding : {QStringLiteral("utf-8"), QStringLiteral("shift_jis")}) {
        SCOPED_TRACE(encoding.toStdString());
        const QString csv = dir.filePath(QStringLiteral("saved.csv"));
        ASSERT_EQ(runCli({QStringLiteral("save-csv"), csv, QStringLiteral("--encoding"), encoding, QStringLiteral("--db"), db}).status, 0);
        EXPECT_FALSE(DrawFile::bytes(csv).contains("NULL"));
        const CliRun imported = runCli({QStringLiteral("import"), csv, QStringLiteral("--db"), db, QStringLiteral("--format"), QStringLiteral("json"),
                                        QStringLiteral("--ledger"), dir.filePath(QStringLiteral("ledger.db"))});
        EXPECT_EQ(imported.status, 0) << imported.output.toStdString();
        const QJsonObject json = QJsonDocument::fromJson(imported.output.toUtf8()).object();
        EXPECT_EQ(json.value(QStringLiteral("identical")).toInt(), 2130);
        EXPECT_EQ(json.value(QStringLiteral("entries")).toArray().size(), 2130);
        EXPECT_EQ(DrawFile::bytes(db), before);

        // create-db reads the same file, whatever its encoding.
        const QString created = dir.filePath(QStringLiteral("created-%1.mdb").arg(encoding));
        const CliRun create = runCli({QStringLiteral("create-db"), QStringLiteral("--from-csv"), csv, QStringLiteral("--db"), created});
        ASSERT_EQ(create.status, 0) << create.output.toStdString();
        EXPECT_EQ(DrawFile::lines(created), DrawFile::lines(db));
    }
    EXPECT_FALSE(QFile::exists(db + QStringLiteral(".bak")));
}

TEST(ImportCommandLine, APastedPageGivesItsDrawAndATicketItsPrize)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(DrawDatabase::FileName);
    ASSERT_TRUE(QFile::copy(QFileInfo(QStringLiteral(LOTO6_CLI)).absolutePath() + QStringLiteral("/") + DrawDatabase::FileName, db));
    const QString ledger = dir.filePath(TicketLedger::FileName);
    const QString page = QStringLiteral(
        "ロト6 抽せん結果\n"
        "第2131回 ロト6 抽せん日 2026年8月24日(月) 本数字 03 11 19 27 33 41 ボーナス数字 (08)\n"
        "1等 該当なし 該当なし\n2等 6口 10,234,500円\n3等 250口 312,300円\n4等 12,000口 6,800円\n5等 200,000口 1,000円\n"
        "キャリーオーバー 500,000,000円\n"
        "第2132回 8月27日(木) 41 03 33 11 27 19 (09)\n"
        "次回 第2133回 8月31日(月)\n");
    const CliRun imported = runCli({QStringLiteral("import"), QStringLiteral("-"), QStringLiteral("--db"), db, QStringLiteral("--ledger"), ledger},
                                   page.toUtf8());
    ASSERT_EQ(imported.status, 0) << imported.output.toStdString();
    EXPECT_TRUE(imported.output.contains(QStringLiteral("当選金額 4 件を購入記録に記録しました。"))) << imported.output.toStdString();
    const Database database = Database::open(db, DrawDatabase::password(), Database::Mode::ReadOnly);
    QStringList stored;
    for (const DrawRecord &record : DrawDatabase::readAll(database)) {
        if (record.drawNo.integer() > 2130)
            stored << DrawFile::line(record) + QLatin1Char('|') + record.drawDate.toText();
    }
    EXPECT_EQ(stored, QStringList({QStringLiteral("2131|3|11|19|27|33|41|8|2026-08-24"), QStringLiteral("2132|3|11|19|27|33|41|9|2026-08-27")}));

    // A 4等 ticket of that draw shows its prize with nothing typed; a new
    // ledger is the user's alone.
    ASSERT_EQ(runCli({QStringLiteral("tickets"), QStringLiteral("add"), QStringLiteral("--draw"), QStringLiteral("2131"), QStringLiteral("--numbers"),
                      QStringLiteral("3,11,19,27,1,2"), QStringLiteral("--count"), QStringLiteral("2"), QStringLiteral("--ledger"), ledger})
                  .status,
              0);
    EXPECT_EQ(QFileInfo(ledger).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther), 0);
    const CliRun check = runCli({QStringLiteral("tickets"), QStringLiteral("check"), QStringLiteral("--ledger"), ledger, QStringLiteral("--db"), db});
    const QJsonObject ticket = QJsonDocument::fromJson(check.output.toUtf8()).object().value(QStringLiteral("tickets")).toArray().first().toObject();
    EXPECT_EQ(ticket.value(QStringLiteral("tier")).toString(), QStringLiteral("4等"));
    EXPECT_EQ(ticket.value(QStringLiteral("prize")).toDouble(), 13600);
}
