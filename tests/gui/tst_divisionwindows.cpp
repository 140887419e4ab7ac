// The five-division, group-division and last-digit windows open from their
// menu items over the bundled history, with the table of their own build.
#include "analysis/gui/analysisframe.h"
#include "app/gui/mainfrm.h"
#include "ui/gui/sheetview.h"

#include <QAction>
#include <QPushButton>
#include <QtTest>

class TstDivisionWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensFromItsMenuItem_data();
    void opensFromItsMenuItem();
};

void TstDivisionWindows::opensFromItsMenuItem_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("extraRows"); // rows beyond LastDrawNo
    QTest::addColumn<QString>("firstCaption");

    QTest::newRow("5") << "mnu5BunkatsuKeiko" << "分割5傾向分析" << "5分割傾向分析" << 2 << "回数";
    QTest::newRow("6") << "mnu6BunkatsuData" << "分割6データ分析" << "6分割データ分析" << 3 << "";
    QTest::newRow("7") << "mnu7BunkatsuData" << "分割7データ分析" << "7分割データ分析" << 3 << "";
    QTest::newRow("11") << "mnu11BunkatsuData" << "分割11データ分析" << "11分割データ分析" << 3 << "";
    QTest::newRow("last digit") << "mnuLastChar" << "下一桁出現傾向分析" << "下一桁出現傾向分析" << 4 << "回数";
    QTest::newRow("runs") << "mnuLastCharRenzoku" << "下一桁連続出現回数分析" << "下一桁連続出現回数分析" << 4
                          << "回数";
}

void TstDivisionWindows::opensFromItsMenuItem()
{
    QFETCH(QString, action);
    QFETCH(QString, className);
    QFETCH(QString, caption);
    QFETCH(int, extraRows);
    QFETCH(QString, firstCaption);

    MainFrm frame(QCoreApplication::applicationDirPath());
    QStringList messages;
    frame.setMessagePresenter([&](QWidget *, const MessageRequest &request) {
        messages << request.text;
        return QMessageBox::Ok;
    });
    QVERIFY(frame.load());
    QVERIFY(frame.store().LastDrawNo > 0);

    auto *item = frame.findChild<QAction *>(action);
    QVERIFY(item);
    item->trigger();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join(u'\n')));
    auto *window = qobject_cast<AnalysisFrame *>(frame.childWindow(className));
    QVERIFY(window);
    QCOMPARE(window->objectName(), className);
    QCOMPARE(window->windowTitle(), caption);
    QVERIFY(!frame.propEnd());
    QVERIFY(window->findChild<QPushButton *>(QStringLiteral("Command2")));

    const Sheet &sheet = window->grid()->sheet();
    QCOMPARE(sheet.maxRows(), frame.store().LastDrawNo + extraRows);
    QCOMPARE(sheet.text(1, 1), firstCaption);
    QVERIFY(!window->grid()->hasSelection());
}

QTEST_MAIN(TstDivisionWindows)
#include "tst_divisionwindows.moc"
