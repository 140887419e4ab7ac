// 購入記録・当選チェック on real files: the window opened from the menu shows
// tiers and highlights, writes every accepted edit at once and refuses wrong
// ones, adds prediction lines only after the user agreed to the cost; an
// update of the draw database leaves the ledger as it was.
#include "app/gui/mainfrm.h"
#include "app/gui/windowcontext.h"
#include "maintenance/drawdataupdate.h"
#include "maintenance/gui/ticketmodel.h"
#include "maintenance/gui/ticketwindow.h"
#include "store/drawcsv.h"
#include "support/drawfile.h"
#include "support/fixtures.h"
#include "support/history.h"
#include "support/httptestserver.h"

#include <QAction>
#include <QBrush>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProcess>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QHeaderView>
#include <QTableView>
#include <QtTest>

namespace {

Ticket ticket(int drawNo, std::array<int, 6> numbers)
{
    Ticket t;
    t.drawNo = drawNo;
    t.numbers = numbers;
    t.purchaseDate = QStringLiteral("2026-08-19");
    return t;
}

} // namespace

class TestTicketWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowChecksEditsAndAddsFromThePrediction();
    void ledgerSurvivesAnUpdateOfTheDatabase();
    void damagedLedgerKeepsTheWindowShut();
    void followsTheLedgerWrittenElsewhere();
    void tablesFitTheWindow();
};

