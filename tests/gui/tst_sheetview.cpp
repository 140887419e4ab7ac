// SheetView drawn offscreen: colours, borders, overflow, frozen rows and
// columns, selection and copying.
#include "ui/gui/metrics.h"
#include "ui/gui/sheetview.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QtTest>

namespace {

Sheet grid(int cols, int rows)
{
    Sheet sheet;
    sheet.setMaxCols(cols);
    sheet.setMaxRows(rows);
    sheet.setColWidth(-1, 5.0);
    sheet.setRowHeight(-1, 10.0);
    sheet.setStatic(Block::all());
    sheet.setActiveCell(0, 0);
    return sheet;
}

// The centre of a cell when nothing is scrolled and nothing frozen.
QPoint centre(const Sheet &sheet, int col, int row)
{
    int x = 0;
    for (int c = 1; c < col; ++c)
        x += Metrics::columnPixels(sheet.colWidth(c));
    int y = 0;
    for (int r = 1; r < row; ++r)
        y += Metrics::rowPixels(sheet.rowHeight(r));
    return {x + Metrics::columnPixels(sheet.colWidth(col)) / 2, y + Metrics::rowPixels(sheet.rowHeight(row)) / 2};
}

QImage paint(SheetView &view)
{
    view.resize(400, 300);
    view.show();
    return view.viewport()->grab().toImage();
}

} // namespace

class TestSheetView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void paintsBackgroundsAndBorders();
    void overflowRunsOverEmptyCellsOnly();
    void frozenRowsAndColumnsStayInView();
    void activeCornerShowsNoSelection();
    void copyGivesTabSeparatedText();
    void rightClickActsOnTheCellUnderIt();
    void viewFollowsTheTable();
    void everyRowAndEveryCaptionCanBeSeen();
    void gridFontIsTheFontTheSubstitutionGives();
};

void TestSheetView::paintsBackgroundsAndBorders()
{
    Sheet sheet = grid(3, 3);
    sheet.setBackColour(Block::cell(2, 2), rgb(200, 255, 200));
    sheet.setBorder(Block::cell(3, 3), Border::Left, rgb(255, 0, 0));
    SheetView view;
    view.setSheet(sheet);
    const QImage image = paint(view);
    QCOMPARE(image.pixelColor(centre(sheet, 2, 2)), QColor(200, 255, 200));
    QCOMPARE(image.pixelColor(centre(sheet, 1, 1)), QColor(Qt::white));
    const QPoint c33 = centre(sheet, 3, 3);
    const int left = c33.x() - Metrics::columnPixels(5.0) / 2;
    QCOMPARE(image.pixelColor(left, c33.y()), QColor(255, 0, 0));
    QCOMPARE(image.pixelColor(left, centre(sheet, 3, 2).y()), QColor(Qt::white)); // no border set there
}

void TestSheetView::overflowRunsOverEmptyCellsOnly()
{
    const QString caption = QStringLiteral("出現頻度の長い見出しです");
    for (const bool allowed : {true, false}) {
        Sheet sheet = grid(4, 2);
        sheet.setColWidth(-1, 2.0);
        sheet.setOverflow(allowed);
        sheet.setHAlign(Block::cell(1, 1), HAlign::Left);
        sheet.setForeColour(Block::cell(1, 1), rgb(255, 0, 0));
        sheet.setText(1, 1, caption);
        sheet.setText(4, 1, QStringLiteral("x")); // stops the overflow
        SheetView view;
        view.setSheet(sheet);
        const QImage image = paint(view);
        const int w = Metrics::columnPixels(2.0);
        const int h = Metrics::rowPixels(10.0);
        const QRect secondCell(w + 1, 1, w - 2, h - 2);
        const QRect fourthCell(3 * w + 1, 1, w - 2, h - 2);
        // Red text pixels reach the second cell only when overflow is on.
        bool red = false;
        for (int y = secondCell.top(); y <= secondCell.bottom() && !red; ++y) {
            for (int x = secondCell.left(); x <= secondCell.right() && !red; ++x) {
                const QColor c = image.pixelColor(x, y);
                red = c.red() > 150 && c.green() < 120 && c.blue() < 120;
            }
        }
        QCOMPARE(red, allowed);
        bool redInFourth = false;
        for (int y = fourthCell.top(); y <= fourthCell.bottom(); ++y) {
            for (int x = fourthCell.left(); x <= fourthCell.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                redInFourth = redInFourth || (c.red() > 150 && c.green() < 120 && c.blue() < 120);
            }
        }
        QVERIFY(!redInFourth);
    }
}

