// 当選データ取込 inside the real main window on a copy of the bundled
// history: pasted draws previewed and written, the prediction following them,
// the 上書き tick, and the one-window rule with the draw results editor.
#include "app/gui/mainfrm.h"
#include "maintenance/drawrecordeditor.h"
#include "maintenance/gui/drawimportwindow.h"
#include "maintenance/gui/drawresultseditor.h"
#include "maintenance/gui/ticketmodel.h"
#include "maintenance/gui/ticketwindow.h"
#include "prediction/gui/predictionwindow.h"
#include "support/drawfile.h"
#include "support/editreports.h"
#include "support/fixtures.h"
#include "support/history.h"
#include "ui/gui/sheetview.h"
#include "ui/gui/subwindow.h"
#include "ui/sheetexport.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

namespace {

const QString ThreeNewDraws = QStringLiteral("第2131回 2026年12月3日 03 11 19 27 33 41 (08)\n"
                                             "第2132回 2026年12月7日 02 09 14 22 38 43 (17)\n"
                                             "第2133回 2026年12月10日 05 06 21 30 36 42 (01)\n");

void trigger(MainFrm &window, const QString &name)
{
    QAction *action = window.findChild<QAction *>(name);
    QVERIFY2(action, qPrintable(name));
    action->trigger();
}

DrawImportWindow *importWindow(const MainFrm &window)
{
    return qobject_cast<DrawImportWindow *>(window.childWindow(DrawImportWindow::ClassName));
}

// Loads the main window, its messages recorded, and opens 当選データ取込.
DrawImportWindow *openImport(MainFrm &window, MessageRecorder &messages)
{
    messages.install(window);
    if (!window.load())
        return nullptr;
    window.findChild<QAction *>(QStringLiteral("mnuMasterImport"))->trigger();
    return importWindow(window);
}

QStringList column(const QTableWidget &table, int column)
{
    QStringList texts;
    for (int row = 0; row < table.rowCount(); ++row)
        texts << table.item(row, column)->text();
    return texts;
}

} // namespace

class TestImportWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pastedDrawsAreAddedAndThePredictionFollows();
    void differentDrawIsOverwrittenOnlyWhenTicked_data();
    void differentDrawIsOverwrittenOnlyWhenTicked();
    void editorAndImportExcludeEachOther();
    void pastedPageBringsItsPrizesToTheTicketWindow();
    void fileReplacesThePasteBoxAndLimitsAreSaid();
    void previewTableEndsAtItsFrame();
    void importWhileOtherConnectionsWrite();
    void screenshot();
};

void TestImportWindow::pastedDrawsAreAddedAndThePredictionFollows()
{
    ProgramFolder folder;
    MainFrm window(folder.path());
    MessageRecorder messages;
    DrawImportWindow *import = openImport(window, messages);
    QVERIFY(import);

    import->pasteBox()->setPlainText(ThreeNewDraws);
    QTest::mouseClick(import->findChild<QPushButton *>(QStringLiteral("Cmd確認")), Qt::LeftButton);
    QCOMPARE(column(*import->table(), DrawImportWindow::KindColumn), QStringList(3, QStringLiteral("追加")));
    QCOMPARE(column(*import->table(), DrawImportWindow::DrawNoColumn),
             QStringList({QStringLiteral("2131"), QStringLiteral("2132"), QStringLiteral("2133")}));
    QCOMPARE(import->table()->item(0, DrawImportWindow::IncomingColumn)->text(), QStringLiteral("03 11 19 27 33 41 (08)  2026/12/03"));
    const QStringList before = DrawFile::lines(folder.databasePath());

    messages.answers << QMessageBox::Ok;
    QTest::mouseClick(import->applyButton(), Qt::LeftButton);
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].icon, QMessageBox::NoIcon);
    QVERIFY2(messages.shown[0].text.contains(QStringLiteral("新しいデータが反映されました")), qPrintable(messages.shown[0].text));
    QCOMPARE(DrawFile::lines(folder.databasePath() + QStringLiteral(".bak")), before);

    // The store and the open prediction window now hold draws 2131 … 2133,
    // exactly as a fresh start on the file would compute them.
    QCOMPARE(int(window.store().LastDrawNo), 2133);
    PredictionEngine fresh;
    fresh.setFlags(window.prediction()->flags());
    fresh.SetUpPredictionGrids(loadDrawHistoryFrom(folder.databasePath()));
    auto *prediction = qobject_cast<PredictionWindow *>(window.childWindow(PredictionEngine::WindowName));
    QVERIFY(prediction);
    for (int k = 0; k < PredictionEngine::GridCount; ++k)
        QCOMPARE(SheetExport::csv(prediction->grid(k)->sheet()), SheetExport::csv(fresh.grid(k)));
    // The preview is taken again: everything is now stored.
    QCOMPARE(column(*import->table(), DrawImportWindow::KindColumn), QStringList(3, QStringLiteral("同一")));
}