void TestTicketWindow::windowChecksEditsAndAddsFromThePrediction()
{
    WorkingDirectory cwd;
    ProgramFolder folder; // the bundled history: draw 2130 is 12 18 35 40 41 43 + 3
    TicketLedger::open(cwd.ledgerPath())
        .addAll({ticket(2130, {12, 18, 35, 40, 41, 43}), ticket(2130, {3, 12, 18, 35, 40, 41}), ticket(2131, {1, 2, 3, 4, 5, 6})});

    MainFrm frame(folder.path());
    MessageRecorder recorder;
    recorder.install(frame);
    QVERIFY(frame.load());
    auto *item = frame.findChild<QAction *>(QStringLiteral("mnuTickets"));
    QVERIFY(item);
    const QList<QAction *> menu = frame.findChild<QMenu *>(QStringLiteral("mnuHosyu"))->actions();
    const qsizetype at = menu.indexOf(item); // after a separator line
    QVERIFY(at > 0 && menu[at - 1]->isSeparator());
    item->trigger();
    auto *window = qobject_cast<TicketWindow *>(frame.childWindow(TicketWindow::ClassName));
    QVERIFY(window);
    QVERIFY(!frame.propEnd());

    TicketTableModel *model = window->model();
    const auto tier = [&](int row) { return model->index(row, TicketTableModel::TierColumn).data().toString(); };
    QCOMPARE(tier(0), QStringLiteral("1等"));
    QCOMPARE(tier(1), QStringLiteral("2等"));
    QCOMPARE(tier(2), QStringLiteral("未抽選"));
    const auto back = [&](int row, int column) { return model->index(row, column).data(Qt::BackgroundRole).value<QBrush>().color(); };
    QCOMPARE(back(1, 1), QColor(197, 255, 255)); // 3, the bonus
    QCOMPARE(back(1, 2), QColor(255, 255, 128)); // 12, a main number
    QVERIFY(!model->index(2, 2).data(Qt::BackgroundRole).isValid()); // not drawn yet

    // A repeated number is refused and the ledger keeps what it had; a good
    // one is in the file at once.
    QVERIFY(!model->setData(model->index(2, 2), QStringLiteral("1")));
    QTRY_COMPARE(recorder.shown.size(), 1);
    QVERIFY(recorder.shown[0].text.contains(QStringLiteral("同じ数字")));
    QVERIFY(!model->setData(model->index(2, TicketTableModel::DrawColumn), QStringLiteral("0")));
    QVERIFY(model->setData(model->index(2, 1), QStringLiteral("４３")));
    QCOMPARE(TicketLedger::open(cwd.ledgerPath()).tickets()[2].numbers, (std::array<int, 6>{43, 2, 3, 4, 5, 6}));

    // A recorded prize amount reaches the summary; an unrecorded one shows as unknown.
    QAbstractItemModel *prizes = window->prizeGrid()->model();
    QCOMPARE(prizes->index(1, 0).data().toInt(), 2130);
    QVERIFY(prizes->setData(prizes->index(1, 1), QStringLiteral("200,000,000")));
    const QStandardItemModel *summary = window->summary();
    const int overall = summary->rowCount() - 1;
    QCOMPARE(summary->item(overall, 0)->text(), QStringLiteral("合計"));
    QCOMPARE(summary->item(overall, 4)->text(), QStringLiteral("200,000,000円＋不明1口"));
    QCOMPARE(TicketLedger::open(cwd.ledgerPath()).prizes().amount(2130, Tier::First), 200000000);

    // All C(k, 6) lines of 消去法 only after a Yes to their number and cost.
    const auto fromPrediction = [&](const QString &item) { window->findChild<QAction *>(item)->trigger(); };
    recorder.shown.clear();
    fromPrediction(QStringLiteral("消去法"));
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(recorder.shown.size(), 1);
    QCOMPARE(recorder.shown[0].icon, QMessageBox::Warning);
    QVERIFY2(recorder.shown[0].text.contains(QStringLiteral("円）を第2131回")), qPrintable(recorder.shown[0].text));
    recorder.answers << QMessageBox::Yes;
    fromPrediction(QStringLiteral("消去法"));
    const int added = model->rowCount() - 3;
    QVERIFY(recorder.shown[1].text.contains(QLocale(QLocale::English).toString(added) + QStringLiteral("口")));
    QCOMPARE(qint64(TicketLedger::open(cwd.ledgerPath()).tickets().size()), qint64(3 + added));
    QCOMPARE(model->index(3, TicketTableModel::DrawColumn).data().toInt(), 2131);

    fromPrediction(QStringLiteral("１発予想")); // no question for one line
    QCOMPARE(model->rowCount(), 3 + added + 1);
    QCOMPARE(recorder.shown.size(), 2);

    // 削除 only after a Yes; 複製 and クイックピック write at once.
    const int rows = model->rowCount();
    window->grid()->setCurrentIndex(model->index(0, 1));
    window->Cmd削除_Click();
    QCOMPARE(model->rowCount(), rows);
    recorder.answers << QMessageBox::Yes;
    window->Cmd削除_Click();
    QCOMPARE(model->index(0, TicketTableModel::TierColumn).data().toString(), QStringLiteral("2等"));
    window->Cmd複製_Click(); // the current row is now the former second one
    window->findChild<QSpinBox *>(QStringLiteral("Spinクイックピック"))->setValue(3);
    window->Cmdクイックピック_Click();
    const std::vector<Ticket> stored = TicketLedger::open(cwd.ledgerPath()).tickets();
    QCOMPARE(int(stored.size()), rows - 1 + 1 + 3);
    QCOMPARE(stored[stored.size() - 4].numbers, (std::array<int, 6>{3, 12, 18, 35, 40, 41}));
    for (size_t i = stored.size() - 3; i < stored.size(); ++i)
        QVERIFY(!TicketRules::problem(stored[i]).has_value());

    // Typed like a spreadsheet: Enter on a cell moves to the line below, and
    // Enter after typing commits and moves down too.
    QTableView *grid = window->grid();
    grid->setFocus();
    grid->setCurrentIndex(model->index(0, TicketTableModel::MemoColumn));
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(grid->currentIndex(), model->index(1, TicketTableModel::MemoColumn));
    grid->edit(grid->currentIndex());
    auto *line = grid->viewport()->findChild<QLineEdit *>();
    QVERIFY(line);
    line->selectAll();
    QTest::keyClicks(line, QStringLiteral("note"));
    QTest::keyClick(line, Qt::Key_Return);
    QTRY_COMPARE(grid->currentIndex(), model->index(2, TicketTableModel::MemoColumn));
    QCOMPARE(TicketLedger::open(cwd.ledgerPath()).tickets()[1].memo, QStringLiteral("note"));
    QVERIFY(model->setData(model->index(1, TicketTableModel::CountColumn), 2500));
    // The sums group their digits: 2,500 lines and more.
    const QStandardItemModel *sums = window->summary();
    QString lines = sums->item(sums->rowCount() - 1, 1)->text();
    QVERIFY2(lines.contains(QLatin1Char(',')) && lines.remove(QLatin1Char(',')).toInt() > 2500, qPrintable(lines));
    QVERIFY(sums->item(sums->rowCount() - 1, 2)->text().contains(QStringLiteral(",")));
}

