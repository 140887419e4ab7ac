// 買い目作成 in the running program: opened from the menu and from the
// prediction with 消去法's numbers, a wheel made and shown with its guarantee
// and cost, a long search cancelled with the window still working, the
// lines written to a real ledger for the chosen draw, the past played with
// the lines against checking each ticket, and new draws followed.
#include "app/gui/mainfrm.h"
#include "maintenance/gui/ticketmodel.h"
#include "maintenance/gui/ticketwindow.h"
#include "maintenance/ticketledger.h"
#include "maintenance/ticketsummary.h"
#include "prediction/gui/predictionwindow.h"
#include "prediction/gui/wheelwindow.h"
#include "store/drawdatabase.h"
#include "support/fixtures.h"
#include "support/history.h"
#include "ui/gui/sheetview.h"
#include "ui/gui/tableactions.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {

std::vector<int> sorted(std::vector<int> numbers)
{
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

// The program on the bundled draws, in a working folder of its own, its
// messages recorded.
struct Program
{
    WorkingDirectory cwd;
    ProgramFolder folder;
    MainFrm frame{folder.path()};
    MessageRecorder recorder;

    bool load()
    {
        recorder.install(frame);
        return frame.load();
    }
};

WheelWindow *openFromMenu(MainFrm &frame)
{
    frame.findChild<QAction *>(QStringLiteral("mnuKaimeSakusei"))->trigger();
    return qobject_cast<WheelWindow *>(frame.childWindow(WheelWindow::ClassName));
}

// 消去法's numbers as the prediction window shows them now.
std::vector<int> eliminationNumbers(MainFrm &frame)
{
    PredictionEngine engine;
    engine.setFlags(frame.prediction()->flags());
    engine.SetUpPredictionGrids(frame.store());
    return sorted(TicketSources::shownNumbers(engine, TicketSources::Source::Elimination));
}

// The window opened from the prediction window with 消去法's numbers.
WheelWindow *openFromElimination(MainFrm &frame)
{
    auto *prediction = frame.childWindow(PredictionEngine::WindowName);
    if (!prediction)
        return nullptr;
    auto *button = prediction->findChild<QPushButton *>(QStringLiteral("Cmd買い目作成"));
    QAction *item = button ? button->menu()->findChild<QAction *>(QStringLiteral("消去法")) : nullptr;
    if (!item)
        return nullptr;
    item->trigger();
    return qobject_cast<WheelWindow *>(frame.childWindow(WheelWindow::ClassName));
}

// The straightforward count of the past: every line as a ticket of every draw.
std::array<long long, 5> winningLines(const std::vector<BuyingPlan::Line> &lines, const DrawResults &results, int *draws)
{
    std::array<long long, 5> won{};
    *draws = 0;
    for (const auto &[drawNo, numbers] : results.all()) {
        ++*draws;
        for (const BuyingPlan::Line &line : lines) {
            Ticket ticket;
            ticket.drawNo = drawNo;
            ticket.numbers = line;
            if (const int tier = tierNumber(checkTicket(ticket, results).tier))
                ++won[size_t(tier - 1)];
        }
    }
    return won;
}

// The words of a PDF's first page with their boxes, as pdftotext finds them.
struct Word
{
    QString text;
    QRectF box;
};
std::vector<Word> pageWords(const QString &pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                 QStringLiteral("1"), QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(60000))
        return {};
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    std::vector<Word> words;
    for (const QRegularExpressionMatch &m : word.globalMatch(html)) {
        words.push_back({m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                               QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
    }
    return words;
}

} // namespace

class TestWheelWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menuOpensItAfterTheTickets();
    void wheelOverEliminationIsShownWithGuaranteeCostAndPast();
    void cancellingKeepsTheWindowWorking();
    void linesGoToTheLedgerAfterYes();
    void newDrawsArePlayedToo();
    void printoutShowsTheWholeSummaryAboveTheTables();
    void filtersTableFitsANarrowWindow();
};

