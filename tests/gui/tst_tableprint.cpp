// Tables leaving the windows: the printed pages read back from the PDF, the
// CSV files the windows write, zoom, and the jump to a draw.
#include "analysis/gui/analysisframe.h"
#include "app/gui/programsetup.h"
#include "maintenance/gui/drawresultseditor.h"
#include "store/drawdatabase.h"
#include "support/drawfile.h"
#include "support/fixtures.h"
#include "support/history.h"
#include "ui/gui/metrics.h"
#include "ui/gui/sheetprinter.h"
#include "ui/gui/sheetview.h"
#include "ui/gui/tableactions.h"
#include "ui/sheetexport.h"

#include <QAction>
#include <QClipboard>
#include <QInputDialog>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString run(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pageText(const QString &pdf, int page)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                              QString::number(page), QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

// A message presenter that keeps what it was asked to show.
struct Recorder
{
    QStringList texts;
    MessagePresenter presenter()
    {
        return [this](QWidget *, const MessageRequest &request) {
            texts << request.text;
            return QMessageBox::Ok;
        };
    }
};

} // namespace

class TestTablePrint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void printedPagesCarryCaptionsColoursAndTheLastDraw();
    void printedPagesFitThePaper_data();
    void printedPagesFitThePaper();
    void csvFilesOfAWindow();
    void textOutputsMarkTheBonus();
    void zoomKeepsFrozenPanes();
    void goToDraw();
    void dispersionKeepsItsCaptionRowsInView();
    void gridsEndWhereTheirTablesDo();
    void fileDialogsRememberTheFolderPerKind();
    void renderedWindowsCarryTheProgramIcon();

private:
    QTemporaryDir m_home;
};

void TestTablePrint::initTestCase()
{
    QVERIFY(m_home.isValid());
    useTemporaryHome(m_home);
}

void TestTablePrint::printedPagesCarryCaptionsColoursAndTheLastDraw()
{
    const DrawHistoryStore store = LoadDrawHistory(QCoreApplication::applicationDirPath());
    const AnalysisWindow &dispersion = *findAnalysisWindow(QStringLiteral("バラツキ分析"));
    const SheetPrinter::Document document = AnalysisFrame::printDocument(dispersion, store);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QString problem;
    const int pages = SheetPrinter::writePdf(pdf, document, false, &problem);
    QVERIFY2(pages > 2, qPrintable(problem));
    QVERIFY(run(QStringLiteral("pdfinfo"), {pdf}).contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))));

    // Page 2 repeats the caption rows (数 … 字 over the numbers 1 … 43)
    // under the page header; the last page ends with draw 2130.
    const QString second = pageText(pdf, 2);
    QVERIFY(second.contains(QStringLiteral("バラツキ分析")));
    QVERIFY(second.contains(QStringLiteral("第1回〜第2130回")));
    QVERIFY(second.contains(QRegularExpression(QStringLiteral("数\\s+字"))));
    QVERIFY(second.contains(QRegularExpression(QStringLiteral("回\\s+1\\s+2\\s+3\\s+4\\s+5"))));
    QVERIFY(second.contains(QStringLiteral("2 / %1").arg(pages)));
    const QString last = pageText(pdf, pages);
    QVERIFY(last.contains(QRegularExpression(QStringLiteral("\\b2130\\b"))));
    QVERIFY(!last.contains(QRegularExpression(QStringLiteral("\\b2131\\b"))));
    QVERIFY(last.contains(QStringLiteral("%1 / %1").arg(pages)));

    // The dots keep their colour on paper.
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                                     QStringLiteral("-r"), QStringLiteral("60"), QStringLiteral("-png"), pdf,
                                     dir.filePath(QStringLiteral("page"))});
    const QImage image(dir.filePath(QStringLiteral("page-%1.png").arg(QString::number(1).rightJustified(
        QString::number(pages).size(), QLatin1Char('0')))));
    QVERIFY(!image.isNull());
    int mainDots = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            mainDots += std::abs(c.red() - 62) < 30 && std::abs(c.green() - 158) < 30 && c.blue() > 220;
        }
    }
    QVERIFY(mainDots > 50);

    // Fitted to the page width, the same table takes no more pages.
    QVERIFY(SheetPrinter::writePdf(dir.filePath(QStringLiteral("fit.pdf")), document, true, &problem) <= pages);
}

