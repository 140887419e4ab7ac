// The prediction window inside the real main window: options shown and
// switched, predictions recomputed at once, options kept across closing the
// window and across runs through the options file.
#include "app/gui/mainfrm.h"
#include "prediction/gui/predictionwindow.h"
#include "prediction/optionsfile.h"
#include "store/drawcsv.h"
#include "store/textencoding.h"
#include "support/drawfile.h"
#include "support/history.h"
#include "ui/gui/sheetview.h"

#include <QAction>
#include <QPushButton>
#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString WindowName = QStringLiteral("一発ケルモン予想");

// Draws 1 … 60: draws 1 … 44 are all {1 … 7}, so with 間隔分析
// reflected (15 draws back) every window number occurs four times and the
// elimination finds only seven distinct numbers; the draws from 45 on come
// from the generated history.
std::vector<DrawRecord> records()
{
    std::vector<DrawRecord> out = TestHistory::generated(60);
    for (DrawRecord &record : out) {
        if (record.drawNo.integer() <= 44) {
            for (int p = 0; p < 7; ++p)
                record.numbers[size_t(p)] = Field(p + 1);
        }
    }
    // The four draws the unshifted window reads hold distinct numbers.
    const int marks[4][7] = {{10, 11, 12, 13, 14, 15, 16}, {17, 18, 19, 20, 21, 22, 23},
                             {24, 25, 26, 27, 28, 29, 30}, {31, 32, 33, 34, 35, 36, 37}};
    for (int k = 0; k < 4; ++k) {
        for (int p = 0; p < 7; ++p)
            out[size_t(58 - k)].numbers[size_t(p)] = Field(marks[k][p]);
    }
    return out;
}

} // namespace

class TestPredictionWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void startsWithThePredictionAndNothingReflected();
    void optionClickMovesEveryLookBackAndBack();
    void eliminationKeepsNothingFromThePreviousOptions();
    void closingAndReopeningKeepsTheOptions();
    void restartKeepsTheOptionsThroughTheFile();
    void failedSaveIsReportedAndTheProgramEnds();

private:
    std::unique_ptr<MainFrm> start();
    PredictionWindow *window(MainFrm &frm) const;
    QStringList results(PredictionWindow *w, int k, int r) const;
    QStringList allResults(PredictionWindow *w) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousDir;
    QList<MessageRequest> m_messages;
};

void TestPredictionWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    DrawCsv::Table table;
    table.records = records();
    QFile csv(m_dir->filePath(QStringLiteral("draws.csv")));
    QVERIFY(csv.open(QIODevice::WriteOnly));
    csv.write(DrawCsv::write(table).toUtf8());
    csv.close();
    DrawFile::createFromCsv(csv.fileName(), m_dir->filePath(QStringLiteral("Loto6Kermon.mdb")), true);
    // The options file lives in the working directory.
    m_previousDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_messages.clear();
}

void TestPredictionWindow::cleanup()
{
    QDir::setCurrent(m_previousDir);
    m_dir.reset();
}

std::unique_ptr<MainFrm> TestPredictionWindow::start()
{
    auto frm = std::make_unique<MainFrm>(m_dir->path());
    frm->setMessagePresenter([this](QWidget *, const MessageRequest &request) {
        m_messages << request;
        return QMessageBox::Ok;
    });
    frm->show();
    if (!frm->load())
        return nullptr;
    frm->activateWindow();
    QTest::qWait(20);
    return frm;
}

PredictionWindow *TestPredictionWindow::window(MainFrm &frm) const
{
    return qobject_cast<PredictionWindow *>(frm.childWindow(WindowName));
}

QStringList TestPredictionWindow::results(PredictionWindow *w, int k, int r) const
{
    QStringList cells;
    for (int c = 2; c <= 7; ++c)
        cells << w->grid(k)->sheet().text(c, r);
    while (!cells.isEmpty() && cells.last().isEmpty())
        cells.removeLast();
    return cells;
}

QStringList TestPredictionWindow::allResults(PredictionWindow *w) const
{
    QStringList all;
    for (int k = 0; k < 4; ++k) {
        for (int r = 1; r <= w->grid(k)->sheet().maxRows(); ++r) {
            for (int c = 1; c <= 7; ++c)
                all << w->grid(k)->sheet().text(c, r);
        }
    }
    return all;
}

void TestPredictionWindow::startsWithThePredictionAndNothingReflected()
{
    std::unique_ptr<MainFrm> frm = start();
    QVERIFY(frm);
    PredictionWindow *w = window(*frm);
    QVERIFY2(w, "the prediction window is shown at start-up without a menu click");
    QCOMPARE(w->windowTitle(), WindowName);
    QVERIFY(!frm->propEnd());
    for (int k = 0; k < ReflectFlagCount; ++k) {
        auto *no = w->findChild<QRadioButton *>(QStringLiteral("Opt反映しない_%1").arg(k));
        auto *yes = w->findChild<QRadioButton *>(QStringLiteral("Opt反映する_%1").arg(k));
        QVERIFY(no && yes);
        QCOMPARE(no->property("index").toInt(), k);
        QVERIFY(no->isChecked());
        QVERIFY(!yes->isChecked());
    }
    QCOMPARE(w->findChild<SheetView *>(QStringLiteral("fpSpread1_2")), w->grid(2));
    QCOMPARE(results(w, 2, 2), (QStringList{"10", "11", "12", "13", "14", "15"}));
    QCOMPARE(results(w, 2, 3), (QStringList{"16", "17", "18", "19", "20", "21"}));
    QCOMPARE(results(w, 3, 2), results(w, 2, 2));
    QVERIFY(m_messages.isEmpty());
    // Each table ends where its columns and rows do: no empty band beside
    // or below it.
    for (int k = 0; k < 4; ++k) {
        const SheetView *grid = w->grid(k);
        const QSize view = grid->viewport()->size();
        QCOMPARE(grid->cellAt(QPoint(view.width() - 1, 1)).x(), grid->sheet().maxCols());
        QCOMPARE(grid->cellAt(QPoint(1, view.height() - 1)).y(), grid->sheet().maxRows());
    }
}

