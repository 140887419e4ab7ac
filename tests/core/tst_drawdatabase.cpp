// The draw database on disk: the files it refuses, the CSV round trip and
// the command-line tool over the bundled history.
#include "store/drawcsv.h"
#include "store/drawdatabase.h"
#include "store/globalbas.h"
#include "support/drawfile.h"
#include "version.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using DrawFile::bytes;

QString writeCsv(const QTemporaryDir &dir, const QString &text)
{
    const QString path = dir.filePath(QStringLiteral("draws.csv"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text.toUtf8());
    return path;
}

// A database of ours whose schema is built by hand, to take parts away.
void makeDatabase(const QString &path, const QString &key, const QString &schema)
{
    const Database db = Database::open(path, key, Database::Mode::Create);
    db.exec(schema);
}

const QString FullTable = QStringLiteral(
    "CREATE TABLE 結果マスタ (回数 INTEGER PRIMARY KEY, 第1数字 INTEGER, 第2数字 INTEGER, 第3数字 INTEGER, "
    "第4数字 INTEGER, 第5数字 INTEGER, 第6数字 INTEGER, ボーナス数字 INTEGER);"
    "INSERT INTO 結果マスタ VALUES (1, 1, 2, 3, 4, 5, 6, 7);");

} // namespace

TEST(DrawDatabase, TheFolderHoldsLoto6KermonMdbUnderASixDigitPassword)
{
    EXPECT_EQ(DrawDatabase::fileIn(QStringLiteral("/opt/ロト6")), QStringLiteral("/opt/ロト6/Loto6Kermon.mdb"));
    bool number = false;
    DrawDatabase::password().toInt(&number);
    EXPECT_TRUE(number);
    EXPECT_EQ(DrawDatabase::password().size(), 6);
}

TEST(DrawDatabase, RefusesWhatIsNotADrawDatabaseAndChangesNothing)
{
    struct Case
    {
        const char *name;
        std::function<void(const QString &path)> make;
        const char *says; // part of the message
    };
    const QString key = DrawDatabase::password();
    const std::vector<Case> cases = {
        {"missing file", [](const QString &) {}, "見つかりません"},
        {"wrong password", [&](const QString &p) { makeDatabase(p, QStringLiteral("999999"), FullTable); }, "パスワード"},
        {"plain unencrypted SQLite file", [&](const QString &p) { makeDatabase(p, QString(), FullTable); }, "パスワード"},
        {"a text file of that name", [](const QString &p) { ASSERT_TRUE(DrawFile::writeBytes(p, "回数,第1数字\n1,2\n")); }, "パスワード"},
        {"no view", [&](const QString &p) { makeDatabase(p, key, FullTable); }, "全データ選択クエリがありません"},
        {"a missing field",
         [&](const QString &p) {
             makeDatabase(p, key,
                          QStringLiteral("CREATE TABLE 結果マスタ (回数 INTEGER PRIMARY KEY, 第1数字 INTEGER, 第2数字 INTEGER, "
                                         "第3数字 INTEGER, 第4数字 INTEGER, 第5数字 INTEGER, 第6数字 INTEGER);"
                                         "CREATE VIEW 全データ選択クエリ AS SELECT * FROM 結果マスタ;"));
         },
         "ボーナス数字"},
        {"a number field holding x",
         [&](const QString &p) {
             makeDatabase(p, key, FullTable + QStringLiteral("CREATE VIEW 全データ選択クエリ AS SELECT * FROM 結果マスタ;"
                                                             "INSERT INTO 結果マスタ VALUES (2, 'x', 2, 3, 4, 5, 6, 7);"));
         },
         "型が一致しません"},
        {"a value beyond 16 bits",
         [&](const QString &p) {
             makeDatabase(p, key, FullTable + QStringLiteral("CREATE VIEW 全データ選択クエリ AS SELECT * FROM 結果マスタ;"
                                                             "INSERT INTO 結果マスタ VALUES (2, 1, 2, 3, 4, 5, 6, 70000);"));
         },
         "オーバーフロー"},
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(DrawDatabase::FileName);
        c.make(path);
        const QByteArray before = bytes(path);
        try {
            LoadDrawHistory(dir.path());
            ADD_FAILURE() << c.name << ": loaded";
        } catch (const DatabaseError &error) {
            EXPECT_TRUE(error.message().contains(path)) << c.name << ": " << error.message().toStdString();
            EXPECT_TRUE(error.message().contains(QString::fromUtf8(c.says)))
                << c.name << ": " << error.message().toStdString();
        }
        EXPECT_EQ(bytes(path), before) << c.name;
        EXPECT_EQ(QFile::exists(path), !before.isNull()) << c.name << ": the load created or removed the file";
    }
}