void TestTablePrint::csvFilesOfAWindow()
{
    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(50));
    const AnalysisWindow &five = *findAnalysisWindow(QStringLiteral("分割5傾向分析"));
    AnalysisFrame frame(five, five.build(store));
    Recorder recorder;
    frame.tableActions()->setPresenter(recorder.presenter());
    QTemporaryDir dir;
    const QString expected = SheetExport::csv(frame.grid()->sheet());
    for (const auto encoding : {TableOutput::Encoding::Utf8Bom, TableOutput::Encoding::ShiftJis}) {
        const QString path = dir.filePath(QStringLiteral("five.csv"));
        QVERIFY(frame.tableActions()->writeCsv(path, encoding));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.startsWith("\xEF\xBB\xBF"), encoding == TableOutput::Encoding::Utf8Bom);
        QCOMPARE(TableOutput::decode(bytes), expected);
    }
    // A folder that does not exist: a message, and no file.
    QVERIFY(!frame.tableActions()->writeCsv(dir.filePath(QStringLiteral("no/such.csv")), TableOutput::Encoding::Utf8Bom));
    QCOMPARE(recorder.texts.size(), 1);
    QVERIFY(recorder.texts.first().startsWith(QStringLiteral("CSVファイル")));
}

void TestTablePrint::zoomKeepsFrozenPanes()
{
    Sheet sheet;
    sheet.setDimensions(30, 200, 10, 20);
    sheet.setFrozenRows(2);
    sheet.setFrozenCols(1);
    sheet.setColWidth(-1, 5.0);
    sheet.setRowHeight(-1, 10.0);
    SheetView view;
    view.setSheet(sheet);
    view.resize(400, 300);
    view.show();
    view.scrollToCell(20, 150);
    const int top = view.topRow();
    const int left = view.leftCol();
    QVERIFY(top > 3 && left > 2);

    QTest::keyClick(&view, Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(view.zoom(), 110);
    QWheelEvent wheel(QPointF(50, 50), view.mapToGlobal(QPointF(50, 50)), {}, QPoint(0, 120 * 30), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &wheel);
    QCOMPARE(view.zoom(), SheetView::MaxZoom);
    for (const int zoom : {SheetView::MaxZoom, SheetView::MinZoom}) {
        view.setZoom(zoom);
        // The caption rows and column stay at the top left, the scrolled
        // part starts where it did, and cells grow with the zoom.
        QCOMPARE(view.cellAt(QPoint(2, 2)), QPoint(1, 1));
        QCOMPARE(view.topRow(), top);
        QCOMPARE(view.leftCol(), left);
        const QPoint below = view.cellAt(QPoint(2, Metrics::rowPixels(10.0 * zoom / 100) * 2 + 2));
        QCOMPARE(below, QPoint(1, top));
    }
    QTest::keyClick(&view, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(view.zoom(), 100);
}

void TestTablePrint::goToDraw()
{
    // An analysis window whose rows are draws.
    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(300));
    const AnalysisWindow &pull = *findAnalysisWindow(QStringLiteral("引っ張り分析"));
    AnalysisFrame frame(pull, pull.build(store));
    frame.resize(600, 400);
    frame.show();
    Recorder recorder;
    frame.tableActions()->setPresenter(recorder.presenter());
    QVERIFY(frame.findChild<QAction *>(QStringLiteral("actGoToDraw")));
    QVERIFY(frame.tableActions()->moveToDraw(250));
    const Block at = frame.grid()->selection();
    QCOMPARE(frame.grid()->sheet().text(1, at.row1), QStringLiteral("250"));
    QVERIFY(frame.grid()->topRow() <= at.row1 && at.row1 < frame.grid()->topRow() + 30);
    // Zooming in keeps the current cell in view.
    frame.grid()->setZoom(SheetView::MaxZoom);
    const QPoint bottom = frame.grid()->cellAt(QPoint(2, frame.grid()->viewport()->height() - 2));
    QVERIFY(frame.grid()->topRow() <= at.row1 && at.row1 <= bottom.y());
    QVERIFY(!frame.tableActions()->moveToDraw(301));
    QCOMPARE(recorder.texts, QStringList{QStringLiteral("第301回はこの表の範囲（第1回〜第300回）の外です。")});

    // As typed into the box: every digit counts, and text that is no draw
    // number is named.
    struct Typed
    {
        QString text;
        bool moves;
        QString message;
    };
    const Typed typed[] = {
        {QStringLiteral("99999"), false, QStringLiteral("第99999回はこの表の範囲（第1回〜第300回）の外です。")},
        {QStringLiteral("0"), false, QStringLiteral("第0回はこの表の範囲（第1回〜第300回）の外です。")},
        {QStringLiteral("abc"), false, QStringLiteral("「abc」は回数として読めません。数字で入力してください。")},
        {QStringLiteral("第２００回"), true, QString()},
        {QStringLiteral(" 120 "), true, QString()},
    };
    for (const Typed &t : typed) {
        recorder.texts.clear();
        QCOMPARE(frame.tableActions()->moveToDraw(t.text), t.moves);
        QCOMPARE(recorder.texts, t.moves ? QStringList() : QStringList{t.message});
    }
    QCOMPARE(frame.grid()->sheet().text(1, frame.grid()->selection().row1), QStringLiteral("120"));
    // Ctrl+G's own box takes the five digits whole.
    recorder.texts.clear();
    QTimer::singleShot(50, [] {
        if (auto *box = qobject_cast<QInputDialog *>(QApplication::activeModalWidget())) {
            box->setTextValue(QStringLiteral("99999"));
            box->accept();
        }
    });
    frame.findChild<QAction *>(QStringLiteral("actGoToDraw"))->trigger();
    QCOMPARE(recorder.texts, QStringList{QStringLiteral("第99999回はこの表の範囲（第1回〜第300回）の外です。")});

    // The context menu of every table window, in order.
    QStringList items;
    for (QAction *action : frame.tableActions()->menu()->actions())
        items << action->text();
    QCOMPARE(items, (QStringList{QStringLiteral("印刷..."), QStringLiteral("PDFで保存..."), QStringLiteral("CSVで保存..."), {},
                                 QStringLiteral("コピー"), QStringLiteral("見出し付きでコピー"), {},
                                 QStringLiteral("回数へ移動..."), {}, QStringLiteral("拡大"), QStringLiteral("縮小"),
                                 QStringLiteral("100%")}));

    // Per-number windows have no draw rows to go to.
    const AnalysisWindow &frequency = *findAnalysisWindow(QStringLiteral("出現頻度分析"));
    AnalysisFrame perNumber(frequency, frequency.build(store));
    QVERIFY(!perNumber.findChild<QAction *>(QStringLiteral("actGoToDraw")));

    // The editor, on a database file of its own.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Loto6Kermon.mdb"));
    DrawFile::write(path, TestHistory::generated(120));
    DrawResultsEditor editor(DrawRecordEditor::open(path),
                             [&recorder](const MessageRequest &request) {
                                 recorder.texts << request.text;
                                 return QMessageBox::Ok;
                             });
    editor.show();
    QVERIFY(editor.tableActions()->moveToDraw(100));
    QCOMPARE(editor.grid()->currentIndex().row(), 99);
    QVERIFY(!editor.tableActions()->moveToDraw(121));
    QCOMPARE(recorder.texts.last(), QStringLiteral("第121回はこの表の範囲（第1回〜第120回）の外です。"));
}

void TestTablePrint::printedPagesFitThePaper_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("maxPages");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("caption"); // on every page

    // 43 number rows and their captions on each page; the spanning caption
    // carried onto the pages that continue it.
    QTest::newRow("出現頻度分析") << QStringLiteral("出現頻度分析") << 7 << QStringLiteral("出現頻度分析")
                            << QStringLiteral("出\\s+現\\s+頻\\s+度（回）");
    // Pages that take the chart's width whole, full of rows (57 before).
    QTest::newRow("バラツキ分析") << QStringLiteral("バラツキ分析") << 36 << QStringLiteral("バラツキ分析")
                            << QStringLiteral("数\\s+字");
    QTest::newRow("分割11データ分析") << QStringLiteral("分割11データ分析") << 36 << QStringLiteral("11分割データ分析")
                                << QStringLiteral("Ａ\\s+Ｂ\\s+Ｃ");
}