void TestImportWindow::differentDrawIsOverwrittenOnlyWhenTicked_data()
{
    QTest::addColumn<bool>("tick");
    QTest::addColumn<QString>("stored");
    QTest::newRow("kept") << false << QStringLiteral("2|1|2|3|4|5|6|7");
    QTest::newRow("overwritten") << true << QStringLiteral("2|1|2|3|4|5|43|7");
}

void TestImportWindow::differentDrawIsOverwrittenOnlyWhenTicked()
{
    QFETCH(bool, tick);
    QFETCH(QString, stored);
    ProgramFolder folder(QStringLiteral("1,1,2,3,4,5,6,7\n2,1,2,3,4,5,6,7\n"));
    MainFrm window(folder.path());
    MessageRecorder messages;
    DrawImportWindow *import = openImport(window, messages);
    QVERIFY(import);
    import->pasteBox()->setPlainText(QStringLiteral("第2回 1 2 3 4 5 43 (7)"));
    import->Cmd確認_Click();
    QCOMPARE(column(*import->table(), DrawImportWindow::KindColumn), QStringList{QStringLiteral("相違")});
    QCOMPARE(import->table()->item(0, DrawImportWindow::StoredColumn)->text(), QStringLiteral("01 02 03 04 05 06 (07)"));
    if (tick)
        import->table()->item(0, DrawImportWindow::OverwriteColumn)->setCheckState(Qt::Checked);
    import->Cmd取込実行_Click();
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(DrawFile::lines(folder.databasePath()).last(), stored);
    QCOMPARE(QFile::exists(folder.databasePath() + QStringLiteral(".bak")), tick);
}

void TestImportWindow::editorAndImportExcludeEachOther()
{
    ProgramFolder folder(QStringLiteral("1,1,2,3,4,5,6,7\n"));
    MainFrm window(folder.path());
    MessageRecorder messages;
    messages.install(window);
    QVERIFY(window.load());
    enclosingSubWindow(window.childWindow(PredictionEngine::WindowName))->close();

    // The import window holds the one-window flag: the editor is refused.
    trigger(window, QStringLiteral("mnuMasterImport"));
    QVERIFY(importWindow(window));
    trigger(window, QStringLiteral("mnuMasterInput"));
    QVERIFY(!window.childWindow(DrawResultsEditor::ClassName));
    QCOMPARE(messages.shown.last().text, QStringLiteral("表示中のウィンドウを閉じないと実行できません。"));
    QTest::mouseClick(importWindow(window)->findChild<QPushButton *>(QStringLiteral("Cmd閉じる")), Qt::LeftButton);
    QTRY_VERIFY(!importWindow(window));

    // And the editor, writing on its own connection, refuses the import.
    trigger(window, QStringLiteral("mnuMasterInput"));
    QVERIFY(window.childWindow(DrawResultsEditor::ClassName));
    trigger(window, QStringLiteral("mnuMasterImport"));
    QVERIFY(!importWindow(window));
    QCOMPARE(messages.shown.last().text, QStringLiteral("当選データ入力を閉じないと実行できません。"));
    QCOMPARE(messages.shown.last().title, Messages::ErrorTitle);
}

