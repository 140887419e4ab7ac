// 予想の検証 inside the real main window over the bundled history: the menu
// item, the one-window rule, the prediction window's options as default, a
// bad range, the chart and the search.
#include "app/gui/childwindow.h"
#include "app/gui/mainfrm.h"
#include "prediction/gui/backtestwindow.h"
#include "support/fixtures.h"
#include "ui/gui/sheetview.h"

#include <QAction>
#include <QChartView>
#include <QCheckBox>
#include <QLineSeries>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QValueAxis>
#include <QtTest>

#include <cmath>

class TestBacktestWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menuItemOpensOneWindowWithThePredictionsOptions();
    void badRangeIsExplainedAndKeepsTheResults();
};

void TestBacktestWindow::menuItemOpensOneWindowWithThePredictionsOptions()
{
    ProgramFolder folder;
    MainFrm frm(folder.path());
    MessageRecorder messages;
    messages.install(frm);
    frm.show();
    QVERIFY(frm.load());
    frm.prediction()->setFlag(1, true);

    // The first item after the separator that closes the analyses of データ分析(&S).
    QMenu *menu = frm.menuBar()->findChild<QMenu *>(QStringLiteral("mnuMain"));
    QVERIFY(menu);
    const QList<QAction *> actions = menu->actions();
    qsizetype at = 0;
    while (at < actions.size() && actions[at]->objectName() != QStringLiteral("mnuYosoKensyo"))
        ++at;
    QVERIFY(at > 0 && at < actions.size());
    QCOMPARE(actions[at]->text(), QStringLiteral("予想の検証(&B)"));
    QVERIFY(actions[at - 1]->isSeparator());
    QCOMPARE(actions[at - 2]->text(), QStringLiteral("下一桁連続出現回数分析"));
    actions[at]->trigger();
    actions[at]->trigger();
    auto *w = qobject_cast<BacktestWindow *>(frm.childWindow(QStringLiteral("予想の検証")));
    QVERIFY(w);
    int open = 0;
    for (QMdiSubWindow *sub : frm.mdiArea()->subWindowList())
        open += ChildWindow::contentOf(sub)->objectName() == QStringLiteral("予想の検証");
    QCOMPARE(open, 1);
    QVERIFY(!frm.propEnd());

    ReflectFlags flags{};
    flags[1] = true;
    QVERIFY(w->findChild<QCheckBox *>(QStringLiteral("reflect_1"))->isChecked());
    const std::optional<Backtest::Result> expected = Backtest::run(frm.store(), {101, 2130}, flags);
    QVERIFY(w->result());
    QCOMPARE(w->result()->flags, flags);
    QCOMPARE(int(w->result()->draws.size()), 2030);
    const Sheet &summary = w->findChild<SheetView *>(QStringLiteral("summary"))->sheet();
    for (int m = 0; m < Backtest::MethodCount; ++m) {
        QCOMPARE(summary.text(1, m + 2), Backtest::methodName(m));
        // Counts, lines and their cost with the digits grouped: 2,030, 4,323,034,400.
        const QLocale grouped(QLocale::English);
        QCOMPARE(summary.text(2, m + 2), grouped.toString(2030));
        QCOMPARE(summary.text(3, m + 2), grouped.toString(expected->methods[size_t(m)].hits));
        QCOMPARE(summary.text(8, m + 2), Backtest::verdictText(expected->methods[size_t(m)]));
        QCOMPARE(summary.text(9, m + 2), grouped.toString(expected->methods[size_t(m)].tickets));
        QCOMPARE(summary.text(10, m + 2), grouped.toString(expected->methods[size_t(m)].cost));
    }
    QVERIFY(summary.text(10, 2).contains(QLatin1Char(',')));
    // The chart of the one-shot method ends at its total hits, shown as the
    // difference from the expectation or as they are.
    const auto lastHits = [w] {
        const QList<QAbstractSeries *> series = w->findChild<QChartView *>(QStringLiteral("chart"))->chart()->series();
        return series.size() == 3 ? qobject_cast<QLineSeries *>(series.last())->points().last() : QPointF();
    };
    const Backtest::MethodSummary &oneShot = expected->methods[Backtest::OneShot];
    QCOMPARE(lastHits().x(), 2130.0);
    QVERIFY(qAbs(lastHits().y() - (double(oneShot.hits) - oneShot.expectedHits)) < 1e-6);
    w->findChild<QCheckBox *>(QStringLiteral("difference"))->setChecked(false);
    QCOMPARE(lastHits(), QPointF(2130, double(oneShot.hits)));

    // The chart's labels stand on round values: draws every 500 from 0;
    // hits every 10, 20, 50 … from one round value to another, 0 among
    // them wherever the values cross it.
    w->findChild<QCheckBox *>(QStringLiteral("difference"))->setChecked(true);
    const QChart *chart = w->findChild<QChartView *>(QStringLiteral("chart"))->chart();
    for (QAbstractAxis *axis : chart->axes()) {
        auto *values = qobject_cast<QValueAxis *>(axis);
        QVERIFY(values);
        if (axis->orientation() == Qt::Horizontal) {
            QCOMPARE(values->tickType(), QValueAxis::TicksDynamic);
            QCOMPARE(values->tickAnchor(), 0.0);
            QCOMPARE(values->tickInterval(), 500.0);
            continue;
        }
        QCOMPARE(values->tickType(), QValueAxis::TicksFixed);
        const double step = (values->max() - values->min()) / (values->tickCount() - 1);
        const double power = std::pow(10.0, std::floor(std::log10(step)));
        QVERIFY2(QList<double>({1, 2, 5}).contains(step / power), qPrintable(QString::number(step)));
        QCOMPARE(std::fmod(values->min(), step), 0.0);
        QVERIFY(values->min() < 0 && values->max() > 0);
    }
    // Shown, the chart keeps room for its value axis's title whole, however
    // little room the window has (it scrolls instead; the offscreen screen
    // is smaller than the window).
    auto *view = w->findChild<QChartView *>(QStringLiteral("chart"));
    w->findChild<QTabWidget *>()->setCurrentWidget(view->parentWidget());
    const auto *values = qobject_cast<QValueAxis *>(view->chart()->axes(Qt::Vertical).first());
    const int title = QFontMetrics(values->titleFont()).horizontalAdvance(values->titleText());
    QTRY_VERIFY2(view->chart()->plotArea().height() >= title,
                 qPrintable(QStringLiteral("%1 < %2").arg(view->chart()->plotArea().height()).arg(title)));
    QVERIFY(w->statusText().contains(QStringLiteral("ずらしは")));

    // A search over another range: the tables and the chart show that range too.
    w->findChild<QSpinBox *>(QStringLiteral("fromDraw"))->setValue(1901);
    w->findChild<QSpinBox *>(QStringLiteral("toDraw"))->setValue(2130);
    w->findChild<QPushButton *>(QStringLiteral("Cmd探索"))->click();
    const QString found = w->findChild<QPlainTextEdit *>(QStringLiteral("search"))->toPlainText();
    QVERIFY(found.contains(QStringLiteral("後半（第2016回〜第2130回）")));
    QVERIFY(found.contains(QStringLiteral("通りの異なる予想になりました")));
    QCOMPARE(w->result()->range.from, 1901);
    const Sheet &after = w->findChild<SheetView *>(QStringLiteral("summary"))->sheet();
    QCOMPARE(after.text(2, 2), QStringLiteral("230"));
    const auto hitsSeries = qobject_cast<QLineSeries *>(
        w->findChild<QChartView *>(QStringLiteral("chart"))->chart()->series().last());
    QCOMPARE(hitsSeries->points().first().x(), 1901.0);
    QVERIFY(messages.shown.isEmpty());
}