void TestTablePrint::printedPagesFitThePaper()
{
    QFETCH(QString, window);
    QFETCH(int, maxPages);
    QFETCH(QString, title);
    QFETCH(QString, caption);
    const DrawHistoryStore store = LoadDrawHistory(QCoreApplication::applicationDirPath());
    const SheetPrinter::Document document = AnalysisFrame::printDocument(*findAnalysisWindow(window), store);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QString problem;
    const int pages = SheetPrinter::writePdf(pdf, document, false, &problem);
    QVERIFY2(pages > 0, qPrintable(problem));
    QVERIFY2(pages <= maxPages, qPrintable(QString::number(pages)));
    const QRegularExpression captionLine(caption);
    for (int page = 1; page <= pages; ++page) {
        const QString text = pageText(pdf, page);
        QVERIFY2(text.trimmed().startsWith(title), qPrintable(QStringLiteral("page %1").arg(page)));
        QVERIFY2(text.contains(captionLine), qPrintable(QStringLiteral("page %1:\n%2").arg(page).arg(text.left(400))));
    }
    if (window == QStringLiteral("出現頻度分析")) {
        // Every page holds every number, 1 … 43.
        for (int page = 1; page <= pages; ++page)
            QVERIFY(pageText(pdf, page).contains(QRegularExpression(QStringLiteral("\\n\\s*43\\s"))));
    }
}