void TestPredictionWindow::optionClickMovesEveryLookBackAndBack()
{
    std::unique_ptr<MainFrm> frm = start();
    QVERIFY(frm);
    PredictionWindow *w = window(*frm);
    QVERIFY(w);
    const QStringList before = allResults(w);

    // With the look-back 15 draws further back the window reads draws 44 … 41,
    // all {1 … 7}: no number is single; the elimination reads filler only.
    QTest::mouseClick(w->reflectButton(1), Qt::LeftButton);
    QVERIFY(w->reflectButton(1)->isChecked());
    QVERIFY(!w->notReflectButton(1)->isChecked());
    QVERIFY(frm->prediction()->flag(1));
    QCOMPARE(results(w, 1, 2), (QStringList{"23", "18", "20", "28", "37", "7"}));
    QCOMPARE(results(w, 1, 3), (QStringList{"19"}));
    QCOMPARE(results(w, 2, 2), QStringList());
    QCOMPARE(results(w, 3, 2), QStringList());

    QTest::mouseClick(w->notReflectButton(1), Qt::LeftButton);
    QVERIFY(!frm->prediction()->flag(1));
    QCOMPARE(allResults(w), before);
}

void TestPredictionWindow::eliminationKeepsNothingFromThePreviousOptions()
{
    std::unique_ptr<MainFrm> frm = start();
    QVERIFY(frm);
    PredictionWindow *w = window(*frm);
    QVERIFY(w);
    QVERIFY(results(w, 1, 3).size() + results(w, 1, 4).size() > 1); // more than seven candidates before
    QTest::mouseClick(w->reflectButton(1), Qt::LeftButton);
    QCOMPARE(results(w, 1, 3), (QStringList{"19"}));
    QCOMPARE(results(w, 1, 4), QStringList());
    // The cycle grid is rewritten with the same contents.
    QCOMPARE(w->grid(0)->sheet().text(1, 2), QStringLiteral(" 7回周期法"));
}

void TestPredictionWindow::closingAndReopeningKeepsTheOptions()
{
    std::unique_ptr<MainFrm> frm = start();
    QVERIFY(frm);
    PredictionWindow *w = window(*frm);
    QVERIFY(w);
    QTest::mouseClick(w->reflectButton(1), Qt::LeftButton);
    QTest::mouseClick(w->reflectButton(7), Qt::LeftButton);
    const QStringList shifted = allResults(w);

    QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Cmd閉じる")), Qt::LeftButton);
    QTRY_VERIFY(!frm->childWindow(WindowName));
    QVERIFY(frm->propEnd());

    frm->findChild<QAction *>(QStringLiteral("mnuYoso"))->trigger();
    w = window(*frm);
    QVERIFY(w);
    QVERIFY(!frm->propEnd());
    QVERIFY(w->reflectButton(1)->isChecked());
    QVERIFY(w->reflectButton(7)->isChecked());
    QVERIFY(w->notReflectButton(0)->isChecked());
    QCOMPARE(allResults(w), shifted);
}

void TestPredictionWindow::restartKeepsTheOptionsThroughTheFile()
{
    {
        std::unique_ptr<MainFrm> frm = start();
        QVERIFY(frm);
        PredictionWindow *w = window(*frm);
        QVERIFY(w);
        QTest::mouseClick(w->reflectButton(1), Qt::LeftButton);
        QTest::mouseClick(w->reflectButton(11), Qt::LeftButton);
        QVERIFY(!QFile::exists(OptionsFile::FileName)); // the clicks do not write the file
        frm->close();
        QVERIFY(m_messages.isEmpty());
    }
    QFile file(OptionsFile::FileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = TextEncoding::decodeCp932(file.readAll());
    QVERIFY(text.contains(QStringLiteral("間隔分析Opt=True\r\n")));
    QVERIFY(text.endsWith(QStringLiteral("下一桁連続出現回数分析Opt=True\r\n")));

    std::unique_ptr<MainFrm> again = start();
    QVERIFY(again);
    PredictionWindow *w = window(*again);
    QVERIFY(w);
    for (int k = 0; k < ReflectFlagCount; ++k)
        QCOMPARE(w->reflectButton(k)->isChecked(), k == 1 || k == 11);
    QCOMPARE(again->prediction()->ComputeLookBackShift(), qint16(18));
}

void TestPredictionWindow::failedSaveIsReportedAndTheProgramEnds()
{
    // A folder in the way: the file can be neither read nor replaced.
    QVERIFY(QDir().mkdir(OptionsFile::FileName));
    std::unique_ptr<MainFrm> frm = start();
    QVERIFY(frm);
    QVERIFY(m_messages.isEmpty()); // the failed read is silent
    QVERIFY(window(*frm));
    QVERIFY(frm->close());
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages.first().title, QStringLiteral("メッセ－ジ"));
    QVERIFY(m_messages.first().text.contains(OptionsFile::FileName));
}

QTEST_MAIN(TestPredictionWindow)
#include "tst_predictionwindow.moc"