void TestImportWindow::pastedPageBringsItsPrizesToTheTicketWindow()
{
    WorkingDirectory cwd;
    ProgramFolder folder; // the bundled history, 1 … 2130
    Ticket fourth;
    fourth.drawNo = 2131;
    fourth.numbers = {3, 11, 19, 27, 1, 2};
    fourth.purchaseDate = QStringLiteral("2026-08-20");
    TicketLedger::open(cwd.ledgerPath()).add(fourth);
    MainFrm window(folder.path());
    MessageRecorder messages;
    DrawImportWindow *import = openImport(window, messages);
    QVERIFY(import);
    trigger(window, QStringLiteral("mnuTickets"));
    auto *tickets = qobject_cast<TicketWindow *>(window.childWindow(TicketWindow::ClassName));
    QVERIFY(tickets);

    import->pasteBox()->setPlainText(QStringLiteral("第2131回 ロト6 抽せん日 2026年8月24日(月) 本数字 33 11 19 27 03 41 ボーナス数字 (08)\n"
                                                    "1等 該当なし\n2等 6口 10,234,500円\n3等 250口 312,300円\n4等 12,000口 6,800円\n"
                                                    "第2132回 本数字 03 11 19 27 33 ボーナス数字 08\n次回 第2133回 8月31日(月)\n"));
    import->Cmd確認_Click();
    QCOMPARE(column(*import->table(), DrawImportWindow::KindColumn), QStringList({QStringLiteral("追加"), QStringLiteral("エラー")}));
    QCOMPARE(import->table()->item(0, DrawImportWindow::IncomingColumn)->text(), QStringLiteral("03 11 19 27 33 41 (08)  2026/08/24"));
    QCOMPARE(import->table()->item(0, DrawImportWindow::PrizeColumn)->text(),
             QStringLiteral("1等 該当なし\n2等 6口 10,234,500円\n3等 250口 312,300円\n4等 12,000口 6,800円"));
    QCOMPARE(import->table()->item(0, DrawImportWindow::NoteColumn)->text(), QStringLiteral("並べ替えて登録"));
    // An error row shows the 回 it could read.
    QCOMPARE(import->table()->item(1, DrawImportWindow::DrawNoColumn)->text(), QStringLiteral("2132"));
    QCOMPARE(import->table()->item(1, DrawImportWindow::NoteColumn)->text(), QStringLiteral("本数字が6個ではありません（5個）。"));
    QVERIFY2(import->summary()->text().contains(QStringLiteral("注意: 7 行目: 第2133回には当選数字がないため")), qPrintable(import->summary()->text()));

    messages.answers << QMessageBox::Ok;
    import->Cmd取込実行_Click();
    QVERIFY2(messages.shown.last().text.startsWith(QStringLiteral("当選データを取り込みました（追加 1 件、上書き 0 件、同一 0 件、スキップ 1 件、エラー 1 件）。\n"
                                                                  "当選金額 4 件を購入記録に記録しました。")),
             qPrintable(messages.shown.last().text));
    QCOMPARE(DrawFile::lines(folder.databasePath()).last(), QStringLiteral("2131|3|11|19|27|33|41|8"));
    // The open ticket window shows the draw's 4等 amount without any typing.
    const QModelIndex prize = tickets->model()->index(0, TicketTableModel::PrizeColumn);
    QCOMPARE(tickets->model()->index(0, TicketTableModel::TierColumn).data().toString(), QStringLiteral("4等"));
    QCOMPARE(prize.data().toString(), QStringLiteral("6,800円"));
}

