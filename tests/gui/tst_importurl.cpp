// 当選データ取込 from a web address against a real HTTP server on 127.0.0.1:
// results pages in UTF-8 and Shift_JIS, a page listing several draws, a
// CSV, a page without draws, a slow page cancelled and a redirect loop, in
// the window and through loto6kermon-cli, whose draws must be those of the
// same content imported from a file; and the offer of this import when the
// update's server cannot be reached.
#include "app/gui/mainfrm.h"
#include "maintenance/gui/drawimportwindow.h"
#include "maintenance/recentaddresses.h"
#include "store/textencoding.h"
#include "support/drawfile.h"
#include "support/fixtures.h"
#include "support/httptestserver.h"

#include <QAction>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

using Reply = HttpTestServer::Reply;

namespace {

// A results page with the numbers in table cells, between a menu and a
// footer, as results sites print one draw.
QString resultPage(const QString &charset)
{
    return QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"ja\"><head><meta charset=\"%1\"><title>ロト6 第2131回 当せん番号</title></head>\n<body>\n"
               "<nav><ul><li><a href=\"/\">ホーム</a></li><li><a href=\"/loto6/\">ロト6</a></li></ul></nav>\n"
               "<h1>ロト6 当せん番号</h1>\n<table class=\"result\">\n"
               "<tr><th>回別</th><td colspan=\"6\">第2131回</td></tr>\n"
               "<tr><th>抽せん日</th><td colspan=\"6\">2026年12月3日</td></tr>\n"
               "<tr><th>本数字</th><td>03</td><td>11</td><td>19</td><td>27</td><td>33</td><td>41</td></tr>\n"
               "<tr><th>ボーナス数字</th><td colspan=\"6\">(08)</td></tr>\n"
               "<tr><th>1等</th><td colspan=\"3\">該当なし</td><td colspan=\"3\">該当なし</td></tr>\n"
               "<tr><th>2等</th><td colspan=\"3\">6口</td><td colspan=\"3\">10,234,500円</td></tr>\n"
               "<tr><th>3等</th><td colspan=\"3\">250口</td><td colspan=\"3\">312,300円</td></tr>\n"
               "<tr><th>キャリーオーバー</th><td colspan=\"6\">1,234,567,890円</td></tr>\n</table>\n"
               "<p>&copy; 2000-2026 ロト6 &amp; ミニロト 情報室</p>\n</body></html>\n")
        .arg(charset);
}

// What a reader copies out of that page.
const QByteArray ResultText = QStringLiteral("第2131回 2026年12月3日\n本数字 03 11 19 27 33 41 ボーナス数字 (08)\n"
                                             "1等 該当なし 該当なし\n2等 6口 10,234,500円\n3等 250口 312,300円\n")
                                  .toUtf8();

const QByteArray ListPage = QStringLiteral(
                                "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\"></head><body>\n"
                                "<h2>最近の当せん番号</h2>\n<table>\n"
                                "<tr><th>回</th><th>抽せん日</th><th colspan=\"6\">本数字</th><th>ボーナス数字</th></tr>\n"
                                "<tr><td>第2133回</td><td>2026/12/10</td><td>05</td><td>06</td><td>21</td><td>30</td><td>36</td><td>42</td><td>(01)</td></tr>\n"
                                "<tr><td>第2132回</td><td>2026/12/07</td><td>02</td><td>09</td><td>14</td><td>22</td><td>38</td><td>43</td><td>(17)</td></tr>\n"
                                "<tr><td>第2131回</td><td>2026/12/03</td><td>03</td><td>11</td><td>19</td><td>27</td><td>33</td><td>41</td><td>(08)</td></tr>\n"
                                "</table>\n<p>※ 当せん番号は必ず公式の発表でお確かめください。</p></body></html>\n")
                                .toUtf8();