void TestSheetView::frozenRowsAndColumnsStayInView()
{
    Sheet sheet = grid(30, 300);
    sheet.setFrozenRows(2);
    sheet.setFrozenCols(1);
    sheet.setScrollBars(ScrollBars::Both);
    sheet.setBackColour(Block::row(1), rgb(255, 200, 200));
    for (int r = 1; r <= 300; ++r)
        sheet.setText(1, r, r);
    SheetView view;
    view.setSheet(sheet);
    view.resize(400, 300);
    view.show();
    QVERIFY(view.verticalScrollBar()->maximum() > 100);

    view.verticalScrollBar()->setValue(100);
    view.horizontalScrollBar()->setValue(5);
    QCOMPARE(view.topRow(), 103);
    QCOMPARE(view.leftCol(), 7);
    const int rowH = Metrics::rowPixels(10.0);
    const int colW = Metrics::columnPixels(5.0);
    QCOMPARE(view.cellAt(QPoint(colW / 2, rowH / 2)), QPoint(1, 1));
    QCOMPARE(view.cellAt(QPoint(colW / 2, 2 * rowH + rowH / 2)), QPoint(1, 103));
    QCOMPARE(view.cellAt(QPoint(colW + colW / 2, rowH / 2)), QPoint(7, 1));
    const QImage image = view.viewport()->grab().toImage();
    QCOMPARE(image.pixelColor(colW + colW / 2, rowH / 2), QColor(255, 200, 200)); // frozen row 1

    // Keys scroll when nothing is selected.
    QTest::keyClick(&view, Qt::Key_Down);
    QCOMPARE(view.topRow(), 104);
    // The last row can be brought fully into view.
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    int bottom = 0;
    for (int r = 1; r <= 300; ++r) {
        if (view.cellAt(QPoint(1, bottom + rowH / 2)).y() == 300)
            break;
        bottom += rowH;
    }
    QVERIFY(bottom + rowH <= view.viewport()->height());
}

void TestSheetView::activeCornerShowsNoSelection()
{
    Sheet sheet = grid(3, 3);
    sheet.setActiveCell(0, 0);
    SheetView view;
    view.setSheet(sheet);
    QVERIFY(!view.hasSelection());
    QCOMPARE(paint(view).pixelColor(centre(sheet, 1, 1)), QColor(Qt::white));

    sheet.setActiveCell(2, 3);
    view.setSheet(sheet);
    QVERIFY(view.hasSelection());
    QCOMPARE(view.selection().col1, 2);
    QCOMPARE(view.selection().row1, 3);
    QVERIFY(paint(view).pixelColor(centre(sheet, 2, 3)) != QColor(Qt::white));
}

void TestSheetView::copyGivesTabSeparatedText()
{
    Sheet sheet = grid(3, 3);
    sheet.setActiveCell(0, 0);
    sheet.setText(1, 1, QStringLiteral("回数"));
    sheet.setText(2, 1, QStringLiteral("●"));
    sheet.setText(1, 2, 12);
    SheetView view;
    view.setSheet(sheet);
    view.show();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centre(sheet, 1, 1));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(sheet, 3, 2));
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("回数\t●\t\n12\t\t\n"));
}