void TestImportWindow::fileReplacesThePasteBoxAndLimitsAreSaid()
{
    ProgramFolder folder(QStringLiteral("1,1,2,3,4,5,6,7\n"));
    QTemporaryDir dir;
    MainFrm window(folder.path());
    MessageRecorder messages;
    DrawImportWindow *import = openImport(window, messages);
    QVERIFY(import);

    const QString file = dir.filePath(QStringLiteral("draws.csv"));
    QVERIFY(DrawFile::writeBytes(file, "2,1,2,3,4,5,6,7\n"));
    import->pasteBox()->setPlainText(QStringLiteral("第5回 1 2 3 4 5 6 (7)"));
    import->loadFile(file);
    QVERIFY(import->pasteBox()->toPlainText().isEmpty());
    QCOMPARE(column(*import->table(), DrawImportWindow::DrawNoColumn), QStringList{QStringLiteral("2")});

    // Too long a line, in a file or pasted: said with its limit, nothing previewed.
    QVERIFY(DrawFile::writeBytes(file, QByteArray(70000, '1')));
    import->loadFile(file);
    QVERIFY2(messages.shown.last().text.contains(QStringLiteral("の 1 行目が長すぎます（1行 64 KB まで）")), qPrintable(messages.shown.last().text));
    import->pasteBox()->setPlainText(QString(70000, QLatin1Char('1')));
    import->Cmd確認_Click();
    QCOMPARE(messages.shown.last().text, QStringLiteral("貼り付けた文字の 1 行目が長すぎます（1行 64 KB まで）。読み込みをやめました。"));
    QCOMPARE(messages.shown.last().title, Messages::ErrorTitle);
}

void TestImportWindow::previewTableEndsAtItsFrame()
{
    // The last column reaches the table's right edge after every preview,
    // short or long (no grey strip beside it), or scrolls past it where a
    // reason is longer than the room left.
    ProgramFolder folder;
    MainFrm window(folder.path());
    DrawImportWindow *import = showImportWindow(window);
    QVERIFY(import);
    QTableWidget *table = import->table();
    for (const QString &text : {ThreeNewDraws, ThreeNewDraws + QStringLiteral("第2135回 2026年12月17日 01 02 03 04 05 44 (06)\n"),
                                QStringLiteral("回数,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス数字\n")
                                    + QStringLiteral("%1,1,2,3,4,5,6,7\n").arg(QStringLiteral("x").repeated(200)).repeated(40)}) {
        import->pasteBox()->setPlainText(text);
        import->Cmd確認_Click();
        QCoreApplication::processEvents();
        QTRY_COMPARE(table->horizontalHeader()->length() > table->viewport()->width(),
                     table->horizontalScrollBar()->isVisible());
        QVERIFY(table->horizontalHeader()->length() >= table->viewport()->width());
        // Every text stands whole; a long one scrolls.
        for (int r = 0; r < table->rowCount(); ++r) {
            for (int c = 0; c < DrawImportWindow::ColumnCount; ++c)
                QVERIFY(table->fontMetrics().horizontalAdvance(table->item(r, c)->text()) < table->columnWidth(c));
        }
    }
}