const QByteArray Csv = TextEncoding::encodeCp932(QStringLiteral(
    "回,抽せん日,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス数字\r\n"
    "2131,2026/12/03,3,11,19,27,33,41,8\r\n2132,2026/12/07,2,9,14,22,38,43,17\r\n2133,2026/12/10,5,6,21,30,36,42,1\r\n"));

const QByteArray NoDrawsPage = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><h1>ロト6</h1>"
                                              "<p>ただいまメンテナンス中です。</p></body></html>")
                                   .toUtf8();

// Serves every page of the tests.
void servePages(HttpTestServer &server)
{
    server.serve(QStringLiteral("/utf8.html"), Reply::Body, resultPage(QStringLiteral("UTF-8")).toUtf8(),
                 "text/html");
    server.serve(QStringLiteral("/sjis.html"), Reply::Body,
                 TextEncoding::encodeCp932(resultPage(QStringLiteral("Shift_JIS"))), "text/html");
    server.serve(QStringLiteral("/list.html"), Reply::Body, ListPage, "text/html; charset=UTF-8");
    server.serve(QStringLiteral("/loto6.csv"), Reply::Body, Csv, "text/csv");
    server.serve(QStringLiteral("/none.html"), Reply::Body, NoDrawsPage, "text/html");
    server.serve(QStringLiteral("/slow.html"), Reply::Drip, resultPage(QStringLiteral("UTF-8")).toUtf8(), "text/html");
    server.serve(QStringLiteral("/loop"), Reply::Redirect, server.url(QStringLiteral("/loop")).toString().toUtf8());
    server.serve(QStringLiteral("/moved"), Reply::Redirect, server.url(QStringLiteral("/list.html")).toString().toUtf8());
    server.serve(QStringLiteral("/tofile"), Reply::Redirect, "file:///etc/passwd");
    // /hopN reaches the list page after N redirects.
    for (int n = 1; n <= 6; ++n) {
        const QString next = n == 1 ? QStringLiteral("/list.html") : QStringLiteral("/hop%1").arg(n - 1);
        server.serve(QStringLiteral("/hop%1").arg(n), Reply::Redirect, server.url(next).toString().toUtf8());
    }
}

QStringList column(const QTableWidget &table, int column)
{
    QStringList texts;
    for (int row = 0; row < table.rowCount(); ++row)
        texts << table.item(row, column)->text();
    return texts;
}

DrawImportWindow *openImport(MainFrm &window)
{
    if (!window.load())
        return nullptr;
    window.findChild<QAction *>(QStringLiteral("mnuMasterImport"))->trigger();
    return qobject_cast<DrawImportWindow *>(window.childWindow(DrawImportWindow::ClassName));
}

// The main window on a copy of the bundled history, in a working directory
// of its own (where the address list lies), its messages recorded, with
// 当選データ取込 open.
struct ImportOpen
{
    ImportOpen()
    {
        messages.install(window);
        import = openImport(window);
    }
    ProgramFolder folder;
    WorkingDirectory work;
    MainFrm window{folder.path()};
    MessageRecorder messages;
    DrawImportWindow *import = nullptr;
    QString addressesPath() const { return RecentAddresses::defaultPath(folder.path()); }
};

// 取得 clicked, or the address typed and Enter pressed as in a browser.
void fetch(DrawImportWindow &import, const QUrl &url, bool byEnter = false)
{
    if (byEnter) {
        QLineEdit *field = import.addressBox()->lineEdit();
        field->clear();
        QTest::keyClicks(field, url.toString());
        QTest::keyClick(field, Qt::Key_Return);
        return;
    }
    import.addressBox()->setCurrentText(url.toString());
    QTest::mouseClick(import.findChild<QPushButton *>(QStringLiteral("Cmd取得")), Qt::LeftButton);
}

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

// The tool as a process; the server answers from this thread meanwhile.
Run cli(const QStringList &arguments)
{
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/loto6kermon-cli"), arguments);
    QSignalSpy finished(&process, &QProcess::finished);
    if (!finished.wait(60000))
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}