void TestTicketWindow::damagedLedgerKeepsTheWindowShut()
{
    WorkingDirectory cwd;
    ProgramFolder folder(QStringLiteral("1,1,2,3,4,5,6,7\n"));
    const QByteArray damaged = QByteArray("SQLite format 3").append(QByteArray(4000, '\x01'));
    DrawFile::writeBytes(cwd.ledgerPath(), damaged);
    MainFrm frame(folder.path());
    MessageRecorder recorder;
    recorder.install(frame);
    QVERIFY(frame.load());
    frame.findChild<QAction *>(QStringLiteral("mnuTickets"))->trigger();
    QVERIFY(!frame.childWindow(TicketWindow::ClassName));
    QVERIFY(!recorder.shown.isEmpty());
    QVERIFY2(recorder.shown.last().text.contains(QStringLiteral("変更していません")), qPrintable(recorder.shown.last().text));
    QCOMPARE(DrawFile::bytes(cwd.ledgerPath()), damaged);
}

void TestTicketWindow::ledgerSurvivesAnUpdateOfTheDatabase()
{
    WorkingDirectory cwd;
    ProgramFolder folder(QStringLiteral("1,1,2,3,4,5,6,7\n"));
    TicketLedger::open(cwd.ledgerPath()).addAll({ticket(2, {1, 2, 3, 10, 11, 12})});
    MainFrm frame(folder.path());
    MessageRecorder recorder;
    recorder.install(frame);
    QVERIFY(frame.load());
    frame.findChild<QAction *>(QStringLiteral("mnuTickets"))->trigger();
    auto *window = qobject_cast<TicketWindow *>(frame.childWindow(TicketWindow::ClassName));
    QVERIFY(window);
    const QModelIndex tier = window->model()->index(0, TicketTableModel::TierColumn);
    QCOMPARE(tier.data().toString(), QStringLiteral("未抽選"));

    // The provider's newer database, with draw 2.
    QTemporaryDir serverDir;
    const QString newer = serverDir.filePath(DrawDatabase::FileName);
    DrawFile::write(newer, {TestHistory::draw(1, {1, 2, 3, 4, 5, 6, 7}), TestHistory::draw(2, {1, 2, 3, 4, 5, 6, 7})});
    HttpTestServer server;
    server.serve(HttpTestServer::Reply::Body, DrawFile::bytes(newer));
    frame.setDownloadUrl(server.url());
    const QByteArray before = DrawFile::bytes(cwd.ledgerPath());
    recorder.answers << QMessageBox::Yes; // replace the draws
    frame.findChild<QAction *>(QStringLiteral("mnuMasterUpdate"))->trigger();
    QCOMPARE(recorder.shown.last().icon, QMessageBox::NoIcon); // replaced

    QCOMPARE(DrawFile::bytes(cwd.ledgerPath()), before);
    // The open window checks the ticket against the new draws without a restart.
    QCOMPARE(tier.data().toString(), QStringLiteral("5等"));
}

