// Open windows follow the draws: after 当選データ最新化, an import and a
// committed edit, 出現頻度分析 and the prediction show the new history in
// place (the same windows, scrolled and selected as before), and the windows
// whose results take a while say they are outdated until 再計算.
#include "analysis/catalog.h"
#include "analysis/gui/analysisframe.h"
#include "analysis/gui/randomnesswindow.h"
#include "app/gui/mainfrm.h"
#include "maintenance/gui/drawimportwindow.h"
#include "maintenance/gui/drawresultseditor.h"
#include "prediction/gui/backtestwindow.h"
#include "prediction/gui/predictionwindow.h"
#include "support/drawfile.h"
#include "support/fixtures.h"
#include "support/history.h"
#include "support/httptestserver.h"
#include "ui/gui/sheetview.h"
#include "ui/gui/subwindow.h"
#include "ui/sheetexport.h"

#include <QAction>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QtTest>

namespace {

const QString Draw21 = QStringLiteral("第21回 2026年12月3日 03 11 19 27 33 41 (08)\n");

void trigger(MainFrm &frame, const QString &name)
{
    QAction *action = frame.findChild<QAction *>(name);
    QVERIFY2(action, qPrintable(name));
    action->trigger();
}

// A program folder whose database holds the generated draws 1 … count.
class Folder
{
public:
    explicit Folder(int count) { DrawFile::write(databasePath(), TestHistory::generated(count)); }
    QString path() const { return m_dir.path(); }
    QString databasePath() const { return m_dir.filePath(DrawDatabase::FileName); }
    // The history as a fresh start on the file would load it.
    DrawHistoryStore load() const { return loadDrawHistoryFrom(databasePath()); }

private:
    QTemporaryDir m_dir;
};

// The program on draws 1 … 20, its message boxes recorded; not loaded yet.
struct Program
{
    Program() { messages.install(frame); }
    Folder folder{20};
    MainFrm frame{folder.path()};
    MessageRecorder messages;
};

// Imports the pasted text through the menu's window, as a user does.
void importPasted(MainFrm &frame, MessageRecorder &messages, const QString &text)
{
    trigger(frame, QStringLiteral("mnuMasterImport"));
    auto *import = qobject_cast<DrawImportWindow *>(frame.childWindow(DrawImportWindow::ClassName));
    QVERIFY(import);
    import->pasteBox()->setPlainText(text);
    import->findChild<QPushButton *>(QStringLiteral("Cmd確認"))->click();
    messages.answers << QMessageBox::Ok;
    import->applyButton()->click();
}

} // namespace

class TestFollowDraws : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openWindowsShowTheNewDraws_data();
    void openWindowsShowTheNewDraws();
    void slowResultsAreMarkedOutdatedUntilRecomputed();
    void aWindowThatCannotFollowClosesAndSaysWhy();
};

void TestFollowDraws::openWindowsShowTheNewDraws_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<int>("lastDraw");
    QTest::newRow("当選データ最新化") << QStringLiteral("update") << 21;
    QTest::newRow("当選データ取込") << QStringLiteral("import") << 21;
    QTest::newRow("当選データ入力") << QStringLiteral("editor") << 20;
}

void TestFollowDraws::openWindowsShowTheNewDraws()
{
    QFETCH(QString, writer);
    QFETCH(int, lastDraw);
    Program program;
    auto &[folder, frame, messages] = program;
    frame.resize(1280, 960);
    frame.show();
    QVERIFY(frame.load());
    QPointer prediction = qobject_cast<PredictionWindow *>(frame.childWindow(PredictionEngine::WindowName));
    trigger(frame, QStringLiteral("mnuSyutugenHindo"));
    QPointer analysis = qobject_cast<AnalysisFrame *>(frame.childWindow(QStringLiteral("出現頻度分析")));
    QVERIFY(prediction && analysis);
    // Small enough for the table to scroll.
    enclosingSubWindow(analysis)->resize(320, 240);
    QCoreApplication::processEvents();
    SheetView *grid = analysis->grid();
    grid->selectBlock(3, 30, 3, 30);
    grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
    const int scrolled = grid->verticalScrollBar()->value();
    QVERIFY(scrolled > 0);
    const QString before = SheetExport::csv(grid->sheet());

    if (writer == QLatin1String("update")) {
        const Folder newer(21);
        HttpTestServer server;
        server.serve(HttpTestServer::Reply::Body, DrawFile::bytes(newer.databasePath()));
        frame.setDownloadUrl(server.url());
        messages.answers << QMessageBox::Yes; // replace the draws
        trigger(frame, QStringLiteral("mnuMasterUpdate"));
    } else if (writer == QLatin1String("import")) {
        importPasted(frame, messages, Draw21);
    } else {
        // One flag, not a count: closing a third window lets the editor open
        // beside the two that follow the draws.
        trigger(frame, QStringLiteral("mnuSyutugenKaisu"));
        enclosingSubWindow(frame.childWindow(QStringLiteral("回数別出現分析")))->close();
        trigger(frame, QStringLiteral("mnuMasterInput"));
        auto *editor = qobject_cast<DrawResultsEditor *>(frame.childWindow(DrawResultsEditor::ClassName));
        QVERIFY(editor);
        // Draw 20's first number becomes one the draw does not hold.
        const DrawRecord last = TestHistory::generated(20).back();
        int number = 1;
        while (std::any_of(last.numbers.begin(), last.numbers.end(), [&](const Field &f) { return f.toInt16() == number; }))
            ++number;
        QAbstractItemModel *records = editor->grid()->model();
        QVERIFY(records->setData(records->index(19, 1), QString::number(number)));
    }
    QTRY_COMPARE(int(frame.store().LastDrawNo), lastDraw);
    QTRY_VERIFY(SheetExport::csv(grid->sheet()) != before);
    for (const MessageRequest &shown : messages.shown)
        QVERIFY2(shown.icon != QMessageBox::Critical, qPrintable(shown.text));

    // The same windows, now exactly what a fresh start on the file shows.
    const DrawHistoryStore fresh = folder.load();
    QCOMPARE(int(fresh.LastDrawNo), lastDraw);
    QVERIFY(analysis && prediction);
    QCOMPARE(frame.childWindow(QStringLiteral("出現頻度分析")), analysis.data());
    QCOMPARE(SheetExport::csv(grid->sheet()), SheetExport::csv(findAnalysisWindow(QStringLiteral("出現頻度分析"))->build(fresh)));
    PredictionEngine engine;
    engine.setFlags(frame.prediction()->flags());
    engine.SetUpPredictionGrids(fresh);
    for (int k = 0; k < PredictionEngine::GridCount; ++k)
        QCOMPARE(SheetExport::csv(prediction->grid(k)->sheet()), SheetExport::csv(engine.grid(k)));
    // Where the user was looking, and what was selected, stays.
    QCOMPARE(grid->verticalScrollBar()->value(), scrolled);
    QCOMPARE(grid->selection().col1, 3);
    QCOMPARE(grid->selection().row1, 30);
}