// The entries of an import's JSON without the lines they came from, which
// differ between a page and its text.
QJsonArray entriesWithoutLines(const QByteArray &json)
{
    QJsonArray entries;
    for (const QJsonValue &value : QJsonDocument::fromJson(json).object().value(QStringLiteral("entries")).toArray()) {
        QJsonObject entry = value.toObject();
        entry.remove(QStringLiteral("line"));
        entries.append(entry);
    }
    return entries;
}

} // namespace

class TestImportUrl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_server.isListening()); servePages(m_server); }

    void windowPreviewsAndWritesWhatThePageHolds_data();
    void windowPreviewsAndWritesWhatThePageHolds();
    void pageWithoutDrawsOrWithTooManyRedirectsWritesNothing_data();
    void pageWithoutDrawsOrWithTooManyRedirectsWritesNothing();
    void slowPageCancelledLeavesEverythingAsItWas();
    void commandLineReadsWhatAFileWithTheSameContentGives_data();
    void commandLineReadsWhatAFileWithTheSameContentGives();
    void commandLineRefusals_data();
    void commandLineRefusals();
    void unreachableUpdateOffersTheImportWithTheLastAddress();
    void screenshot();

private:
    HttpTestServer m_server;
};

void TestImportUrl::windowPreviewsAndWritesWhatThePageHolds_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("draws");
    QTest::addColumn<QString>("first"); // the preview of the first draw
    QTest::addColumn<bool>("byEnter");
    const QString resultDraw = QStringLiteral("03 11 19 27 33 41 (08)  2026/12/03");
    QTest::newRow("UTF-8 results page") << QStringLiteral("/utf8.html") << QStringList{QStringLiteral("2131")} << resultDraw << false;
    QTest::newRow("Shift_JIS by its meta tag") << QStringLiteral("/sjis.html") << QStringList{QStringLiteral("2131")} << resultDraw
                                               << false;
    const QStringList three{QStringLiteral("2131"), QStringLiteral("2132"), QStringLiteral("2133")};
    QTest::newRow("several draws in one table") << QStringLiteral("/list.html") << three << resultDraw << false;
    QTest::newRow("CSV in Shift_JIS") << QStringLiteral("/loto6.csv") << three << resultDraw << false;
    QTest::newRow("address typed, Enter") << QStringLiteral("/list.html") << three << resultDraw << true;
}

void TestImportUrl::windowPreviewsAndWritesWhatThePageHolds()
{
    QFETCH(QString, path);
    QFETCH(QStringList, draws);
    QFETCH(QString, first);
    QFETCH(bool, byEnter);
    ImportOpen f;
    QVERIFY(f.import);
    const QUrl url = m_server.url(path);
    fetch(*f.import, url, byEnter);

    QVERIFY2(f.messages.shown.isEmpty(), f.messages.shown.isEmpty() ? "" : qPrintable(f.messages.shown[0].text));
    QCOMPARE(column(*f.import->table(), DrawImportWindow::DrawNoColumn), draws);
    QCOMPARE(column(*f.import->table(), DrawImportWindow::KindColumn), QStringList(draws.size(), QStringLiteral("追加")));
    QCOMPARE(f.import->table()->item(0, DrawImportWindow::IncomingColumn)->text(), first);
    QCOMPARE(f.import->findChild<QLabel *>(QStringLiteral("lbl取込元"))->text(), QStringLiteral("取込元: ") + url.toString());
    if (path.endsWith(QLatin1String(".html")) && draws.size() == 1) {
        QCOMPARE(f.import->table()->item(0, DrawImportWindow::PrizeColumn)->text(),
                 QStringLiteral("1等 該当なし\n2等 6口 10,234,500円\n3等 250口 312,300円"));
    }
    QCOMPARE(RecentAddresses::load(f.addressesPath()), QStringList{url.toString()});

    f.messages.answers << QMessageBox::Ok;
    QTest::mouseClick(f.import->applyButton(), Qt::LeftButton);
    QCOMPARE(int(f.window.store().LastDrawNo), draws.last().toInt());
    QCOMPARE(column(*f.import->table(), DrawImportWindow::KindColumn), QStringList(draws.size(), QStringLiteral("同一")));
}