void TestTicketWindow::followsTheLedgerWrittenElsewhere()
{
    WorkingDirectory cwd;
    ProgramFolder folder;
    MainFrm frame(folder.path());
    MessageRecorder recorder;
    recorder.install(frame);
    QVERIFY(frame.load());
    frame.show();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    frame.findChild<QAction *>(QStringLiteral("mnuTickets"))->trigger();
    auto *window = qobject_cast<TicketWindow *>(frame.childWindow(TicketWindow::ClassName));
    QVERIFY(window);
    QCOMPARE(window->model()->rowCount(), 0);
    QMdiSubWindow *ticketWindow = frame.mdiArea()->activeSubWindow();

    // The command line adds a ticket while the window is open (a terminal
    // beside the program); the window shows it once it is activated.
    const auto addFromTheCommandLine = [&](const QString &numbers) {
        QProcess cli;
        cli.start(QStringLiteral(LOTO6_CLI), {QStringLiteral("tickets"), QStringLiteral("add"), QStringLiteral("--ledger"),
                                              QDir::current().absoluteFilePath(cwd.ledgerPath()), QStringLiteral("--draw"),
                                              QStringLiteral("2140"), QStringLiteral("--numbers"), numbers});
        return cli.waitForFinished(30000) && cli.exitCode() == 0;
    };
    QVERIFY(addFromTheCommandLine(QStringLiteral("1,2,3,4,5,6")));
    QApplication::processEvents();
    QCOMPARE(window->model()->rowCount(), 0);
    // Another child window in front, then the ticket window again.
    frame.findChild<QAction *>(QStringLiteral("mnuSyutugenHindo"))->trigger();
    frame.mdiArea()->setActiveSubWindow(ticketWindow);
    QCOMPARE(window->model()->rowCount(), 1);
    // The main window left for another application and back.
    QVERIFY(addFromTheCommandLine(QStringLiteral("7,8,9,10,11,12")));
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(window->model()->rowCount(), 1);
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QTRY_COMPARE(window->model()->rowCount(), 2);

    // Prize amounts the import window records reach the window through the
    // ledger's notice, as lines from 買い目作成 do.
    QVERIFY(window->prizeGrid()->model()->rowCount() > 0);
    const QModelIndex first = window->prizeGrid()->model()->index(0, 1);
    QVERIFY(first.data().toString().isEmpty());
    TicketLedger::open(cwd.ledgerPath()).setPrize(2140, 1, 200000000);
    frame.context()->ledgerWritten();
    QCOMPARE(window->prizeGrid()->model()->index(0, 1).data().toString(), QStringLiteral("200,000,000円"));
    QVERIFY(recorder.shown.isEmpty());
}

void TestTicketWindow::tablesFitTheWindow()
{
    // The largest amounts in every tier, at the window's own size: the
    // amounts table shows all its columns without a bar, and the summary's
    // figures are grouped.
    WorkingDirectory cwd;
    ProgramFolder folder;
    TicketLedger ledger = TicketLedger::open(cwd.ledgerPath());
    for (const int drawNo : {2128, 2129, 2130}) {
        ledger.add(ticket(drawNo, {1, 2, 3, 4, 5, 6}));
        for (int tier = 1; tier <= 4; ++tier)
            ledger.setPrize(drawNo, tier, 1000000000 / tier);
    }
    MainFrm frame(folder.path());
    QVERIFY(frame.load());
    frame.resize(1280, 960);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    frame.findChild<QAction *>(QStringLiteral("mnuTickets"))->trigger();
    auto *window = qobject_cast<TicketWindow *>(frame.childWindow(TicketWindow::ClassName));
    QVERIFY(window);
    QTableView *prizes = window->prizeGrid();
    QTRY_VERIFY(prizes->isVisible());
    QApplication::processEvents();
    QVERIFY(!prizes->horizontalScrollBar()->isVisible());
    QVERIFY2(prizes->horizontalHeader()->length() <= prizes->viewport()->width(),
             qPrintable(QStringLiteral("%1 > %2").arg(prizes->horizontalHeader()->length()).arg(prizes->viewport()->width())));
    QStandardItemModel *summary = window->summary();
    const QString expectedRate = summary->item(summary->rowCount() - 1, 7)->text();
    QVERIFY2(expectedRate.contains(QLatin1Char(',')), qPrintable(expectedRate)); // 211,078.1%
}

QTEST_MAIN(TestTicketWindow)
#include "tst_ticketwindow.moc"