void TestSheetView::rightClickActsOnTheCellUnderIt()
{
    // With nothing selected, or another cell, the right click selects the
    // cell under it (the context menu's コピー then has something to copy);
    // inside the block already selected it keeps the block.
    Sheet sheet = grid(4, 4);
    SheetView view;
    view.setSheet(sheet);
    view.show();
    QVERIFY(!view.hasSelection());
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, centre(sheet, 2, 3));
    QVERIFY(view.hasSelection());
    QCOMPARE(view.selection().col1, 2);
    QCOMPARE(view.selection().row1, 3);
    QCOMPARE(view.selection().col2, 2);
    view.selectBlock(1, 1, 3, 2);
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, centre(sheet, 2, 2));
    QCOMPARE(view.selection().col2, 3);
    QCOMPARE(view.selection().row2, 2);
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, centre(sheet, 4, 4));
    QCOMPARE(view.selection().col1, 4);
    QCOMPARE(view.selection().row1, 4);
}

void TestSheetView::viewFollowsTheTable()
{
    // In a layout larger than the table, the view ends with the table's
    // last column and row (no grey band), with room for a scroll bar only
    // when its height needs one.
    for (const int rows : {3, 200}) {
        Sheet sheet = grid(3, rows);
        QWidget window;
        auto *view = new SheetView(&window);
        view->setFollowsTable(true);
        view->setSheet(sheet);
        auto *layout = new QHBoxLayout(&window);
        layout->addWidget(view);
        window.resize(600, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const int table = 3 * Metrics::columnPixels(5.0);
        QTRY_COMPARE(view->viewport()->width(), table);
        QCOMPARE(view->verticalScrollBar()->isVisible(), rows > 3);
        if (rows == 3)
            QCOMPARE(view->viewport()->height(), 3 * Metrics::rowPixels(10.0)); // and ends below its last row
    }
}

void TestSheetView::everyRowAndEveryCaptionCanBeSeen()
{
    // Rows that do not fit get a bar, though the table asks for a horizontal one.
    Sheet tall = grid(3, 100);
    tall.setScrollBars(ScrollBars::Horizontal);
    SheetView tallView;
    tallView.setSheet(tall);
    paint(tallView);
    QVERIFY(tallView.verticalScrollBar()->isVisible());

    // A caption wider than its cell is squeezed inside it, not cut at its edges.
    Sheet sheet = grid(3, 1);
    sheet.setOverflow(false);
    sheet.setForeColour(Block::all(), rgb(255, 0, 0));
    sheet.setText(2, 1, QStringLiteral("■■■■■■"));
    SheetView view;
    view.setSheet(sheet);
    const QImage image = paint(view);
    const int w = Metrics::columnPixels(5.0);
    auto redInColumn = [&](int x) {
        bool red = false;
        for (int y = 0; y < Metrics::rowPixels(10.0); ++y)
            red = red || (image.pixelColor(x, y).red() > 150 && image.pixelColor(x, y).green() < 120);
        return red;
    };
    QVERIFY(redInColumn(w + w / 2 - 1) || redInColumn(w + w / 2 + 1)); // gaps between squares are 1 px
    QVERIFY(!redInColumn(w));
    QVERIFY(!redInColumn(2 * w - 1));
}

void TestSheetView::gridFontIsTheFontTheSubstitutionGives()
{
    // Last: the substitution stays in place for the rest of the process.
    // The grid font names an installed family, and draws as the font asked
    // for by the original family name through the substitutes does.
    Metrics::installFontSubstitution();
    const QFont grid = Metrics::gridFont();
    QVERIFY(QFontDatabase::hasFamily(grid.family()));
    QFont asked(QString::fromUtf8(Metrics::FontFamily));
    asked.setPointSizeF(9.0);
    QCOMPARE(QFontInfo(grid).family(), QFontInfo(asked).family());
    const QString text = QStringLiteral("一発ケルモン予想 本数字 12 43");
    QCOMPARE(QFontMetrics(grid).horizontalAdvance(text), QFontMetrics(asked).horizontalAdvance(text));
}

QTEST_MAIN(TestSheetView)
#include "tst_sheetview.moc"