void TestWheelWindow::menuOpensItAfterTheTickets()
{
    Program program;
    QVERIFY(program.load());
    auto &[cwd, folder, frame, recorder] = program;
    const QList<QAction *> menu = frame.findChild<QMenu *>(QStringLiteral("mnuHosyu"))->actions();
    auto *item = frame.findChild<QAction *>(QStringLiteral("mnuKaimeSakusei"));
    QVERIFY(item);
    QCOMPARE(menu.last(), item);
    QVERIFY(menu[menu.size() - 2]->isSeparator());
    QCOMPARE(menu[menu.size() - 3]->objectName(), QStringLiteral("mnuTickets"));
    QCOMPARE(item->text(), QStringLiteral("買い目作成(&B)"));

    // The ticket window's 予想から追加 leads here.
    frame.findChild<QAction *>(QStringLiteral("mnuTickets"))->trigger();
    auto *tickets = qobject_cast<TicketWindow *>(frame.childWindow(TicketWindow::ClassName));
    QVERIFY(tickets);
    tickets->findChild<QAction *>(QStringLiteral("買い目作成"))->trigger();
    auto *window = qobject_cast<WheelWindow *>(frame.childWindow(WheelWindow::ClassName));
    QVERIFY(window);
    QVERIFY(!frame.propEnd());
    // The menu brings up the same window.
    item->trigger();
    QCOMPARE(frame.childWindow(WheelWindow::ClassName), window);

    // What no wheel changes is said where the lines are made.
    const QString honesty = window->findChild<QLabel *>(QStringLiteral("lblHonesty"))->text();
    QVERIFY(honesty.contains(QStringLiteral("6,096,454 分の 1")));
    QVERIFY(!window->findChild<QPushButton *>(QStringLiteral("Cmd購入記録に追加"))->isEnabled());

    // Typed numbers that cannot be candidates are refused with the reason.
    window->findChild<QLineEdit *>(QStringLiteral("Txt候補"))->setText(QStringLiteral("1,2,3,4,5,44"));
    QVERIFY(!window->make());
    QCOMPARE(recorder.shown.size(), 1);
    QVERIFY(recorder.shown[0].text.contains(QStringLiteral("1 から 43")));
    QVERIFY(!window->plan());
}

void TestWheelWindow::wheelOverEliminationIsShownWithGuaranteeCostAndPast()
{
    Program program;
    QVERIFY(program.load());
    auto &[cwd, folder, frame, recorder] = program;
    WheelWindow *window = openFromElimination(frame);
    QVERIFY(window);
    const std::vector<int> candidates = eliminationNumbers(frame);
    QVERIFY(candidates.size() >= 12); // too many to buy every line
    QString why;
    QCOMPARE(Candidates::parse(window->findChild<QLineEdit *>(QStringLiteral("Txt候補"))->text(), &why), candidates);

    window->setMode(BuyingPlan::Mode::Wheel);
    window->setCondition({4, 3});
    window->setSeconds(2);
    QVERIFY(window->make());
    const BuyingPlan::Plan &plan = *window->plan();
    QVERIFY(plan.wheel && plan.wheel->verified);
    QVERIFY(!Wheel::firstUnmatched(candidates, {4, 3}, plan.lines));
    QVERIFY(plan.count < 40 && plan.count >= plan.wheel->lowerBound);

    // The lines as a grid, and the guarantee, cost and bound in words.
    const Sheet &lines = window->findChild<SheetView *>(QStringLiteral("fpSpread1"))->sheet();
    QCOMPARE(lines.maxRows(), int(plan.count) + 1);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(lines.text(2 + i, 2), QString::number(plan.lines[0][size_t(i)]));
    const QString summary = window->findChild<QLabel *>(QStringLiteral("lblSummary"))->text();
    QVERIFY2(summary.contains(QStringLiteral("候補から本数字が4個出れば、少なくとも1口で3個一致（5等）を保証")), qPrintable(summary));
    QVERIFY2(summary.contains(formatYen(plan.count * 200)), qPrintable(summary));
    QVERIFY2(summary.contains(QStringLiteral("%1口より少なくはなりません").arg(plan.wheel->lowerBound)), qPrintable(summary));

    // The past with these lines equals checking each line as a ticket.
    int draws = 0;
    const std::array<long long, 5> won = winningLines(plan.lines, DrawResults(frame.store().DrawRecordset), &draws);
    QCOMPARE(plan.whatIf.draws, 2130);
    QCOMPARE(draws, 2130);
    QCOMPARE(plan.whatIf.linesWon, won);
    const Sheet &past = window->findChild<SheetView *>(QStringLiteral("fpSpread2"))->sheet();
    for (int t = 1; t <= 5; ++t)
        QCOMPARE(past.text(3, t + 1), QStringLiteral("%1口").arg(QLocale(QLocale::English).toString(won[size_t(t - 1)])));
    QVERIFY(window->findChild<QLabel *>(QStringLiteral("lblPastWarning"))->text().contains(QStringLiteral("過去は将来を予想しません")));
    QVERIFY(recorder.shown.isEmpty());
}

