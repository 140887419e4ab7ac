// Importing draw results: every layout and encoding the reader accepts, every
// rule a row can break, the preview against a real database file, and the
// write in one transaction (the .bak, a failure part-way through, records the
// import does not name left exactly as they were).
#include "maintenance/drawexportfile.h"
#include "maintenance/drawimportplan.h"
#include "store/drawdatabase.h"
#include "store/textencoding.h"
#include "support/drawfile.h"
#include "support/history.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using TestHistory::draw;
using TestHistory::empty;

namespace {

// A draw as "回|date|six numbers|bonus", dates ISO, for comparing whole reads.
QString describe(const DrawImport::ImportedDraw &d)
{
    QStringList main;
    for (int p = 0; p < 6; ++p)
        main << QString::number(d.numbers[size_t(p)]);
    return QStringLiteral("%1|%2|%3|%4").arg(d.drawNo).arg(d.date.toString(Qt::ISODate), main.join(QLatin1Char(',')))
        .arg(d.numbers[6]);
}

QStringList describe(const DrawImport::ReadResult &read)
{
    QStringList out;
    for (const DrawImport::ImportedDraw &d : read.draws)
        out << describe(d);
    for (const DrawImport::RowError &e : read.errors)
        out << QStringLiteral("error %1: %2").arg(e.line).arg(e.reason);
    return out;
}

const QString Draw2131 = QStringLiteral("2131|2026-12-03|3,11,19,27,33,41|8");
const QString Draw2132 = QStringLiteral("2132|2026-12-07|2,9,14,22,38,43|17");
const QString Draw2132NoDate = QStringLiteral("2132||2,9,14,22,38,43|17");

} // namespace

