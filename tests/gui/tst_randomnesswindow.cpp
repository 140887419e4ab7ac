// ランダム性の検定 opened from the menu of the real main window: the list of
// tests, the chart of the selected one, the range and the saved images.
#include "analysis/gui/randomnesswindow.h"
#include "app/gui/mainfrm.h"
#include "support/fixtures.h"
#include "ui/gui/subwindow.h"

#include <QAction>
#include <QAreaSeries>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>

#include <csignal>

#include <sys/resource.h>

class TestRandomnessWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensFromTheMenuWithEveryTestAndItsChart();
    void rangeAndImages();
    void recomputingKeepsTheChosenTestAndTheTableWhole();
};

namespace {

RandomnessWindow *open(MainFrm &window)
{
    window.findChild<QAction *>(QStringLiteral("mnuRandomness"))->trigger();
    return qobject_cast<RandomnessWindow *>(window.childWindow(RandomnessWindow::ClassName));
}

} // namespace

void TestRandomnessWindow::opensFromTheMenuWithEveryTestAndItsChart()
{
    ProgramFolder folder; // the bundled history
    MainFrm window(folder.path());
    QVERIFY(window.load());
    enclosingSubWindow(window.childWindow(QStringLiteral("一発ケルモン予想")))->close();
    QVERIFY(window.propEnd());

    RandomnessWindow *w = open(window);
    QVERIFY(w);
    QVERIFY(!window.propEnd()); // an analysis window like the others
    QCOMPARE(w->report().draws, 2130);
    QTableWidget *table = w->testTable();
    QCOMPARE(table->rowCount(), 9);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("数字ごとの出現回数（本数字）"));
    QCOMPARE(table->item(0, 2)->text(), QStringLiteral("42"));
    for (int row = 0; row < table->rowCount(); ++row)
        QVERIFY(!table->item(row, 5)->text().isEmpty());

    // Choosing a test in the list draws its chart: bars, the expected line and the band.
    table->setCurrentCell(2, 0);
    QChart *chart = w->chartView()->chart();
    QCOMPARE(chart->title(), QStringLiteral("本数字の合計"));
    QCOMPARE(chart->series().size(), 3);
    auto *bars = qobject_cast<QBarSeries *>(chart->series().at(1));
    QVERIFY(bars);
    QCOMPARE(bars->barSets().first()->count(), int(w->report().tests[2].bins.observed.size()));
    QVERIFY(qobject_cast<QAreaSeries *>(chart->series().at(0)));

    // Each choice draws a new chart and the one before is deleted, not
    // kept by the view for the life of the window.
    // The band's edge lines go with it: the area series does not own them.
    QPointer<QChart> before = chart;
    QPointer<QLineSeries> edge = qobject_cast<QAreaSeries *>(chart->series().at(0))->upperSeries();
    table->setCurrentCell(6, 0);
    QVERIFY(before.isNull());
    QVERIFY(edge.isNull());
    QCOMPARE(w->chartView()->chart()->title(), QStringLiteral("同じ数字の出現間隔（回）"));

    // Opening again brings the same window forward.
    QCOMPARE(open(window), w);
}

