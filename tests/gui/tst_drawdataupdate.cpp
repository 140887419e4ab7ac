// The draw data update against a real HTTP server on 127.0.0.1: the routine
// itself, the command line and the menu item of the main window.

#include "app/gui/mainfrm.h"
#include "maintenance/drawdataupdate.h"
#include "maintenance/gui/drawresultseditor.h"
#include "maintenance/gui/updateprogressdialog.h"
#include "store/drawdatabase.h"
#include "store/globalbas.h"
#include "support/drawfile.h"
#include "support/fixtures.h"
#include "support/history.h"
#include "support/httptestserver.h"
#include "store/drawcsv.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

#include <sys/stat.h>

using DrawDataUpdate::Status;
using Reply = HttpTestServer::Reply;

namespace {

QByteArray readFile(const QString &path)
{
    return DrawFile::bytes(path);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QVERIFY(DrawFile::writeBytes(path, bytes));
}

enum class Kind { Draws, WrongKey, NoQuery, LetterInLastDraw };

// Where a failed download comes from.
enum Source { Server, ClosedPort, FileUrl };

// The bytes of a database file of the given kind, made through a scratch file.
QByteArray databaseBytes(int draws, Kind kind = Kind::Draws)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("scratch.mdb"));
    {
        const Database db = Database::open(path, kind == Kind::WrongKey ? QStringLiteral("111111") : DrawDatabase::password(),
                                           Database::Mode::Create);
        if (kind == Kind::NoQuery) {
            db.exec(QStringLiteral("CREATE TABLE 結果マスタ (回数 INTEGER PRIMARY KEY)"));
        } else {
            DrawDatabase::createSchema(db, false);
            db.begin();
            std::vector<DrawRecord> records = TestHistory::generated(draws);
            if (kind == Kind::LetterInLastDraw)
                records.back().numbers[0] = Field(QStringLiteral("abc"));
            for (const DrawRecord &record : records)
                DrawDatabase::insert(db, record, false);
            db.commit();
        }
    }
    return readFile(path);
}

// Databases are slow to make (the key is stretched): each size is made once.
const QByteArray &oldDatabase()
{
    static const QByteArray bytes = databaseBytes(300);
    return bytes;
}
const QByteArray &newerDatabase()
{
    static const QByteArray bytes = databaseBytes(2000);
    return bytes;
}
const QByteArray &shorterDatabase()
{
    static const QByteArray bytes = databaseBytes(5);
    return bytes;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

QString targetIn(const QTemporaryDir &dir)
{
    return dir.filePath(DrawDatabase::FileName);
}

bool waitForProcess(QProcess &process)
{
    // The server answers from this thread's event loop, so wait by spinning it.
    QSignalSpy finished(&process, &QProcess::finished);
    return finished.wait(60000);
}

} // namespace