TEST(DrawImportReader, EveryLayoutAndEncoding)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        QStringList expected;
    };
    const QByteArray bom("\xEF\xBB\xBF");
    const std::vector<Case> cases = {
        {"UTF-8 with BOM, CR LF, the dump-db header",
         bom + QStringLiteral("回数,抽選日,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス数字\r\n"
                              "2131,2026-12-03,3,11,19,27,33,41,8\r\n2132,2026/12/07,2,9,14,22,38,43,17\r\n").toUtf8(),
         {Draw2131, Draw2132}},
        {"Shift_JIS, columns reordered, prize columns with quoted amounts",
         TextEncoding::encodeCp932(QStringLiteral("ボーナス数字,本数字6,本数字5,本数字4,本数字3,本数字2,本数字1,1等口数,1等賞金,回別,抽せん日\n"
                                                 "8,41,33,27,19,11,3,2,\"200,000,000\",第2131回,2026年12月3日\n")),
         {Draw2131}},
        {"TSV without BOM, LF, a title above, 開催回/日付/数字N/BONUS, blank lines",
         QStringLiteral("ロト6 当せん番号一覧\n開催回\t日付\t数字1\t数字2\t数字3\t数字4\t数字5\t数字6\tBonus\tキャリーオーバー\n\n"
                        "2131\t2026.12.3\t03\t11\t19\t27\t33\t41\t08\t0\n").toUtf8(),
         {Draw2131}},
        {"第N回 and B数字 headers, no date column",
         QStringLiteral("第N回,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,B数字\n2132,2,9,14,22,38,43,17\n").toUtf8(),
         {Draw2132NoDate}},
        {"回 / ボーナス headers",
         QStringLiteral("回,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス\n2132,2,9,14,22,38,43,17\n").toUtf8(),
         {Draw2132NoDate}},
        {"no header: 回, date, six, bonus and 回, six, bonus",
         QStringLiteral("2131,2026/12/03,3,11,19,27,33,41,8\n2132,2,9,14,22,38,43,17\n").toUtf8(),
         {Draw2131, Draw2132NoDate}},
        {"pasted: one line with the bonus in brackets",
         QStringLiteral("第2131回 2026年12月3日 03 11 19 27 33 41 (08)\n").toUtf8(),
         {Draw2131}},
        {"pasted: tabs and ボーナス label",
         QStringLiteral("第2132回\t02\t09\t14\t22\t38\t43\tボーナス 17").toUtf8(),
         {Draw2132NoDate}},
        {"pasted: full-width digits, 令和 date with weekday, Shift_JIS",
         TextEncoding::encodeCp932(QStringLiteral("第２１３１回　令和８年１２月３日（木）　０３　１１　１９　２７　３３　４１　（０８）")),
         {Draw2131}},
        {"pasted: a block over lines with labels and prize lines, two draws",
         QStringLiteral("ロト6 当せん番号\n第2131回 抽せん日 2026/12/03\n本数字 03 11 19 27 33 41\nボーナス数字 08\n"
                        "1等 2口 200,000,000円\n\n第2132回\n西暦2026年12月7日\n第1数字 02\n09 14 22 38 43\nBONUS:17\n")
             .toUtf8(),
         {Draw2131, Draw2132}},
        {"pasted: 令和元年, and a 平成 date that does not exist",
         QStringLiteral("第1000回 令和元年5月2日 1 2 3 4 5 6 (7)\n第900回 平成30年2月29日 1 2 3 4 5 6 (7)").toUtf8(),
         {QStringLiteral("1000|2019-05-02|1,2,3,4,5,6|7"),
          QStringLiteral("error 2: 日付「平成30年2月29日」が正しい日付ではありません。")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(describe(DrawImport::readBytes(c.bytes)).join(QLatin1Char('\n')).toStdString(),
                  c.expected.join(QLatin1Char('\n')).toStdString());
    }
}

TEST(DrawImportReader, EveryRuleNamesTheLineAndTheReason)
{
    const QString text = QStringLiteral(
        "回,抽選日,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス数字\n"
        "2131,2026-12-03,3,11,19,27,33,41,8\n" // 2: fine
        "0,,1,2,3,4,5,6,7\n"                    // 3
        "x,,1,2,3,4,5,6,7\n"                    // 4
        "2133,,1,2,3,4,5,44,7\n"                // 5
        "2134,,0,2,3,4,5,6,7\n"                 // 6
        "2135,,1,2,3,4,5,5,7\n"                 // 7
        "2136,,1,2,3,4,5,6,6\n"                 // 8
        "2137,,1,2,3.5,4,5,6,7\n"               // 9
        "2138,2026-02-30,1,2,3,4,5,6,7\n"       // 10
        "2139,,1,2,3,4,5,6\n"                   // 11
        "2131,,1,2,3,4,5,6,7\n"                 // 12: 2131 again
        "2140,,1,2,3,4,5,6,\n"                  // 13
        "40000,,1,2,3,4,5,6,7\n");              // 14
    const DrawImport::ReadResult read = DrawImport::read(text);
    EXPECT_EQ(read.layout, DrawImport::ReadResult::Layout::Csv);
    ASSERT_EQ(read.draws.size(), 1u);
    EXPECT_EQ(describe(read.draws[0]), Draw2131);
    const QStringList expected = {
        QStringLiteral("error 3: 回「0」が正の整数ではありません。"),
        QStringLiteral("error 4: 回「x」が正の整数ではありません。"),
        QStringLiteral("error 5: 第6数字 44 が 1～43 の範囲にありません。"),
        QStringLiteral("error 6: 第1数字 0 が 1～43 の範囲にありません。"),
        QStringLiteral("error 7: 本数字 5 が2回あります。"),
        QStringLiteral("error 8: ボーナス数字 6 が本数字と同じです。"),
        QStringLiteral("error 9: 第3数字「3.5」が整数ではありません。"),
        QStringLiteral("error 10: 日付「2026-02-30」が正しい日付ではありません。"),
        QStringLiteral("error 11: 項目が足りません（8個）。"),
        QStringLiteral("error 12: 第2131回は 2 行目にもあります。"),
        QStringLiteral("error 13: ボーナス数字がありません。"),
        QStringLiteral("error 14: 回「40000」が大きすぎます（32767まで）。"),
    };
    EXPECT_EQ(describe(read).mid(1), expected);

    // A header without a needed column, and text that is no layout at all.
    EXPECT_EQ(describe(DrawImport::read(QStringLiteral("回,第1数字,第2数字\n1,2,3\n"))),
              QStringList{QStringLiteral("error 1: 見出しに「第3数字」「第4数字」「第5数字」「第6数字」「ボーナス数字」の列がありません。")});
    EXPECT_EQ(describe(DrawImport::read(QStringLiteral("\nこんにちは\n"))),
              QStringList{QStringLiteral("error 2: 当選データとして読めません（見出し行も「第N回」もありません）。")});
    EXPECT_EQ(describe(DrawImport::read(QStringLiteral("第5回 1 2 3 4 5\n"))),
              QStringList{QStringLiteral("error 1: 本数字が6個ありません（5個）。")});
}

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
        // The .bak is the file as it was; the Null and '' records are untouched.
        EXPECT_EQ(DrawFile::bytes(m_path + QStringLiteral(".bak")), m_before);
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
    const auto run = [&](QStringList args, const QByteArray &input = {}) {
        QProcess cli;
        cli.start(QStringLiteral(LOTO6_CLI), QStringList{QStringLiteral("import")} + args + QStringList{QStringLiteral("--db"), m_path});
        cli.write(input);
        cli.closeWriteChannel();
        cli.waitForFinished(60000);
        return std::make_pair(cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput() + cli.readAllStandardError()));
    };

    auto [status, output] = run({csv, QStringLiteral("--dry-run")});
    EXPECT_EQ(status, 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("追加 2 件、同一 0 件、相違 1 件、エラー 0 件"))) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("相違\t第3回\t15 16 17 18 19 20 (43)\t登録済み 15 16 17 18 19 20 (21)\t登録済みのままにします")));
    EXPECT_EQ(DrawFile::bytes(m_path), m_before);
    EXPECT_FALSE(QFile::exists(m_path + QStringLiteral(".bak")));

    std::tie(status, output) = run({csv, QStringLiteral("--overwrite"), QStringLiteral("--format"), QStringLiteral("json")});
    EXPECT_EQ(status, 0) << output.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(output.toUtf8()).object();
    EXPECT_EQ(json.value(QStringLiteral("added")).toInt(), 2);
    EXPECT_EQ(json.value(QStringLiteral("written")).toObject().value(QStringLiteral("overwritten")).toInt(), 1);
    EXPECT_TRUE(json.value(QStringLiteral("applied")).toBool());
    EXPECT_EQ(DrawFile::lines(m_path).mid(5), QStringList({QStringLiteral("6|1|2|3|4|5|6|7"), QStringLiteral("7|1|2|3|4|5|6|8")}));

    // Pasted text on standard input with a wrong block: refused by its line, exit 1.
    std::tie(status, output) = run({QStringLiteral("-")}, QStringLiteral("第9回 1 2 3 4 5 6 (7)\n\n第10回 1 2 3 4 5 44 (7)\n").toUtf8());
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(output.contains(QStringLiteral("エラー\t3 行目\t第6数字 44 が 1～43 の範囲にありません。"))) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("警告\t第8回がありません。")));
}