void TestImportUrl::pageWithoutDrawsOrWithTooManyRedirectsWritesNothing_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    QTest::newRow("no draws") << QStringLiteral("/none.html")
                              << QStringLiteral("からは当選データを読み取れませんでした。\n当選データとして読めません");
    QTest::newRow("redirect loop") << QStringLiteral("/loop") << QStringLiteral("転送（リダイレクト）が多すぎるため");
    QTest::newRow("six redirects") << QStringLiteral("/hop6") << QStringLiteral("転送（リダイレクト）が多すぎるため");
    QTest::newRow("redirect to a file") << QStringLiteral("/tofile") << QStringLiteral("http と https 以外のアドレスへの転送には従いません。");
}

void TestImportUrl::pageWithoutDrawsOrWithTooManyRedirectsWritesNothing()
{
    QFETCH(QString, path);
    QFETCH(QString, message);
    ImportOpen f;
    QVERIFY(f.import);
    const QByteArray before = DrawFile::bytes(f.folder.databasePath());

    fetch(*f.import, m_server.url(path));
    QCOMPARE(f.messages.shown.size(), 1);
    QCOMPARE(f.messages.shown[0].icon, QMessageBox::Critical);
    QVERIFY2(f.messages.shown[0].text.contains(message), qPrintable(f.messages.shown[0].text));
    QVERIFY(f.messages.shown[0].text.endsWith(QStringLiteral("当選データファイルには何も書き込んでいません。")));
    QTest::mouseClick(f.import->applyButton(), Qt::LeftButton);
    QCOMPARE(DrawFile::bytes(f.folder.databasePath()), before);
    QVERIFY(!QFile::exists(f.folder.databasePath() + QStringLiteral(".bak")));
}

void TestImportUrl::slowPageCancelledLeavesEverythingAsItWas()
{
    ImportOpen f;
    QVERIFY(f.import);
    f.import->pasteBox()->setPlainText(QStringLiteral("第2131回 2026年12月3日 03 11 19 27 33 41 (08)"));
    f.import->Cmd確認_Click();
    const QByteArray before = DrawFile::bytes(f.folder.databasePath());

    {
        const CancelWhenReceiving cancel(f.window);
        fetch(*f.import, m_server.url(QStringLiteral("/slow.html")));
        QVERIFY2(cancel.seen.startsWith(QStringLiteral("当選データを取得しています。\n") + m_server.url(QStringLiteral("/slow.html")).toString()),
                 qPrintable(cancel.seen));
    }
    QVERIFY(f.messages.shown.isEmpty());
    QCOMPARE(f.import->findChild<QLabel *>(QStringLiteral("lbl取込元"))->text(), QStringLiteral("取込元: 貼り付けた文字"));
    QCOMPARE(f.import->pasteBox()->toPlainText(), QStringLiteral("第2131回 2026年12月3日 03 11 19 27 33 41 (08)"));
    QCOMPARE(column(*f.import->table(), DrawImportWindow::DrawNoColumn), QStringList{QStringLiteral("2131")});
    QCOMPARE(DrawFile::bytes(f.folder.databasePath()), before);
    QVERIFY(RecentAddresses::load(f.addressesPath()).isEmpty());
}

void TestImportUrl::commandLineReadsWhatAFileWithTheSameContentGives_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("file"); // the same content as a file
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("draws");
    QTest::newRow("UTF-8 results page") << QStringLiteral("/utf8.html") << ResultText << QStringLiteral("HTML") << 1;
    QTest::newRow("Shift_JIS results page") << QStringLiteral("/sjis.html") << ResultText << QStringLiteral("HTML") << 1;
    QTest::newRow("several draws in one table") << QStringLiteral("/list.html") << Csv << QStringLiteral("HTML") << 3;
    QTest::newRow("CSV") << QStringLiteral("/loto6.csv") << Csv << QStringLiteral("CSV") << 3;
    QTest::newRow("redirected") << QStringLiteral("/moved") << Csv << QStringLiteral("HTML") << 3;
    QTest::newRow("five redirects") << QStringLiteral("/hop5") << Csv << QStringLiteral("HTML") << 3;
}