TEST(DrawCsv, CreateThenDumpGivesBackTheSameCsv)
{
    QTemporaryDir dir;
    const QString csv = QStringLiteral("回数,抽選日,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス数字\n"
                                       "1,2000-10-05,2,8,10,13,27,30,39\n"
                                       "2,,1,9,16,20,21,43,NULL\n"
                                       "3,NULL,1,,15,31,x,38,13\n"
                                       "5,\"a,b\",1,2,3,4,5,6,7\n");
    const QString db = dir.filePath(QStringLiteral("out.mdb"));
    DrawFile::createFromCsv(writeCsv(dir, csv), db, false);
    EXPECT_EQ(DrawCsv::dumpDatabase(db), csv);

    // Null and '' stay apart in the store as well.
    const Recordset records = DrawDatabase::readAll(Database::open(db, DrawDatabase::password(), Database::Mode::ReadOnly));
    ASSERT_EQ(records.RecordCount(), 4);
    EXPECT_TRUE(records[1].bonus().isNull());
    EXPECT_TRUE(records[2].number(2).isText() && records[2].number(2).textValue().isEmpty());
    EXPECT_EQ(records[2].number(5).textValue(), QStringLiteral("x"));
}

TEST(DrawCsv, RefusesToReplaceWithoutForceAndKeepsTheOldFileOnBadInput)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("out.mdb"));
    const QString good = writeCsv(dir, QStringLiteral("回数,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス数字\n1,1,2,3,4,5,6,7\n"));
    DrawFile::createFromCsv(good, db, false);
    const QByteArray before = bytes(db);
    EXPECT_THROW(DrawFile::createFromCsv(good, db, false), DatabaseError);

    const QString bad = writeCsv(dir, QStringLiteral("回数,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス数字\n1,1,2,3\n"));
    EXPECT_THROW(DrawFile::createFromCsv(bad, db, true), DatabaseError);
    EXPECT_EQ(bytes(db), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2); // no temporary file left
}

TEST(DrawCsv, RefusesWhatTheStoreCouldNotLoadNamingTheRow)
{
    // 回数 and the number of draws are 16-bit in the store and the windows,
    // which index their tables by 回数 from 1: a database beyond what they
    // show is not written at all.
    const QString head = QStringLiteral("回数,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス数字\n");
    QString manyRows = head;
    for (int n = 1; n <= 32768; ++n)
        manyRows += QStringLiteral("1,1,2,3,4,5,6,7\n");
    struct Case
    {
        QString text;
        const char *says;
    };
    const std::vector<Case> cases = {
        {head + QStringLiteral("1,1,2,3,4,5,6,7\n32764,1,2,3,4,5,6,7\n"), "3 行目: 回数「32764」は読み込める範囲（32763 まで）"},
        {head + QStringLiteral("-32769,1,2,3,4,5,6,7\n"), "2 行目: 回数「-32769」"},
        {head + QStringLiteral("1,1,2,3,4,5,6,7\n0,1,2,3,4,5,6,7\n"), "3 行目: 回数「0」は 1 以上の整数にしてください"},
        {head + QStringLiteral("-1,1,2,3,4,5,6,7\n"), "2 行目: 回数「-1」は 1 以上の整数にしてください"},
        {manyRows, "32765 行目: 当選データが読み込める件数（32763 件）"},
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("out.mdb"));
        try {
            DrawFile::createFromCsv(writeCsv(dir, c.text), db, false);
            ADD_FAILURE() << c.says;
        } catch (const DatabaseError &error) {
            EXPECT_TRUE(error.message().contains(QString::fromUtf8(c.says))) << error.message().toStdString();
        }
        EXPECT_FALSE(QFile::exists(db));
    }
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("out.mdb"));
    DrawFile::createFromCsv(writeCsv(dir, head + QStringLiteral("32763,1,2,3,4,5,6,7\n")), db, false);
    EXPECT_EQ(loadDrawHistoryFrom(db).LastDrawNo, 32763);
}