void TestFollowDraws::slowResultsAreMarkedOutdatedUntilRecomputed()
{
    Program program;
    auto &[folder, frame, messages] = program;
    QVERIFY(frame.load());
    trigger(frame, QStringLiteral("mnuRandomness"));
    trigger(frame, QStringLiteral("mnuYosoKensyo"));
    auto *randomness = qobject_cast<RandomnessWindow *>(frame.childWindow(RandomnessWindow::ClassName));
    auto *backtest = qobject_cast<BacktestWindow *>(frame.childWindow(QStringLiteral("予想の検証")));
    QVERIFY(randomness && backtest);
    for (QWidget *window : {static_cast<QWidget *>(randomness), static_cast<QWidget *>(backtest)})
        QVERIFY(window->findChild<QWidget *>(QStringLiteral("staleResult"))->isHidden());

    importPasted(frame, messages, Draw21);
    QCOMPARE(int(frame.store().LastDrawNo), 21);
    // Both still show the tests of draws 1 … 20, and say so.
    QCOMPARE(randomness->report().lastDraw, 20);
    QCOMPARE(backtest->findChild<QSpinBox *>(QStringLiteral("toDraw"))->value(), 20);
    for (QWidget *window : {static_cast<QWidget *>(randomness), static_cast<QWidget *>(backtest)}) {
        QWidget *stale = window->findChild<QWidget *>(QStringLiteral("staleResult"));
        QVERIFY(!stale->isHidden());
        stale->findChild<QPushButton *>(QStringLiteral("Cmd再計算"))->click();
        QVERIFY(stale->isHidden());
    }
    // A range that ran to the last draw now runs to the new one.
    QCOMPARE(randomness->report().lastDraw, 21);
    QCOMPARE(backtest->findChild<QSpinBox *>(QStringLiteral("toDraw"))->value(), 21);
}

void TestFollowDraws::aWindowThatCannotFollowClosesAndSaysWhy()
{
    // 10000 is within the store's totals table but beyond the frequency
    // window's running counts: the new data loads, that window cannot show it.
    Program program;
    auto &[folder, frame, messages] = program;
    QVERIFY(frame.load());
    trigger(frame, QStringLiteral("mnuSyutugenHindo"));
    QVERIFY(frame.childWindow(QStringLiteral("出現頻度分析")));
    const ProgramFolder odd(QStringLiteral("1,1,2,3,4,5,6,10000\n"));
    HttpTestServer server;
    server.serve(HttpTestServer::Reply::Body, DrawFile::bytes(odd.databasePath()));
    frame.setDownloadUrl(server.url());
    // Replace the draws, and again when asked about a download older than them.
    messages.answers << QMessageBox::Yes << QMessageBox::Yes;
    trigger(frame, QStringLiteral("mnuMasterUpdate"));
    QCOMPARE(int(frame.store().LastDrawNo), 1);
    QTRY_VERIFY(!frame.childWindow(QStringLiteral("出現頻度分析")));
    const auto told = std::find_if(messages.shown.begin(), messages.shown.end(), [](const MessageRequest &shown) {
        return shown.icon == QMessageBox::Critical && shown.text.startsWith(QStringLiteral("出現頻度分析: "))
            && shown.text.contains(QStringLiteral("インデックスが有効範囲にありません。"));
    });
    QVERIFY(told != messages.shown.end());
}

QTEST_MAIN(TestFollowDraws)
#include "tst_followdraws.moc"