void TestTablePrint::textOutputsMarkTheBonus()
{
    // 出現頻度分析 on the bundled history: the file and the copies write a
    // bonus appearance as "○", a main one as "●"; the screen keeps its dots.
    const DrawHistoryStore store = LoadDrawHistory(QCoreApplication::applicationDirPath());
    const AnalysisWindow &frequency = *findAnalysisWindow(QStringLiteral("出現頻度分析"));
    AnalysisFrame frame(frequency, frequency.build(store));
    const Sheet &sheet = frame.grid()->sheet();
    int mainDots = 0;
    int bonusDots = 0;
    for (int r = 1; r <= sheet.maxRows(); ++r) {
        for (int c = 1; c <= sheet.maxCols(); ++c) {
            const Cell cell = sheet.cell(c, r);
            if (cell.text == SheetExport::Dot)
                ++(cell.fore == Colours::BonusDot ? bonusDots : mainDots);
        }
    }
    QCOMPARE(mainDots, 6 * 2130);
    QCOMPARE(bonusDots, 2130);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("frequency.csv"));
    QVERIFY(frame.tableActions()->writeCsv(path, TableOutput::Encoding::ShiftJis));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString csv = TableOutput::decode(file.readAll());
    QCOMPARE(int(csv.count(SheetExport::Dot)), mainDots);
    QCOMPARE(int(csv.count(SheetExport::BonusMark)), bonusDots);

    frame.show();
    frame.grid()->selectBlock(1, 1, sheet.maxCols(), sheet.maxRows());
    frame.grid()->setFocus();
    QTest::keyClick(frame.grid(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(int(QApplication::clipboard()->text().count(SheetExport::BonusMark)), bonusDots);
    QApplication::clipboard()->clear();
    frame.findChild<QAction *>(QStringLiteral("actCopyWithCaptions"))->trigger();
    QCOMPARE(int(QApplication::clipboard()->text().count(SheetExport::BonusMark)), bonusDots);
    QCOMPARE(int(QApplication::clipboard()->text().count(SheetExport::Dot)), mainDots);
}

void TestTablePrint::dispersionKeepsItsCaptionRowsInView()
{
    // Ctrl+G to a late draw: 回 and the numbers 1 … 43 stay at the top,
    // while the exported table still freezes no row.
    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(300));
    const AnalysisWindow &dispersion = *findAnalysisWindow(QStringLiteral("バラツキ分析"));
    AnalysisFrame frame(dispersion, dispersion.build(store));
    frame.resize(Metrics::twipsToPixels(dispersion.widthTwips), Metrics::twipsToPixels(dispersion.heightTwips));
    frame.show();
    QVERIFY(frame.tableActions()->moveToDraw(250));
    SheetView *grid = frame.grid();
    QCOMPARE(grid->sheet().frozenRows(), 0);
    QVERIFY(grid->topRow() > 100);
    const int captionHeight = Metrics::rowPixels(15.0);
    QCOMPARE(grid->cellAt(QPoint(2, 2)).y(), 1);
    QCOMPARE(grid->cellAt(QPoint(2, captionHeight + 2)).y(), 2);
    QCOMPARE(grid->cellAt(QPoint(2, 2 * captionHeight + 2)).y(), grid->topRow());
    const int row = grid->selection().row1;
    QCOMPARE(grid->sheet().text(1, row), QStringLiteral("250"));
    QVERIFY(row >= grid->topRow());
}