TEST(Cli, ExportAllIsTheSingleExportsInListOrder)
{
    auto run = [](const QStringList &args) {
        QProcess cli;
        cli.start(QStringLiteral(LOTO6_CLI), args);
        cli.waitForFinished(120000);
        EXPECT_EQ(cli.exitCode(), 0) << args.join(QLatin1Char(' ')).toStdString();
        return cli.readAllStandardOutput();
    };
    const QStringList reflect{QStringLiteral("--reflect"), QStringLiteral("0,3,11")};
    const QList<QByteArray> windows = run({QStringLiteral("list")}).trimmed().split('\n');
    ASSERT_GE(windows.size(), 18);
    QByteArray json = "[\n";
    QByteArray csv;
    for (const QByteArray &name : windows) {
        const QString window = QString::fromUtf8(name);
        QByteArray single = run(QStringList{QStringLiteral("export"), window} + reflect);
        single.chop(1); // its line end; the array puts ",\n" between objects
        json += (json.size() > 2 ? ",\n" : "") + single;
        csv += (csv.isEmpty() ? "" : "\n") + name + '\n'
            + run(QStringList{QStringLiteral("export"), window, QStringLiteral("--format"), QStringLiteral("csv")} + reflect);
    }
    json += "\n]\n";
    EXPECT_TRUE(run(QStringList{QStringLiteral("export"), QStringLiteral("--all")} + reflect) == json);
    EXPECT_TRUE(run(QStringList{QStringLiteral("export"), QStringLiteral("--all"), QStringLiteral("--format"),
                                QStringLiteral("csv")} + reflect) == csv);
}