void TestImportUrl::commandLineReadsWhatAFileWithTheSameContentGives()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, file);
    QFETCH(QString, layout);
    QFETCH(int, draws);
    ProgramFolder folder;
    QTemporaryDir dir;
    const QString ledger = dir.filePath(QStringLiteral("ledger.db"));
    const QString source = dir.filePath(QStringLiteral("same.txt"));
    QVERIFY(DrawFile::writeBytes(source, file));
    const QStringList common{QStringLiteral("--db"), folder.databasePath(), QStringLiteral("--ledger"), ledger,
                             QStringLiteral("--format"), QStringLiteral("json"), QStringLiteral("--dry-run")};

    const Run fromFile = cli(QStringList{QStringLiteral("import"), source} + common);
    const Run fromWeb = cli(QStringList{QStringLiteral("import"), QStringLiteral("--url"), m_server.url(path).toString()} + common);
    QCOMPARE(fromWeb.exitCode, 0);
    QCOMPARE(fromFile.exitCode, 0);
    const QJsonObject web = QJsonDocument::fromJson(fromWeb.out).object();
    QCOMPARE(web.value(QStringLiteral("layout")).toString(), layout);
    QCOMPARE(web.value(QStringLiteral("source")).toString(), m_server.url(path).toString());
    QCOMPARE(web.value(QStringLiteral("added")).toInt(), draws);
    QCOMPARE(entriesWithoutLines(fromWeb.out), entriesWithoutLines(fromFile.out));
    if (!path.contains(QLatin1Char('.')))
        QCOMPARE(web.value(QStringLiteral("fetchedFrom")).toString(), m_server.url(QStringLiteral("/list.html")).toString());

    // Written for real, the draws are there: a second run finds them stored.
    const QByteArray before = DrawFile::bytes(folder.databasePath());
    QCOMPARE(cli({QStringLiteral("import"), QStringLiteral("--url"), m_server.url(path).toString(), QStringLiteral("--db"),
                  folder.databasePath(), QStringLiteral("--ledger"), ledger})
                 .exitCode,
             0);
    QVERIFY(DrawFile::bytes(folder.databasePath()) != before);
    const Run again = cli(QStringList{QStringLiteral("import"), QStringLiteral("--url"), m_server.url(path).toString()} + common);
    QCOMPARE(QJsonDocument::fromJson(again.out).object().value(QStringLiteral("identical")).toInt(), draws);
}

void TestImportUrl::commandLineRefusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // on stdout for a read page, on stderr otherwise
    QTest::newRow("no draws") << QStringList{QStringLiteral("/none.html")} << 1 << QStringLiteral("エラー\t1 行目\t当選データとして読めません");
    QTest::newRow("redirect loop") << QStringList{QStringLiteral("/loop")} << 1 << QStringLiteral("転送（リダイレクト）が多すぎるため");
    QTest::newRow("not found") << QStringList{QStringLiteral("/missing")} << 1 << QStringLiteral("HTTP 404");
    QTest::newRow("ftp") << QStringList{QStringLiteral("ftp://127.0.0.1/a.csv")} << 2
                         << QStringLiteral("取得できるのは http:// と https:// のアドレスだけです");
    QTest::newRow("file and url") << QStringList{QStringLiteral("/list.html"), QStringLiteral("draws.csv")} << 2
                                  << QStringLiteral("import にはファイルか --url のどちらか一つを指定してください。");
}

