// The dispersion, consecutive, number-sum and pattern windows opened from
// their menu items over the bundled history: one table each, sized by the
// last draw, closed by Command1; the dispersion grid follows its window.
#include "analysis/gui/analysisframe.h"
#include "app/gui/mainfrm.h"
#include "ui/gui/metrics.h"
#include "ui/gui/sheetview.h"
#include "ui/gui/subwindow.h"

#include <QAction>
#include <QMdiSubWindow>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class TestDrawTableWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void opensFromMenu_data();
    void opensFromMenu();
    void dispersionGridFollowsTheWindow();

private:
    std::unique_ptr<MainFrm> m_frame;
};

void TestDrawTableWindows::initTestCase()
{
    m_frame = std::make_unique<MainFrm>(QCoreApplication::applicationDirPath());
    m_frame->setMessagePresenter([](QWidget *, const MessageRequest &request) {
        qWarning() << "unexpected message" << request.text;
        return QMessageBox::Ok;
    });
    QVERIFY(m_frame->load());
    QCOMPARE(m_frame->store().LastDrawNo, qint16(2130));
    m_frame->show();
}

void TestDrawTableWindows::opensFromMenu_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("extraRows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<bool>("printButton");
    QTest::newRow("バラツキ") << "mnuBaratsuki" << "バラツキ分析" << "バラツキ分析" << 3 << 45 << true;
    QTest::newRow("連番・飛び石") << "mnuRenbanTobiishi" << "連番飛び石分析" << "連番・飛び石分析" << 1 << 14 << false;
    QTest::newRow("数字合計") << "mnuHonsuji" << "数字合計分析" << "数字合計分析" << 1 << 10 << false;
    QTest::newRow("低数字・高数字") << "mnuLowHightPattern" << "低数字高数字の組合せパターン分析"
                                   << "低数字・高数字の組合せパターン分析" << 1 << 11 << false;
    QTest::newRow("偶数・奇数") << "mnuKisuGusuPattern" << "偶数奇数の組合せパターン分析"
                               << "偶数・奇数の組合せパターン分析" << 1 << 11 << false;
}

void TestDrawTableWindows::opensFromMenu()
{
    QFETCH(QString, action);
    QFETCH(QString, className);
    QFETCH(QString, caption);
    QFETCH(int, extraRows);
    QFETCH(int, columns);
    QFETCH(bool, printButton);

    auto *item = m_frame->findChild<QAction *>(action);
    QVERIFY(item);
    item->trigger();
    QWidget *window = m_frame->childWindow(className);
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), caption);
    QVERIFY(!m_frame->propEnd());

    auto *grid = window->findChild<SheetView *>(QStringLiteral("fpSpread1"));
    QVERIFY(grid);
    QCOMPARE(grid->sheet().maxRows(), 2130 + extraRows);
    QCOMPARE(grid->sheet().maxCols(), columns);
    QVERIFY(!grid->sheet().text(1, extraRows == 3 ? 3 : 2).isEmpty()); // the first draw

    auto *print = window->findChild<QPushButton *>(QStringLiteral("Command2"));
    QCOMPARE(print != nullptr, printButton);
    if (print) {
        QCOMPARE(print->text(), QStringLiteral("印刷"));
        // It opens the print preview of the whole table; closing it leaves the window as it was.
        QString previewTitle;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (auto *dialog = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget())) {
                previewTitle = dialog->windowTitle();
                dialog->reject();
            }
        });
        poll.start(50);
        print->click();
        poll.stop();
        QCOMPARE(previewTitle, caption + QStringLiteral(" - 印刷プレビュー"));
        QVERIFY(m_frame->childWindow(className));
    }

    // Choosing the item again brings the same window to the front.
    item->trigger();
    QCOMPARE(m_frame->childWindow(className), window);

    auto *close = window->findChild<QPushButton *>(QStringLiteral("Command1"));
    QVERIFY(close);
    QCOMPARE(close->text(), QStringLiteral("閉じる"));
    close->click();
    QTRY_VERIFY(!m_frame->childWindow(className));
    QVERIFY(m_frame->propEnd());
}

void TestDrawTableWindows::dispersionGridFollowsTheWindow()
{
    m_frame->findChild<QAction *>(QStringLiteral("mnuBaratsuki"))->trigger();
    QWidget *window = m_frame->childWindow(QStringLiteral("バラツキ分析"));
    QVERIFY(window);
    auto *grid = window->findChild<SheetView *>(QStringLiteral("fpSpread1"));
    QVERIFY(grid);
    const QPoint origin(Metrics::twipsToPixels(120), Metrics::twipsToPixels(600));
    for (const QSize size : {QSize(500, 400), QSize(900, 700)}) {
        enclosingSubWindow(window)->resize(size);
        QApplication::processEvents();
        // At its offset (lower where a narrow window wraps the description),
        // and inside the client area with its scroll bars.
        QCOMPARE(grid->x(), origin.x());
        QVERIFY(grid->y() >= origin.y());
        QVERIFY(window->rect().contains(grid->geometry()));
    }
    window->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    QTRY_VERIFY(!m_frame->childWindow(QStringLiteral("バラツキ分析")));
}

QTEST_MAIN(TestDrawTableWindows)
#include "tst_drawtablewindows.moc"