void TestTablePrint::gridsEndWhereTheirTablesDo()
{
    // Every analysis window at its own size, scrolled to its last row and
    // column: the grid's last pixels lie on cells, not on an empty band.
    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(300));
    for (const AnalysisWindow &w : analysisWindows()) {
        AnalysisFrame frame(w, w.build(store));
        frame.resize(Metrics::twipsToPixels(w.widthTwips), Metrics::twipsToPixels(w.heightTwips));
        frame.show();
        SheetView *grid = frame.grid();
        const Sheet &sheet = grid->sheet();
        QApplication::processEvents();
        grid->scrollToCell(sheet.maxCols(), sheet.maxRows());
        const QSize view = grid->viewport()->size();
        QVERIFY2(grid->cellAt(QPoint(view.width() - 1, 1)).x() == sheet.maxCols(), qPrintable(w.className));
        QVERIFY2(grid->cellAt(QPoint(1, view.height() - 1)).y() == sheet.maxRows(), qPrintable(w.className));
        QVERIFY2(grid->geometry().right() < frame.width(), qPrintable(w.className));
    }
}

void TestTablePrint::fileDialogsRememberTheFolderPerKind()
{
    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(30));
    const AnalysisWindow &pull = *findAnalysisWindow(QStringLiteral("引っ張り分析"));
    AnalysisFrame frame(pull, pull.build(store));
    frame.setWindowTitle(pull.caption);
    frame.show();
    QTemporaryDir chosen;
    const QString home = QDir::homePath();
    QCOMPARE(home, m_home.path());

    // The first time: the home folder and the window's name.
    auto offered = answerNextFileDialog(chosen.filePath(QStringLiteral("mine.pdf")));
    Recorder recorder;
    frame.tableActions()->setPresenter(recorder.presenter());
    frame.tableActions()->savePdf();
    QVERIFY(offered->seen);
    QCOMPARE(offered->folder, home);
    QCOMPARE(QFileInfo(offered->file).fileName(), QStringLiteral("引っ張り分析.pdf"));
    QVERIFY(QFileInfo::exists(chosen.filePath(QStringLiteral("mine.pdf"))));

    // Then where the last PDF went; a CSV still starts at home.
    offered = answerNextFileDialog({});
    frame.tableActions()->savePdf();
    QCOMPARE(offered->folder, chosen.path());
    QCOMPARE(offered->file, chosen.filePath(QStringLiteral("引っ張り分析.pdf")));
    offered = answerNextFileDialog(chosen.filePath(QStringLiteral("mine.csv")));
    frame.tableActions()->saveCsv();
    QCOMPARE(offered->folder, home);
    QVERIFY(QFileInfo::exists(chosen.filePath(QStringLiteral("mine.csv"))));
    QVERIFY(recorder.texts.isEmpty());
    offered = answerNextFileDialog({});
    frame.tableActions()->saveCsv();
    QCOMPARE(offered->folder, chosen.path());
    // A cancelled dialog changes nothing.
    offered = answerNextFileDialog({});
    frame.tableActions()->savePdf();
    QCOMPARE(offered->folder, chosen.path());
}

void TestTablePrint::renderedWindowsCarryTheProgramIcon()
{
    // `render` pictures a window with the program's icon in its title bar.
    const QString bundled = QCoreApplication::applicationDirPath();
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("window.png"));
    QProcess cli;
    cli.start(QCoreApplication::applicationDirPath() + QStringLiteral("/loto6kermon-cli"),
              {QStringLiteral("render"), QStringLiteral("回数別出現分析"), QStringLiteral("--png"), png});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    const QImage rendered(png);
    QVERIFY(!rendered.isNull());

    // The same window here, once with the program's icon and once with Qt's.
    const DrawHistoryStore store = LoadDrawHistory(bundled);
    const AnalysisWindow &w = *findAnalysisWindow(QStringLiteral("回数別出現分析"));
    QApplication::setWindowIcon(ProgramSetup::programIcon());
    const QImage ours = AnalysisFrame::render(w, store).convertToFormat(QImage::Format_RGB32);
    QApplication::setWindowIcon(QIcon());
    const QImage qts = AnalysisFrame::render(w, store).convertToFormat(QImage::Format_RGB32);
    const QImage cliImage = rendered.convertToFormat(QImage::Format_RGB32);
    QCOMPARE(cliImage.size(), ours.size());
    int iconPixels = 0;
    for (int y = 0; y < std::min(ours.height(), 40); ++y) {
        for (int x = 0; x < std::min(ours.width(), 60); ++x) {
            if (ours.pixel(x, y) == qts.pixel(x, y))
                continue;
            ++iconPixels;
            QCOMPARE(cliImage.pixel(x, y), ours.pixel(x, y));
        }
    }
    QVERIFY(iconPixels > 20);
}

QTEST_MAIN(TestTablePrint)
#include "tst_tableprint.moc"