void TestImportUrl::commandLineRefusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    ProgramFolder folder;
    QTemporaryDir dir;
    const QByteArray before = DrawFile::bytes(folder.databasePath());
    const QString address = arguments.takeFirst();
    const QString url = address.startsWith(QLatin1Char('/')) ? m_server.url(address).toString() : address;
    const Run run = cli(QStringList{QStringLiteral("import"), QStringLiteral("--url"), url, QStringLiteral("--db"), folder.databasePath(),
                                    QStringLiteral("--ledger"), dir.filePath(QStringLiteral("ledger.db"))}
                        + arguments);
    QCOMPARE(run.exitCode, exitCode);
    const QString said = QString::fromUtf8(run.out) + run.err;
    QVERIFY2(said.contains(message), qPrintable(said));
    QCOMPARE(DrawFile::bytes(folder.databasePath()), before);
}

void TestImportUrl::unreachableUpdateOffersTheImportWithTheLastAddress()
{
    ProgramFolder folder;
    WorkingDirectory work;
    const QString last = m_server.url(QStringLiteral("/list.html")).toString();
    QCOMPARE(RecentAddresses::remember(RecentAddresses::defaultPath(folder.path()), QStringLiteral("http://example.jp/old.html")), QString());
    QCOMPARE(RecentAddresses::remember(RecentAddresses::defaultPath(folder.path()), last), QString());
    MainFrm window(folder.path());
    MessageRecorder messages;
    messages.install(window);
    QVERIFY(window.load());
    auto *update = window.findChild<QAction *>(QStringLiteral("mnuMasterUpdate"));

    // A server that answers with an error is no reason to look elsewhere
    // (each time, the update's question is answered Yes first).
    window.setDownloadUrl(m_server.url(QStringLiteral("/missing")));
    messages.answers << QMessageBox::Yes;
    update->trigger();
    QCOMPARE(messages.shown.size(), 2);
    QCOMPARE(messages.shown[1].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    const int served = m_server.requests();
    window.setDownloadUrl(HttpTestServer::closedPortUrl());
    messages.answers << QMessageBox::Yes << QMessageBox::Open;
    update->trigger();
    QCOMPARE(messages.shown.size(), 4);
    const MessageRequest &offer = messages.shown[3];
    QCOMPARE(offer.icon, QMessageBox::Critical);
    QVERIFY2(offer.text.contains(QStringLiteral("に接続できません")), qPrintable(offer.text));
    QCOMPARE(offer.buttons, QMessageBox::Ok | QMessageBox::Open);
    QCOMPARE(offer.defaultButton, QMessageBox::Ok);
    QCOMPARE(offer.buttonTexts.size(), size_t(1));
    QCOMPARE(offer.buttonTexts[0].second, QStringLiteral("当選データ取込（URL）..."));

    auto *import = qobject_cast<DrawImportWindow *>(window.childWindow(DrawImportWindow::ClassName));
    QVERIFY(import);
    QCOMPARE(import->addressBox()->currentText(), last);
    QCOMPARE(import->addressBox()->count(), 2);
    // Offered, not fetched.
    QCOMPARE(m_server.requests(), served);
    QCOMPARE(import->table()->rowCount(), 0);
}

void TestImportUrl::screenshot()
{
    // Not a check: with LOTO6_SCREENSHOT=FILE it pictures the window with
    // the preview of a fetched page, on the bundled history.
    const QString target = qEnvironmentVariable("LOTO6_SCREENSHOT");
    if (target.isEmpty())
        QSKIP("LOTO6_SCREENSHOT not set");
    ProgramFolder folder;
    WorkingDirectory work;
    MainFrm window(folder.path());
    DrawImportWindow *import = showImportWindow(window);
    QVERIFY(import);
    fetch(*import, m_server.url(QStringLiteral("/list.html")));
    fetch(*import, m_server.url(QStringLiteral("/utf8.html")));
    QTest::qWait(300);
    QVERIFY(window.grab().save(target));
}

QTEST_MAIN(TestImportUrl)
#include "tst_importurl.moc"