void TestWheelWindow::cancellingKeepsTheWindowWorking()
{
    Program program;
    QVERIFY(program.load());
    auto &[cwd, folder, frame, recorder] = program;
    frame.show();
    WheelWindow *window = openFromMenu(frame);
    QVERIFY(window);

    // A quick one first: nothing shows, and it stays when the next is cancelled.
    window->setCandidates({3, 8, 15, 22, 29, 36, 41});
    window->setMode(BuyingPlan::Mode::AllLines);
    QVERIFY(window->make());
    QCOMPARE(window->plan()->count, 7);

    // A search of a minute, cancelled from its dialog once that shows.
    window->useFrequency(Candidates::Frequency::MostDrawn, 24);
    window->setMode(BuyingPlan::Mode::Wheel);
    window->setCondition({5, 4});
    window->setSeconds(60);
    bool dialogShown = false;
    QTimer::singleShot(WheelWindow::ProgressDelayMs + 600, window, [&] {
        auto *dialog = window->findChild<QProgressDialog *>(QStringLiteral("progressDialog"));
        dialogShown = dialog && dialog->isVisible();
        // As the user does: the dialog's own button.
        if (auto *button = dialog ? dialog->findChild<QPushButton *>() : nullptr)
            button->click();
    });
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!window->make());
    QVERIFY(clock.elapsed() < 20000);
    QVERIFY(dialogShown);
    QVERIFY(window->statusText().contains(QStringLiteral("取り消しました")));
    QCOMPARE(window->plan()->count, 7);
    QCOMPARE(window->findChild<SheetView *>(QStringLiteral("fpSpread1"))->sheet().maxRows(), 8);

    // And it works on.
    window->setCondition({4, 4});
    window->setSeconds(3);
    window->setCandidates({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    QVERIFY(window->make());
    QVERIFY(window->plan()->wheel->verified);
    QVERIFY(recorder.shown.isEmpty());
}

void TestWheelWindow::linesGoToTheLedgerAfterYes()
{
    Program program;
    QVERIFY(program.load());
    auto &[cwd, folder, frame, recorder] = program;
    WheelWindow *window = openFromMenu(frame);
    QVERIFY(window);
    window->setCandidates({2, 9, 16, 23, 30, 37, 41, 43});
    window->setMode(BuyingPlan::Mode::Wheel);
    window->setCondition({5, 5});
    QVERIFY(window->make());
    QCOMPARE(window->plan()->count, 12); // C(8, 6, 5)
    auto *draw = window->findChild<QSpinBox *>(QStringLiteral("Spin回"));
    QCOMPARE(draw->value(), 2131);
    draw->setValue(2140);

    // No: nothing is written.
    QVERIFY(!window->addToLedger());
    QCOMPARE(recorder.shown.size(), 1);
    QCOMPARE(recorder.shown[0].icon, QMessageBox::Warning);
    QVERIFY2(recorder.shown[0].text.contains(QStringLiteral("12口（2,400円）を第2140回の購入記録に追加します")),
             qPrintable(recorder.shown[0].text));
    QVERIFY(TicketLedger::open(cwd.ledgerPath()).tickets().empty());

    // Yes: every line for that draw, and the ticket window shows them.
    recorder.answers << QMessageBox::Yes;
    QVERIFY(window->addToLedger());
    const std::vector<Ticket> stored = TicketLedger::open(cwd.ledgerPath()).tickets();
    QCOMPARE(stored.size(), size_t(12));
    for (size_t i = 0; i < stored.size(); ++i) {
        QCOMPARE(stored[i].drawNo, 2140);
        QCOMPARE(stored[i].numbers, window->plan()->lines[i]);
        QCOMPARE(stored[i].count, 1);
        QCOMPARE(stored[i].memo, Wheel::memoText({5, 5}));
    }
    auto *tickets = qobject_cast<TicketWindow *>(frame.childWindow(TicketWindow::ClassName));
    QVERIFY(tickets);
    QCOMPARE(tickets->model()->rowCount(), 12);

    // Added again while the ticket window is open: it shows all of them.
    recorder.answers << QMessageBox::Yes;
    QVERIFY(window->addToLedger());
    QCOMPARE(tickets->model()->rowCount(), 24);
    QCOMPARE(recorder.shown.size(), 3);
}

void TestWheelWindow::newDrawsArePlayedToo()
{
    Program program;
    QVERIFY(program.load());
    auto &[cwd, folder, frame, recorder] = program;
    WheelWindow *window = openFromMenu(frame);
    QVERIFY(window);
    window->setCandidates({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    window->setMode(BuyingPlan::Mode::AllLines);
    QVERIFY(window->make());
    QCOMPARE(window->plan()->whatIf.draws, 2130);
    const int fifthBefore = window->plan()->whatIf.drawsWon[4];

    // Draw 2131 holds 1, 2, 3 of the candidates: a 5等 on C(7, 3) lines.
    {
        const Database db = Database::open(folder.databasePath(), DrawDatabase::password(), Database::Mode::ReadWrite);
        db.begin();
        DrawDatabase::insert(db, TestHistory::draw(2131, {Field(1), Field(2), Field(3), Field(30), Field(31), Field(32), Field(33)}), false);
        db.commit();
    }
    frame.context()->drawsWritten();
    QCOMPARE(window->plan()->whatIf.draws, 2131);
    QCOMPARE(window->plan()->whatIf.lastDraw, 2131);
    QCOMPARE(window->plan()->whatIf.drawsWon[4], fifthBefore + 1);
    QCOMPARE(window->findChild<QSpinBox *>(QStringLiteral("Spin回"))->value(), 2132);
    QVERIFY(window->findChild<QLabel *>(QStringLiteral("lblWhatIf"))->text().contains(QStringLiteral("第2131回")));
}

void TestWheelWindow::printoutShowsTheWholeSummaryAboveTheTables()
{
    // The summary's three lines (the wheel, its guarantee, its bound) are
    // printed one under the other between the page's header and the
    // table's caption row, none of them under it.
    Program program;
    QVERIFY(program.load());
    WheelWindow *window = openFromMenu(program.frame);
    QVERIFY(window);
    window->setCandidates({2, 9, 16, 23, 30, 37, 41, 43, 5, 11});
    window->setMode(BuyingPlan::Mode::Wheel);
    window->setCondition({4, 3});
    window->setSeconds(1);
    QVERIFY(window->make());
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("wheel.pdf"));
    QVERIFY(window->tableActions()->writePdf(pdf));
    const std::vector<Word> words = pageWords(pdf);
    QVERIFY(!words.empty());
    const auto first = [&](const QString &start) {
        for (const Word &w : words) {
            if (w.text.startsWith(start))
                return w.box;
        }
        return QRectF();
    };
    const QRectF caption = first(QStringLiteral("第1回〜第2130回")); // the page header
    const QRectF wheel = first(QStringLiteral("縮小ホイール:"));
    const QRectF guarantee = first(QStringLiteral("保証:"));
    const QRectF bound = first(QStringLiteral("下限:"));
    const QRectF header = first(QStringLiteral("番号"));
    QStringList texts;
    for (const Word &w : words)
        texts << w.text;
    for (const QRectF &box : {caption, wheel, guarantee, bound, header})
        QVERIFY2(!box.isNull(), qPrintable(texts.join(QLatin1Char(' '))));
    QVERIFY(caption.bottom() <= wheel.top());
    QVERIFY(wheel.bottom() <= guarantee.top());
    QVERIFY(guarantee.bottom() <= bound.top());
    QVERIFY(bound.bottom() <= header.top());
}

void TestWheelWindow::filtersTableFitsANarrowWindow()
{
    // Filtered over all 43 numbers in a window fitted to a 1024-pixel
    // screen: the filters' table shows every column, no bar to scroll.
    Program program;
    QVERIFY(program.load());
    const DrawHistoryStore &store = program.frame.store();
    WheelWindow window(store, [&store] {
        PredictionEngine engine;
        engine.SetUpPredictionGrids(store);
        return engine;
    }, program.cwd.ledgerPath(), [](const MessageRequest &) { return QMessageBox::Ok; });
    window.resize(1000, 700);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.setMode(BuyingPlan::Mode::Filter);
    window.make();
    auto *table = window.findChild<SheetView *>(QStringLiteral("fpSpread3"));
    QTRY_VERIFY(table->isVisible());
    QApplication::processEvents();
    QVERIFY(!table->horizontalScrollBar()->isVisible());
    QVERIFY(table->geometry().right() < window.width());
}

QTEST_MAIN(TestWheelWindow)
#include "tst_wheelwindow.moc"