TEST(Cli, SummaryOfTheBundledHistory)
{
    QProcess cli;
    cli.start(QStringLiteral(LOTO6_CLI), {QStringLiteral("summary")});
    ASSERT_TRUE(cli.waitForFinished(60000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const QString out = QString::fromUtf8(cli.readAllStandardOutput());
    EXPECT_TRUE(out.startsWith(QStringLiteral("{\"LastDrawNo\":2130,\"NumberTotal\":["))) << out.left(80).toStdString();
    const qsizetype open = out.indexOf(QLatin1Char('[')) + 1;
    const QStringList totals = out.mid(open, out.indexOf(QLatin1Char(']')) - open).split(QLatin1Char(','));
    ASSERT_EQ(totals.size(), 43);
    int sum = 0;
    for (const QString &t : totals)
        sum += t.toInt();
    EXPECT_EQ(sum, 7 * 2130);
}

TEST(Cli, ExitStatusTellsUsageFromFailure)
{
    struct Case
    {
        QStringList args;
        int status;
    };
    const std::vector<Case> cases = {
        {{QStringLiteral("no-such-command")}, 2},
        {{QStringLiteral("export")}, 2},
        {{QStringLiteral("export"), QStringLiteral("出現頻度分析"), QStringLiteral("--format"), QStringLiteral("xml")}, 2},
        {{QStringLiteral("summary"), QStringLiteral("--db"), QStringLiteral("/nonexistent/Loto6Kermon.mdb")}, 1},
        {{QStringLiteral("list")}, 0},
    };
    for (const Case &c : cases) {
        QProcess cli;
        cli.start(QStringLiteral(LOTO6_CLI), c.args);
        ASSERT_TRUE(cli.waitForFinished(60000));
        EXPECT_EQ(cli.exitCode(), c.status) << c.args.join(QLatin1Char(' ')).toStdString();
    }
}

// Asked for help or the version, both programs answer on stdout with success,
// without a display and without touching a database; nothing goes to stderr.
TEST(Cli, HelpAndVersionAnswerOnStandardOutput)
{
    struct Case
    {
        const char *program;
        QStringList args;
        QByteArray starts; // the whole output when it ends with a line break
    };
    const QByteArray cliUsage = "使い方 / usage: loto6kermon-cli COMMAND";
    const QByteArray programUsage = "使い方 / usage: loto6kermon [";
    const std::vector<Case> cases = {
        {LOTO6_CLI, {QStringLiteral("--help")}, cliUsage},
        {LOTO6_CLI, {QStringLiteral("-h")}, cliUsage},
        {LOTO6_CLI, {QStringLiteral("help")}, cliUsage},
        {LOTO6_CLI, {QStringLiteral("--version")}, QByteArray("loto6kermon-cli ") + ProgramVersion + '\n'},
        {LOTO6_PROGRAM, {QStringLiteral("--help")}, programUsage},
        {LOTO6_PROGRAM, {QStringLiteral("-h")}, programUsage},
        {LOTO6_PROGRAM, {QStringLiteral("--version")}, QByteArray("loto6kermon ") + ProgramVersion + '\n'},
    };
    QTemporaryDir home;
    QProcessEnvironment bare;
    bare.insert(QStringLiteral("HOME"), home.path());
    bare.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    for (const Case &c : cases) {
        const std::string what = QString::fromUtf8(c.program).section(QLatin1Char('/'), -1).toStdString() + ' '
            + c.args.join(QLatin1Char(' ')).toStdString();
        QProcess process;
        process.setProcessEnvironment(bare);
        process.setWorkingDirectory(home.path());
        process.start(QString::fromUtf8(c.program), c.args);
        ASSERT_TRUE(process.waitForFinished(60000)) << what;
        const QByteArray out = process.readAllStandardOutput();
        EXPECT_EQ(process.exitCode(), 0) << what;
        EXPECT_TRUE(out.startsWith(c.starts)) << what << ": " << out.left(120).toStdString();
        if (c.starts.endsWith('\n')) {
            EXPECT_EQ(out, c.starts) << what;
        }
        EXPECT_EQ(process.readAllStandardError(), QByteArray()) << what;
    }
    EXPECT_EQ(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

// A database that does not load still gives scripts JSON on stdout.
TEST(Cli, ExportOfADatabaseThatDoesNotLoadPrintsTheErrorAsJson)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("Loto6Kermon.mdb"));
    ASSERT_TRUE(DrawFile::writeBytes(db, "not a database\n"));
    for (const QString &window : {QStringLiteral("出現頻度分析"), QStringLiteral("一発ケルモン予想")}) {
        QProcess cli;
        cli.start(QStringLiteral(LOTO6_CLI), {QStringLiteral("export"), window, QStringLiteral("--db"), db});
        ASSERT_TRUE(cli.waitForFinished(60000));
        const QJsonObject answer = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
        EXPECT_EQ(cli.exitCode(), 1);
        EXPECT_EQ(answer.value(QStringLiteral("window")).toString(), window);
        EXPECT_TRUE(answer.value(QStringLiteral("error")).toString().contains(db));
        EXPECT_FALSE(cli.readAllStandardError().isEmpty());
    }
}