void TestRandomnessWindow::rangeAndImages()
{
    ProgramFolder folder;
    MainFrm window(folder.path());
    QVERIFY(window.load());
    RandomnessWindow *w = open(window);
    QVERIFY(w);

    const auto chooseSpan = [&](int from, int to) {
        w->findChildren<QRadioButton *>().at(2)->setChecked(true);
        w->findChild<QSpinBox *>(QStringLiteral("fromDraw"))->setValue(from);
        w->findChild<QSpinBox *>(QStringLiteral("toDraw"))->setValue(to);
        QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("runTests")), Qt::LeftButton);
    };
    chooseSpan(2001, 2130);
    QCOMPARE(w->report().draws, 130);
    QCOMPARE(w->report().firstDraw, 2001);
    QVERIFY(w->findChild<QLabel *>(QStringLiteral("summary"))->text().startsWith(QStringLiteral("第2001回〜第2130回")));

    // Too few draws, a backwards range or one beyond the history: a message,
    // no tests, nothing to save.
    for (const auto &[from, to] : {std::pair{2130, 2130}, std::pair{2130, 2000}, std::pair{1, 2200}}) {
        chooseSpan(from, to);
        QCOMPARE(w->testTable()->rowCount(), 0);
        QVERIFY(!w->findChild<QLabel *>(QStringLiteral("summary"))->text().isEmpty());
        QVERIFY(!w->findChild<QPushButton *>(QStringLiteral("saveChart"))->isEnabled());
    }

    chooseSpan(1, 2130);
    w->resize(900, 640);
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("chart.png"));
    const QString svg = dir.filePath(QStringLiteral("chart.svg"));
    QCOMPARE(w->saveChart(png), QString());
    QCOMPARE(w->saveChart(svg), QString());
    QVERIFY(!QImage(png).isNull());
    QFile file(svg);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("<svg"));
    QVERIFY(!w->saveChart(dir.filePath(QStringLiteral("missing/chart.png"))).isEmpty());

    // A full disk (a file-size limit on this process for a moment): a
    // message, and the older pictures stay as they were.
    const QByteArray before = file.seek(0) ? file.readAll() : QByteArray();
    const QImage picture(png);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &limit) == 0);
    const rlimit small{1024, limit.rlim_max};
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
    const QString pngError = w->saveChart(png);
    const QString svgError = w->saveChart(svg);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limit) == 0);
    QVERIFY2(pngError.contains(QStringLiteral("書き込めません")), qPrintable(pngError));
    QVERIFY2(svgError.contains(QStringLiteral("書き込めません")), qPrintable(svgError));
    QCOMPARE(QImage(png), picture);
    QFile again(svg);
    QVERIFY(again.open(QIODevice::ReadOnly));
    QCOMPARE(again.readAll(), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);

    // 画像で保存 offers the window's name, and next time the folder used.
    QTemporaryDir home;
    useTemporaryHome(home);
    auto offered = answerNextFileDialog(dir.filePath(QStringLiteral("picked.png")));
    QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("saveChart")), Qt::LeftButton);
    QVERIFY(offered->seen);
    QCOMPARE(offered->file, home.filePath(QStringLiteral("ランダム性の検定.png")));
    QVERIFY(!QImage(dir.filePath(QStringLiteral("picked.png"))).isNull());
    offered = answerNextFileDialog({});
    QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("saveChart")), Qt::LeftButton);
    QCOMPARE(offered->folder, dir.path());
}

void TestRandomnessWindow::recomputingKeepsTheChosenTestAndTheTableWhole()
{
    // 再計算 after new draws: the test the user was reading stays chosen with
    // its chart, and 判定 still reaches the table's right edge (no white
    // block beside it). 閉じる closes it like every other window.
    ProgramFolder folder;
    MainFrm window(folder.path());
    QVERIFY(window.load());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    RandomnessWindow *w = open(window);
    QVERIFY(w);
    QTableWidget *table = w->testTable();
    const auto lastColumnEnd = [table] {
        QHeaderView *header = table->horizontalHeader();
        const int last = table->columnCount() - 1;
        return header->sectionViewportPosition(last) + header->sectionSize(last);
    };
    QTRY_COMPARE(lastColumnEnd(), table->viewport()->width());
    table->setCurrentCell(4, 0);
    const QString chosen = w->chartView()->chart()->title();
    w->markOutdated();
    QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Cmd再計算")), Qt::LeftButton);
    QCOMPARE(table->currentRow(), 4);
    QCOMPARE(w->chartView()->chart()->title(), chosen);
    QTRY_COMPARE(lastColumnEnd(), table->viewport()->width());

    auto *close = w->findChild<QPushButton *>(QStringLiteral("Cmd閉じる"));
    QVERIFY(close);
    QCOMPARE(close->text(), QStringLiteral("閉じる"));
    QTest::mouseClick(close, Qt::LeftButton);
    QTRY_VERIFY(!window.childWindow(RandomnessWindow::ClassName));
}

QTEST_MAIN(TestRandomnessWindow)
#include "tst_randomnesswindow.moc"