class TestDrawDataUpdate : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(shorterDatabase().size() < oldDatabase().size());
        QVERIFY(oldDatabase().size() < newerDatabase().size());
    }

    void update_data()
    {
        QTest::addColumn<int>("reply");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("messagePart");

        const QByteArray newer = newerDatabase();
        const int updated = int(Status::Updated);
        const int failed = int(Status::DownloadFailed);
        const int refused = int(Status::Refused);
        const QString done = QStringLiteral("当選データを最新化しました。");

        QTest::newRow("newer database") << int(Reply::Body) << newer << updated << done;
        QTest::newRow("older database") << int(Reply::Body) << shorterDatabase() << int(Status::Older)
                                        << QStringLiteral("ダウンロードした当選データ（第5回まで）は、いまの当選データ（第300回まで）より古いため");
        QTest::newRow("no Content-Length") << int(Reply::NoContentLength) << newer << updated << done;
        QTest::newRow("404") << int(Reply::NotFound) << QByteArray() << failed << QStringLiteral("HTTP 404");
        QTest::newRow("dropped mid-body") << int(Reply::DropMidBody) << newer << failed
                                          << QStringLiteral("途中で接続が切れました");
        QTest::newRow("HTML page") << int(Reply::Body)
                                   << QByteArray("<!DOCTYPE html>\n<html><head><title>Proxy error</title></head>"
                                                 "<body>502 Bad Gateway</body></html>")
                                   << refused << QStringLiteral("HTMLページ");
        QTest::newRow("zero bytes") << int(Reply::Body) << QByteArray() << refused << QStringLiteral("0 バイト");
        QTest::newRow("truncated, no Content-Length") << int(Reply::NoContentLength) << newer.left(newer.size() / 2)
                                                      << refused << QStringLiteral("壊れている");
        QTest::newRow("last pages missing") << int(Reply::Body) << newer.left(newer.size() - 3 * 1024) << refused
                                            << QStringLiteral("壊れている");
        QByteArray damaged = newer;
        damaged[damaged.size() / 2] = char(damaged[damaged.size() / 2] ^ 0xff);
        QTest::newRow("damaged page, full length") << int(Reply::Body) << damaged << refused
                                                   << QStringLiteral("途中で切れています");
        QTest::newRow("cut inside the first page") << int(Reply::Body) << newer.left(700) << refused
                                                   << QStringLiteral("当選データファイルではありません");
        QTest::newRow("other password") << int(Reply::Body) << databaseBytes(20, Kind::WrongKey) << refused
                                        << QStringLiteral("パスワードが違う");
        QTest::newRow("without 全データ選択クエリ") << int(Reply::Body) << databaseBytes(0, Kind::NoQuery) << refused
                                             << QStringLiteral("全データ選択クエリ");
        QTest::newRow("letters the start cannot load") << int(Reply::Body) << databaseBytes(300, Kind::LetterInLastDraw)
                                                       << refused << QStringLiteral("回数 300 の第1数字「abc」 型が一致しません。");
        QTest::newRow("junk after the database") << int(Reply::Body) << newer + QByteArray(5000, 'j') << updated << done;
    }

    // Whatever the server does, the database is either the served file byte
    // for byte (the old one kept as .bak) or exactly what it was, with no
    // stray file left beside it.
    void update()
    {
        QFETCH(int, reply);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QString, messagePart);

        QTemporaryDir dir;
        const QString target = targetIn(dir);
        writeFile(target, oldDatabase());
        writeFile(target + QStringLiteral(".download-leftOfAKilledUpdate"), body); // removed by the update
        HttpTestServer server;
        QVERIFY(server.isListening());
        server.serve(Reply(reply), body);

        const DrawDataUpdate::Result result = DrawDataUpdate::update(server.url(), target);

        QCOMPARE(int(result.status), status);
        QVERIFY2(result.message.contains(messagePart), qPrintable(result.message));
        // One request. Where the body ends with the connection, Qt's HTTP
        // layer sometimes sees the close before the reply it ends and sends
        // the GET once more on a new connection; the result must not differ.
        if (Reply(reply) == Reply::NoContentLength)
            QVERIFY2(server.requests() == 1 || server.requests() == 2, qPrintable(QString::number(server.requests())));
        else
            QCOMPARE(server.requests(), 1);
        QCOMPARE(server.lastRequestLine(), QByteArray("GET /download/Loto6Kermon/Loto6Kermon.mdb HTTP/1.1"));
        if (result.succeeded()) {
            QCOMPARE(readFile(target), body.left(body.startsWith(newerDatabase()) ? newerDatabase().size() : body.size()));
            QCOMPARE(readFile(target + QStringLiteral(".bak")), oldDatabase());
            QCOMPARE(entries(dir.path()), (QStringList{QStringLiteral("Loto6Kermon.mdb"), QStringLiteral("Loto6Kermon.mdb.bak")}));
        } else {
            QVERIFY(result.message.contains(QStringLiteral("当選データファイルは変更していません。")));
            QVERIFY(readFile(target) == oldDatabase());
            QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("Loto6Kermon.mdb")});
        }
    }

    // Silence trips the stall time-out; a drip of a byte every 20 ms does not,
    // and ends at the deadline. A compressed answer that unpacks to more than
    // the limit is refused as too large (a zlib stream of zeros: 40 MB in
    // 40 KB), and a URL that is not HTTP as such.
    void failedConnections_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("reply");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("messagePart");
        const int failed = int(Status::DownloadFailed);
        QTest::newRow("no answer") << int(Server) << int(Reply::Silent) << failed << QStringLiteral("0.3 秒間応答しませんでした");
        QTest::newRow("nothing listening") << int(ClosedPort) << int(Reply::Silent) << failed << QStringLiteral("接続できません");
        QTest::newRow("slow drip") << int(Server) << int(Reply::Drip) << failed << QStringLiteral("1.2 秒以内に終わりませんでした");
        QTest::newRow("compression bomb") << int(Server) << int(Reply::Deflated) << int(Status::Refused)
                                          << QStringLiteral("16 MB を超えています");
        QTest::newRow("file URL") << int(FileUrl) << int(Reply::Body) << failed << QStringLiteral("からはダウンロードできません");
    }

    void failedConnections()
    {
        QFETCH(int, source);
        QFETCH(int, reply);
        QFETCH(int, status);
        QFETCH(QString, messagePart);
        QTemporaryDir dir;
        const QString target = targetIn(dir);
        writeFile(target, oldDatabase());
        HttpTestServer server;
        const bool bomb = Reply(reply) == Reply::Deflated;
        server.serve(Reply(reply), bomb ? qCompress(QByteArray(40 * 1024 * 1024, '\0'), 9).mid(4) : newerDatabase());
        DrawDataUpdate::TransferOptions options;
        // Unpacking takes its time on a busy machine; Qt's own check never ended the transfer at all.
        options.stallTimeout = std::chrono::milliseconds(bomb ? 10000 : 300);
        options.deadline = std::chrono::milliseconds(bomb ? 60000 : 1200);
        options.maxBytes = 16 * 1024 * 1024;
        const QUrl url = source == Server ? server.url()
            : source == ClosedPort        ? HttpTestServer::closedPortUrl()
                                          : QUrl::fromLocalFile(target);

        const DrawDataUpdate::Result result = DrawDataUpdate::update(url, target, options);

        QCOMPARE(int(result.status), status);
        QVERIFY2(result.message.contains(messagePart), qPrintable(result.message));
        QVERIFY(readFile(target) == oldDatabase());
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("Loto6Kermon.mdb")});
    }

    void missingTargetCreatesNothing()
    {
        QTemporaryDir dir;
        const QString target = targetIn(dir);
        HttpTestServer server;
        server.serve(Reply::Body, newerDatabase());

        const DrawDataUpdate::Result result = DrawDataUpdate::update(server.url(), target);

        QCOMPARE(int(result.status), int(Status::TargetMissing));
        QCOMPARE(result.message, QStringLiteral("当選データファイル：'") + QDir(dir.path()).absoluteFilePath(QStringLiteral("Loto6Kermon.mdb"))
                                     + QStringLiteral("'が存在しません"));
        QVERIFY(entries(dir.path()).isEmpty());
    }

    // The store keeps what it loaded at start-up, its connection still open on
    // the replaced file; the next start sees the new draws.
    void storeKeepsStartUpHistory()
    {
        QTemporaryDir dir;
        writeFile(targetIn(dir), oldDatabase());
        const DrawHistoryStore store = LoadDrawHistory(dir.path());
        QCOMPARE(store.LastDrawNo, qint16(300));
        HttpTestServer server;
        server.serve(Reply::Body, newerDatabase());

        QCOMPARE(int(DrawDataUpdate::update(server.url(), targetIn(dir)).status), int(Status::Updated));

        QCOMPARE(store.LastDrawNo, qint16(300));
        QCOMPARE(store.DrawRecordset.RecordCount(), 300);
        QCOMPARE(DrawDatabase::readAll(*store.connection).RecordCount(), 300);
        QCOMPARE(LoadDrawHistory(dir.path()).LastDrawNo, qint16(2000));
    }

    void commandLine_data()
    {
        QTest::addColumn<int>("reply");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        const QString done = QStringLiteral("当選データを最新化しました。\n元のファイルは %1 に残しました。\n");
        QTest::newRow("newer database") << int(Reply::Body) << newerDatabase() << QStringList() << 0 << done;
        QTest::newRow("404") << int(Reply::NotFound) << newerDatabase() << QStringList() << 1 << QStringLiteral("HTTP 404");
        QTest::newRow("dropped mid-body") << int(Reply::DropMidBody) << newerDatabase() << QStringList() << 1
                                          << QStringLiteral("途中で接続が切れました");
        QTest::newRow("older database") << int(Reply::Body) << shorterDatabase() << QStringList() << 1
                                        << QStringLiteral("より古いため、置き換えませんでした。\n当選データファイルは変更していません。\n"
                                                          "古いデータで置き換えるには --force を付けてください。");
        QTest::newRow("older database, --force") << int(Reply::Body) << shorterDatabase() << QStringList{QStringLiteral("--force")}
                                                 << 0 << done;
    }

    void commandLine()
    {
        QFETCH(int, reply);
        QFETCH(QByteArray, body);
        QFETCH(QStringList, extra);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/loto6kermon-cli");
        QVERIFY2(QFile::exists(cli), "loto6kermon-cli is built beside the tests");
        QTemporaryDir dir;
        const QString target = targetIn(dir);
        writeFile(target, oldDatabase());
        HttpTestServer server;
        server.serve(Reply(reply), body);

        QProcess process;
        process.start(cli, QStringList{QStringLiteral("update"), QStringLiteral("--url"), server.url().toString(),
                                       QStringLiteral("--db"), target} + extra);
        QVERIFY(waitForProcess(process));

        QCOMPARE(process.exitCode(), exitCode);
        const QString stdOut = QString::fromUtf8(process.readAllStandardOutput());
        const QString stdErr = QString::fromUtf8(process.readAllStandardError());
        if (exitCode == 0) {
            QCOMPARE(stdOut, output.arg(target + QStringLiteral(".bak")));
            QVERIFY(readFile(target) == body);
            QVERIFY(readFile(target + QStringLiteral(".bak")) == oldDatabase());
        } else {
            QVERIFY2(stdErr.contains(output), qPrintable(stdErr));
            QVERIFY(stdOut.isEmpty());
            QVERIFY(readFile(target) == oldDatabase());
        }
    }

    void commandLineMissingDatabase()
    {
        const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/loto6kermon-cli");
        QTemporaryDir dir;
        HttpTestServer server;
        server.serve(Reply::Body, newerDatabase());
        QProcess process;
        process.start(cli, {QStringLiteral("update"), QStringLiteral("--url"), server.url().toString(),
                            QStringLiteral("--db"), targetIn(dir)});
        QVERIFY(waitForProcess(process));
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(process.readAllStandardError()),
                 QStringLiteral("当選データファイル：'%1'が存在しません\n").arg(targetIn(dir)));
        QVERIFY(entries(dir.path()).isEmpty());
    }

    // The menu item once through the real main window: the question first,
    // then the boxes it shows, the file it replaces and the history the
    // windows follow.
    void menuItem()
    {
        QTemporaryDir dir;
        writeFile(targetIn(dir), oldDatabase());
        MainFrm frame(dir.path());
        QList<MessageRequest> shown;
        QMessageBox::StandardButton answer = QMessageBox::No;
        frame.setMessagePresenter([&](QWidget *, const MessageRequest &request) {
            shown << request;
            return request.buttons.testFlag(QMessageBox::Yes) ? answer : QMessageBox::Ok;
        });
        QVERIFY(frame.load());
        HttpTestServer server;
        frame.setDownloadUrl(server.url());
        auto *action = frame.findChild<QAction *>(QStringLiteral("mnuMasterUpdate"));
        QVERIFY(action);
        const auto asked = [&](qsizetype at) {
            return shown.size() > at && shown[at].icon == QMessageBox::Warning && shown[at].title == Messages::ProgramTitle
                && shown[at].buttons == (QMessageBox::Yes | QMessageBox::No) && shown[at].defaultButton == QMessageBox::No
                && shown[at].text
                == QStringLiteral("当選データを最新のものに置き換えます。入力・取込したデータは置き換わります"
                                  "（元のファイルは Loto6Kermon.mdb.bak に残します）。よろしいですか？");
        };

        // No (also the default): nothing is fetched, nothing replaced.
        server.serve(Reply::Body, newerDatabase());
        action->trigger();
        QCOMPARE(shown.size(), 1);
        QVERIFY(asked(0));
        QCOMPARE(server.requests(), 0);
        QVERIFY(readFile(targetIn(dir)) == oldDatabase());
        QVERIFY(!QFile::exists(targetIn(dir) + QStringLiteral(".bak")));

        answer = QMessageBox::Yes;
        shown.clear();
        action->trigger();
        QCOMPARE(shown.size(), 2);
        QVERIFY(asked(0));
        QCOMPARE(shown[1].text, QStringLiteral("当選データを最新化しました。\n元のファイルは %1 に残しました。")
                                    .arg(targetIn(dir) + QStringLiteral(".bak")));
        QCOMPARE(shown[1].title, Messages::ProgramTitle);
        QCOMPARE(shown[1].icon, QMessageBox::NoIcon);
        QCOMPARE(shown[1].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(readFile(targetIn(dir)) == newerDatabase());
        QVERIFY(readFile(targetIn(dir) + QStringLiteral(".bak")) == oldDatabase());
        QCOMPARE(frame.store().LastDrawNo, qint16(2000));
        QCOMPARE(frame.cursor().shape(), Qt::ArrowCursor);

        server.serve(Reply::NotFound);
        shown.clear();
        action->trigger();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[1].icon, QMessageBox::Critical);
        QCOMPARE(shown[1].title, Messages::ErrorTitle);
        QVERIFY(shown[1].text.contains(QStringLiteral("HTTP 404")));
        QVERIFY(readFile(targetIn(dir)) == newerDatabase());
        QCOMPARE(frame.cursor().shape(), Qt::ArrowCursor);

        QFile::remove(targetIn(dir));
        server.serve(Reply::Body, newerDatabase());
        shown.clear();
        action->trigger();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[1].text, QStringLiteral("当選データファイル：'") + targetIn(dir) + QStringLiteral("'が存在しません"));
        QCOMPARE(shown[1].icon, QMessageBox::NoIcon);
        QVERIFY(!QFile::exists(targetIn(dir)));
    }

    // While the editor is open the update is refused (the editor would go on
    // writing to the replaced file); the dialog's キャンセル changes nothing.
    void menuItemRefusedWhileEditingAndCancelledFromItsDialog()
    {
        QTemporaryDir dir;
        writeFile(targetIn(dir), oldDatabase());
        MainFrm frame(dir.path());
        QList<MessageRequest> shown;
        frame.setMessagePresenter([&shown](QWidget *, const MessageRequest &request) {
            shown << request;
            return request.buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
        });
        QVERIFY(frame.load());
        HttpTestServer server;
        frame.setDownloadUrl(server.url());
        server.serve(Reply::Drip, newerDatabase());
        frame.mdiArea()->closeAllSubWindows();
        frame.findChild<QAction *>(QStringLiteral("mnuMasterInput"))->trigger();
        QVERIFY(frame.childWindow(DrawResultsEditor::ClassName));
        auto *update = frame.findChild<QAction *>(QStringLiteral("mnuMasterUpdate"));
        update->trigger();
        QCOMPARE(shown.last().text, QStringLiteral("当選データ入力を閉じてから当選データ最新化を実行してください。"));
        QCOMPARE(server.requests(), 0);

        frame.mdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const CancelWhenReceiving cancel(frame);
        update->trigger();
        QVERIFY2(cancel.seen.contains(QStringLiteral("全 %L1 バイト").arg(newerDatabase().size())), qPrintable(cancel.seen));
        QVERIFY(shown.last().text.startsWith(QStringLiteral("当選データの最新化を中止しました。")));
        QVERIFY(readFile(targetIn(dir)) == oldDatabase());
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("Loto6Kermon.mdb")});
    }

    // A download older than the database is put to the user first, No the
    // default, once the progress dialog is gone: No keeps the database as
    // it is, Yes replaces it all the same.
    void menuItemAsksBeforeAnOlderDownload()
    {
        QTemporaryDir dir;
        writeFile(targetIn(dir), oldDatabase());
        MainFrm frame(dir.path());
        QList<MessageRequest> shown;
        QMessageBox::StandardButton olderAnswer = QMessageBox::No;
        bool progressShownWhileAsked = false;
        const QString question = QStringLiteral("ダウンロードした当選データは第5回までで、いまの当選データ（第300回まで）より古いものです。"
                                                "置き換えると第6回から第300回までのデータがなくなります（元のファイルは .bak として残します）。"
                                                "古いデータで置き換えますか？");
        frame.setMessagePresenter([&](QWidget *, const MessageRequest &request) {
            shown << request;
            if (!request.buttons.testFlag(QMessageBox::Yes))
                return QMessageBox::Ok;
            if (request.text != question)
                return QMessageBox::Yes;
            const auto *progress = frame.findChild<QProgressDialog *>(UpdateProgressDialog::ObjectName);
            progressShownWhileAsked = progress && progress->isVisible();
            return olderAnswer;
        });
        QVERIFY(frame.load());
        HttpTestServer server;
        frame.setDownloadUrl(server.url());
        server.serve(Reply::Body, shorterDatabase());
        auto *action = frame.findChild<QAction *>(QStringLiteral("mnuMasterUpdate"));

        action->trigger();
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown[1].text, question);
        QCOMPARE(shown[1].defaultButton, QMessageBox::No);
        QCOMPARE(shown[1].icon, QMessageBox::Warning);
        QVERIFY(!progressShownWhileAsked);
        QCOMPARE(shown[2].icon, QMessageBox::NoIcon);
        QVERIFY2(shown[2].text.contains(QStringLiteral("置き換えませんでした")), qPrintable(shown[2].text));
        QVERIFY(readFile(targetIn(dir)) == oldDatabase());
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("Loto6Kermon.mdb")});
        QCOMPARE(frame.store().LastDrawNo, qint16(300));

        olderAnswer = QMessageBox::Yes;
        shown.clear();
        action->trigger();
        QCOMPARE(shown.size(), 3);
        QVERIFY2(shown[2].text.startsWith(QStringLiteral("当選データを最新化しました。")), qPrintable(shown[2].text));
        QVERIFY(readFile(targetIn(dir)) == shorterDatabase());
        QVERIFY(readFile(targetIn(dir) + QStringLiteral(".bak")) == oldDatabase());
        QCOMPARE(frame.store().LastDrawNo, qint16(5));
    }

    // The import and the update as two programs against each other, thirty
    // times with their starts a little apart. Whatever the order, the .bak
    // is the file as it was before the last write that happened (never a
    // second name of the live database), and each program's report holds
    // for the files: the update replaces, or the import adds its draws to
    // the file it finds, or both, one after the other.
    void importRacingTheUpdate()
    {
        const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/loto6kermon-cli");
        QTemporaryDir scratch;
        const QString start = scratch.filePath(QStringLiteral("start.mdb"));
        const QString newer = scratch.filePath(QStringLiteral("newer.mdb"));
        writeFile(start, oldDatabase());
        writeFile(newer, newerDatabase());
        const QStringList before = DrawFile::lines(start);
        const QStringList downloaded = DrawFile::lines(newer);
        std::vector<DrawRecord> imported = TestHistory::generated(100, 77u);
        for (DrawRecord &record : imported)
            record.drawNo = Field(record.drawNo.integer() + 2000);
        const QString csv = scratch.filePath(QStringLiteral("import.csv"));
        writeFile(csv, DrawCsv::write({false, imported}).toUtf8());
        QStringList importedLines;
        for (const DrawRecord &record : imported)
            importedLines << DrawFile::line(record);
        HttpTestServer server;
        server.serve(Reply::Body, newerDatabase());
        const auto sorted = [](QStringList lines) {
            lines.sort();
            return lines;
        };
        const auto inode = [](const QString &path) {
            struct stat info{};
            return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : ino_t(0);
        };

        for (int run = 0; run < 30; ++run) {
            QTemporaryDir dir;
            const QString target = targetIn(dir);
            writeFile(target, oldDatabase());
            QProcess update;
            QProcess import;
            const std::function<void()> startUpdate = [&] {
                update.start(cli, {QStringLiteral("update"), QStringLiteral("--url"), server.url().toString(), QStringLiteral("--db"), target});
            };
            const std::function<void()> startImport = [&] {
                import.start(cli, {QStringLiteral("import"), csv, QStringLiteral("--db"), target, QStringLiteral("--ledger"),
                                   dir.filePath(QStringLiteral("ledger.db"))});
            };
            // Either one first, the other 0 … 200 ms later.
            (run % 2 ? startImport : startUpdate)();
            QTest::qWait(40 * (run / 2 % 6));
            (run % 2 ? startUpdate : startImport)();
            QTRY_VERIFY_WITH_TIMEOUT(update.state() == QProcess::NotRunning && import.state() == QProcess::NotRunning, 120000);

            const QString which = QStringLiteral("run %1: update %2 %3, import %4 %5")
                                      .arg(run)
                                      .arg(update.exitCode())
                                      .arg(QString::fromUtf8(update.readAllStandardError()))
                                      .arg(import.exitCode())
                                      .arg(QString::fromUtf8(import.readAllStandardError()));
            const QStringList live = sorted(DrawFile::lines(target));
            const QStringList kept = sorted(DrawFile::lines(target + QStringLiteral(".bak")));
            QVERIFY2(inode(target) != inode(target + QStringLiteral(".bak")), qPrintable(which));
            const bool updated = update.exitCode() == 0;
            const bool added = import.exitCode() == 0;
            if (updated && added) { // the update first, then the import into the new file
                QVERIFY2(live == sorted(downloaded + importedLines), qPrintable(which));
                QVERIFY2(kept == sorted(downloaded), qPrintable(which));
            } else if (updated) {
                QVERIFY2(live == sorted(downloaded), qPrintable(which));
                QVERIFY2(kept == sorted(before), qPrintable(which));
            } else {
                QVERIFY2(added, qPrintable(which)); // one of them gets through
                QVERIFY2(live == sorted(before + importedLines), qPrintable(which));
                QVERIFY2(kept == sorted(before), qPrintable(which));
            }
        }
    }

    void defaultUrlIsTheProvidersPath()
    {
        const QUrl url = DrawDataUpdate::defaultUrl();
        QVERIFY(url.isValid());
        QCOMPARE(url.scheme(), QStringLiteral("http"));
        QCOMPARE(url.path(), QStringLiteral("/download/Loto6Kermon/Loto6Kermon.mdb"));
        QVERIFY(!url.host().isEmpty());
    }
};

QTEST_MAIN(TestDrawDataUpdate)
#include "tst_drawdataupdate.moc"