void TestBacktestWindow::badRangeIsExplainedAndKeepsTheResults()
{
    ProgramFolder folder;
    MainFrm frm(folder.path());
    frm.show();
    QVERIFY(frm.load());
    frm.findChild<QAction *>(QStringLiteral("mnuYosoKensyo"))->trigger();
    auto *w = qobject_cast<BacktestWindow *>(frm.childWindow(QStringLiteral("予想の検証")));
    QVERIFY(w);
    const size_t before = w->result()->draws.size();
    w->findChild<QSpinBox *>(QStringLiteral("fromDraw"))->setValue(2100);
    w->findChild<QSpinBox *>(QStringLiteral("toDraw"))->setValue(2000);
    w->findChild<QPushButton *>(QStringLiteral("Cmd検証"))->click();
    QCOMPARE(w->statusText(), QStringLiteral("開始回（2100）が終了回（2000）より後です。"));
    QCOMPARE(w->result()->draws.size(), before);
    w->findChild<QSpinBox *>(QStringLiteral("toDraw"))->setValue(2100);
    QVERIFY(w->runBacktest());
    QCOMPARE(w->result()->draws.size(), size_t(1));
    QVERIFY(!w->runSearch());
    QCOMPARE(w->statusText(), QStringLiteral("設定の探索には検証する回が2回以上必要です。"));
}

QTEST_MAIN(TestBacktestWindow)
#include "tst_backtestwindow.moc"
