// Tables leaving the windows: the printed pages read back from the PDF, the
// CSV files the windows write, zoom, and the jump to a draw.
#include "analysis/gui/analysisframe.h"
#include "maintenance/gui/drawresultseditor.h"
#include "store/drawdatabase.h"
#include "support/drawfile.h"
#include "support/history.h"
#include "ui/gui/metrics.h"
#include "ui/gui/sheetprinter.h"
#include "ui/gui/sheetview.h"
#include "ui/gui/tableactions.h"
#include "ui/sheetexport.h"

#include <QAction>
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
    void printedPagesCarryCaptionsColoursAndTheLastDraw();
    void csvFilesOfAWindow();
    void zoomKeepsFrozenPanes();
    void goToDraw();
};

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
    QCOMPARE(recorder.texts, QStringList{QStringLiteral("第301回はこの表にありません。")});

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
    DrawResultsEditor editor(DrawRecordEditor::open(DrawDatabase::connectStringForFile(path)),
                             [&recorder](const MessageRequest &request) {
                                 recorder.texts << request.text;
                                 return QMessageBox::Ok;
                             });
    editor.show();
    QVERIFY(editor.tableActions()->moveToDraw(100));
    QCOMPARE(editor.grid()->currentIndex().row(), 99);
    QVERIFY(!editor.tableActions()->moveToDraw(121));
    QCOMPARE(recorder.texts.last(), QStringLiteral("第121回はこの表にありません。"));
}

QTEST_MAIN(TestTablePrint)
#include "tst_tableprint.moc"