// 3 000 pasted draws written from the window while the draw results editor
// of another program changes row after row, and with an editor's connection
// open in this program too: what the window reports and what the other
// editor reports are what the file holds, and the editor here can go on
// writing afterwards.
void TestImportWindow::importWhileOtherConnectionsWrite()
{
    ProgramFolder folder;
    const QString db = folder.databasePath();
    const QStringList before = DrawFile::lines(db);
    MainFrm window(folder.path());
    MessageRecorder messages;
    messages.install(window);
    QVERIFY(window.load());
    DrawRecordEditor sameProgram = DrawRecordEditor::open(db);

    QStringList pasted;
    QStringList expected;
    std::vector<DrawRecord> added = TestHistory::generated(3000, 41u);
    for (DrawRecord &record : added) {
        record.drawNo = Field(record.drawNo.integer() + 2130);
        QStringList numbers;
        for (int p = 1; p <= 6; ++p)
            numbers << record.number(p).toText();
        pasted << QStringLiteral("第%1回 %2 (%3)").arg(record.drawNo.toText(), numbers.join(QLatin1Char(' ')), record.bonus().toText());
        expected << DrawFile::line(record);
    }
    trigger(window, QStringLiteral("mnuMasterImport"));
    DrawImportWindow *import = importWindow(window);
    QVERIFY(import);
    import->pasteBox()->setPlainText(pasted.join(QLatin1Char('\n')));
    import->Cmd確認_Click();

    QProcess otherEditor;
    otherEditor.start(QStringLiteral(LOTO6_DBWRITER), {db, QStringLiteral("edit"), QStringLiteral("400")});
    QVERIFY(otherEditor.waitForReadyRead(60000));
    QCOMPARE(otherEditor.readLine(), QByteArray("ready\n"));
    messages.answers << QMessageBox::Ok;
    import->Cmd取込実行_Click();
    QVERIFY(otherEditor.waitForFinished(120000));

    const QStringList lines = DrawFile::lines(db);
    const qsizetype held = std::count_if(expected.cbegin(), expected.cend(), [&](const QString &l) { return lines.contains(l); });
    QCOMPARE(messages.shown.size(), 1);
    if (messages.shown[0].icon == QMessageBox::NoIcon) {
        QVERIFY2(messages.shown[0].text.contains(QStringLiteral("追加 3000 件")), qPrintable(messages.shown[0].text));
        QCOMPARE(held, 3000);
    } else {
        QVERIFY2(messages.shown[0].text.contains(QStringLiteral("変更していません")), qPrintable(messages.shown[0].text));
        QCOMPARE(held, 0);
    }
    const EditReports::Checked edits = EditReports::check(otherEditor.readAllStandardOutput(), before, lines);
    QVERIFY(edits.written > 0);
    QCOMPARE(edits.contradicted, QStringList());

    // On a draw the other editor left alone (it changed the first 400): a
    // number it does not hold, and the draw is stored whole, ascending.
    const int row = 1000;
    const auto holds = [&](int n) {
        for (int p = 1; p <= 7; ++p) {
            if (sameProgram.record(row).number(p).integer() == n)
                return true;
        }
        return false;
    };
    int number = 1;
    while (holds(number))
        ++number;
    QCOMPARE(int(sameProgram.setText(3, row, QString::number(number)).status), int(EditResult::Status::Written));
    QVERIFY(DrawFile::lines(db)[row - 1].split(QLatin1Char('|')).contains(QString::number(number)));
}

void TestImportWindow::screenshot()
{
    // Not a check: with LOTO6_SCREENSHOT=FILE it pictures the window with a
    // preview of every kind, on the bundled history.
    const QString target = qEnvironmentVariable("LOTO6_SCREENSHOT");
    if (target.isEmpty())
        QSKIP("LOTO6_SCREENSHOT not set");
    ProgramFolder folder;
    MainFrm window(folder.path());
    DrawImportWindow *import = showImportWindow(window);
    QVERIFY(import);
    import->pasteBox()->setPlainText(QStringLiteral("第2130回 2026年8月20日 12 18 35 40 41 42 (03)\n"
                                                    "第2131回 ロト6 抽せん日 2026年8月24日(月) 本数字 33 11 19 27 03 41 ボーナス数字 (08)\n"
                                                    "1等 該当なし\n2等 6口 10,234,500円\n3等 250口 312,300円\n4等 12,000口 6,800円\n"
                                                    "第2132回 8月27日(木) 02 09 14 22 38 43 (17)\n"
                                                    "第2134回 9月3日(木) 01 02 03 04 05 44 (06)\n"
                                                    "次回 第2135回 9月7日(月)\n"));
    import->Cmd確認_Click();
    QTest::qWait(300);
    QVERIFY(window.grab().save(target));
}

QTEST_MAIN(TestImportWindow)
#include "tst_importwindow.moc"
