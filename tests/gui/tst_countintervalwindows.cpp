// The appearance count, numbers by count, interval and pull windows open from
// their menu items on the bundled history, show their table once, and come
// to the front instead of being rebuilt when chosen again.
#include "analysis/gui/analysisframe.h"
#include "app/gui/mainfrm.h"
#include "ui/gui/sheetview.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

class TstCountIntervalWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensFromItsMenuItem_data();
    void opensFromItsMenuItem();
    void pullShowsItsLegend();
};

void TstCountIntervalWindows::opensFromItsMenuItem_data()
{
    QTest::addColumn<QString>("menuItem");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("extraRows"); // rows beyond LastDrawNo; −1: the total groups
    QTest::newRow("出現回数分析") << "mnuZenkaiSyutugen" << "出現回数分析" << "出現回数分析" << 2;
    QTest::newRow("回数別出現分析") << "mnuSyutugenKaisu" << "回数別出現分析" << "回数別頻度分析" << -1;
    QTest::newRow("出現間隔分析") << "mnuSyutugenKankaku" << "出現間隔分析" << "出現間隔分析" << 4;
    QTest::newRow("数字間隔分析") << "mnuNumberKankaku" << "数字間隔分析" << "数字間隔分析" << 4;
    QTest::newRow("引っ張り分析") << "mnuHippari" << "引っ張り分析" << "引っ張り分析" << 1;
}

void TstCountIntervalWindows::opensFromItsMenuItem()
{
    QFETCH(QString, menuItem);
    QFETCH(QString, className);
    QFETCH(QString, caption);
    QFETCH(int, extraRows);

    MainFrm frame(QCoreApplication::applicationDirPath());
    QVERIFY(frame.load());
    const DrawHistoryStore &store = frame.store();
    QVERIFY(store.LastDrawNo > 2000);

    auto *action = frame.findChild<QAction *>(menuItem);
    QVERIFY(action);
    action->trigger();
    auto *window = qobject_cast<AnalysisFrame *>(frame.childWindow(className));
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), caption);
    QVERIFY(!frame.propEnd());

    const Sheet &sheet = window->grid()->sheet();
    const int rows = extraRows < 0 ? store.TotalGroupRows : store.LastDrawNo + extraRows;
    QCOMPARE(sheet.maxRows(), rows);
    QVERIFY(!window->grid()->hasSelection());

    // Chosen again: the same window, not a new one.
    action->trigger();
    QCOMPARE(frame.childWindow(className), window);

    // 閉じる unloads the window, which gives the flag back.
    auto *close = window->findChild<QPushButton *>(QStringLiteral("Command1"));
    QVERIFY(close);
    close->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(frame.propEnd());
    QVERIFY(!frame.childWindow(className));
}

void TstCountIntervalWindows::pullShowsItsLegend()
{
    MainFrm frame(QCoreApplication::applicationDirPath());
    QVERIFY(frame.load());
    frame.findChild<QAction *>(QStringLiteral("mnuHippari"))->trigger();
    QWidget *window = frame.childWindow(QStringLiteral("引っ張り分析"));
    QVERIFY(window);
    bool legend = false;
    for (QLabel *label : window->findChildren<QLabel *>())
        legend = legend || label->text() == QStringLiteral(":前回の数字");
    QVERIFY(legend);
}

QTEST_MAIN(TstCountIntervalWindows)
#include "tst_countintervalwindows.moc"
