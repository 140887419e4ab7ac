// The descriptions of the windows as they wrap at the windows' own sizes:
// by the Japanese line-breaking rules, every line readable on its own.
#include "analysis/gui/analysisframe.h"
#include "analysis/gui/randomnesswindow.h"
#include "app/gui/aboutwindow.h"
#include "maintenance/gui/drawimportwindow.h"
#include "maintenance/gui/ticketwindow.h"
#include "prediction/gui/backtestwindow.h"
#include "prediction/gui/predictionwindow.h"
#include "prediction/gui/wheelwindow.h"
#include "support/fixtures.h"
#include "support/history.h"
#include "ui/gui/metrics.h"
#include "ui/gui/wrappinglabel.h"

#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

// What a line may not start with: closing marks, small kana, the long-vowel mark.
const QString NoLineStart = QStringLiteral("、。，．）」』】ぁぃぅぇぉっゃゅょァィゥェォッャュョー");

bool isKana(QChar c)
{
    return (c.unicode() >= 0x3041 && c.unicode() <= 0x30FF);
}

bool isDigit(QChar c)
{
    return c.isDigit();
}

// Every line against the rules; the lines hold the whole text.
void checkLines(const QStringList &lines, QString text, const QString &where)
{
    QVERIFY2(!lines.isEmpty(), qPrintable(where));
    const bool paragraphs = text.contains(QStringLiteral("\n\n"));
    QCOMPARE(lines.join(QString()).remove(QLatin1Char(' ')), text.remove(QLatin1Char(' ')).remove(QLatin1Char('\n')));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        const QString context = QStringLiteral("%1: %2").arg(where, lines.join(QLatin1Char('/')));
        if (line.isEmpty() && i > 0 && paragraphs)
            continue; // a blank line between paragraphs
        QVERIFY2(!line.isEmpty(), qPrintable(context));
        QVERIFY2(i == 0 || !NoLineStart.contains(line.front()), qPrintable(context));
        // "す" or "ん。" alone on a line: a word cut before its last kana.
        const bool loneKana = isKana(line.front()) && (line.size() == 1 || (line.size() == 2 && line[1].isPunct()));
        QVERIFY2(lines.size() == 1 || !loneKana, qPrintable(context));
        QVERIFY2(i == 0 || lines[i - 1].isEmpty() || !(isDigit(lines[i - 1].back()) && isDigit(line.front())),
                 qPrintable(context));
    }
}

void checkLines(const WrappingLabel *label, const QString &where)
{
    checkLines(label->lines(), label->text(), where);
}

} // namespace

class TestDescriptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void analysisWindows();
    void predictionWindow();
    void importWindowAndAbout();
    void newerWindows();
    void messageBoxes();
};

void TestDescriptions::analysisWindows()
{
    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(30));
    int wrapped = 0;
    for (const AnalysisWindow &w : ::analysisWindows()) {
        AnalysisFrame frame(w, w.build(store));
        frame.resize(Metrics::twipsToPixels(w.widthTwips), Metrics::twipsToPixels(w.heightTwips));
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        auto *label = frame.findChild<WrappingLabel *>(QStringLiteral("Label1"));
        QVERIFY2(label, qPrintable(w.className));
        QCOMPARE(label->text(), w.label);
        checkLines(label, w.className);
        // The strip shows every line.
        QVERIFY2(label->height() >= label->heightForWidth(label->width()), qPrintable(w.className));
        wrapped += label->lines().size() > 1;
        if (w.className == QStringLiteral("分割11データ分析")) {
            // Where it used to read "…１１グ/ループに分類して分析し/ます".
            const QStringList lines = label->lines();
            QVERIFY(lines.size() > 1);
            QVERIFY2(lines.join(QLatin1Char('/')).contains(QStringLiteral("１１グループ")), qPrintable(lines.join('/')));
            QVERIFY(lines.last().endsWith(QStringLiteral("分析します")));
        }
    }
    QVERIFY(wrapped >= 3); // the narrow windows do wrap
}

void TestDescriptions::predictionWindow()
{
    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(60));
    PredictionEngine engine;
    PredictionWindow window(engine, store);
    window.resize(Metrics::twipsToPixels(9360), Metrics::twipsToPixels(8400));
    window.show();
    const QList<WrappingLabel *> labels = window.findChildren<WrappingLabel *>();
    QCOMPARE(labels.size(), 2);
    for (const WrappingLabel *label : labels) {
        checkLines(label, label->text());
        QVERIFY(label->lines().size() > 1);
        QVERIFY(label->height() >= label->heightForWidth(label->width()));
    }
}

void TestDescriptions::importWindowAndAbout()
{
    // Where "書き込みませ/ん。" was seen: the import window at a narrow width.
    ProgramFolder folder(QStringLiteral("1,1,2,3,4,5,6,7\n"));
    const QDir programDir = QFileInfo(folder.databasePath()).dir();
    DrawImportWindow import(folder.databasePath(), programDir.filePath(QStringLiteral("tickets.db")),
                            programDir.filePath(QStringLiteral("addresses.txt")), [](const MessageRequest &) { return QMessageBox::Ok; });
    for (const int width : {360, 420, 520, 640}) {
        import.resize(width, 500);
        import.show();
        QApplication::processEvents();
        QList<WrappingLabel *> labels = import.findChildren<WrappingLabel *>();
        // The introduction; the preview's result line is checked with the newer windows.
        labels.removeIf([](const WrappingLabel *label) { return label->objectName() == QStringLiteral("lbl結果"); });
        QCOMPARE(labels.size(), 1);
        checkLines(labels.first(), QStringLiteral("import %1").arg(width));
        QVERIFY(labels.first()->lines().last().endsWith(QStringLiteral("書き込みません。")));
    }
    AboutWindow about(nullptr);
    about.show();
    auto *notice = about.findChild<WrappingLabel *>(QStringLiteral("Label2"));
    QVERIFY(notice);
    checkLines(notice, QStringLiteral("about"));
}

void TestDescriptions::newerWindows()
{
    // Every text that wraps in the newer windows wraps by the same rules,
    // at the size each window opens with.
    WorkingDirectory cwd;
    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(130));
    const auto ask = [](const MessageRequest &) { return QMessageBox::Ok; };
    std::vector<std::unique_ptr<QWidget>> windows;
    windows.push_back(std::make_unique<BacktestWindow>(store, ReflectFlags{}));
    windows.back()->resize(Metrics::twipsToPixels(18600), Metrics::twipsToPixels(11400));
    windows.push_back(std::make_unique<RandomnessWindow>(store));
    windows.back()->resize(Metrics::twipsToPixels(RandomnessWindow::WidthTwips), Metrics::twipsToPixels(RandomnessWindow::HeightTwips));
    windows.push_back(std::make_unique<WheelWindow>(store, [&store] {
        PredictionEngine engine;
        engine.SetUpPredictionGrids(store);
        return engine;
    }, cwd.ledgerPath(), ask));
    windows.back()->resize(Metrics::twipsToPixels(WheelWindow::WidthTwips), Metrics::twipsToPixels(WheelWindow::HeightTwips));
    windows.push_back(std::make_unique<TicketWindow>(TicketLedger::open(cwd.ledgerPath()), DrawResults(store.DrawRecordset),
                                                     std::vector<TicketWindow::LineSource>{}, ask));
    windows.back()->resize(Metrics::twipsToPixels(TicketWindow::WidthTwips), Metrics::twipsToPixels(TicketWindow::HeightTwips));
    for (const std::unique_ptr<QWidget> &window : windows) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        for (const QLabel *label : window->findChildren<QLabel *>()) {
            const QString where = window->objectName() + QLatin1Char('/') + label->objectName();
            QVERIFY2(!label->wordWrap() || qobject_cast<const WrappingLabel *>(label), qPrintable(where));
            if (const auto *wrapping = qobject_cast<const WrappingLabel *>(label); wrapping && label->isVisible()
                && !label->text().isEmpty())
                checkLines(wrapping, where);
        }
    }
}

void TestDescriptions::messageBoxes()
{
    // The box's own wrapping would end lines anywhere ("読み取れませんでし/た。",
    // "よろし/いですか？"): the text reaches it in lines broken by the rules.
    const QString text = QStringLiteral("当選データファイル「/home/user/ロト6/Loto6Kermon.mdb」の第2131回から第2140回までの行を"
                                        "読み取れませんでした。ファイルが壊れているか、ほかのプログラムが書き込み中です。\n\n"
                                        "選択された行のうしろに行を追加して、入力した数字をすべて保存せずに閉じます。よろしいですか？");
    QWidget parent;
    parent.show();
    QStringList shown;
    bool wraps = true;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        shown = label->text().split(QLatin1Char('\n'));
        // Qt wraps no further: every line fits the label as it is.
        wraps = false;
        for (const QString &line : shown)
            wraps = wraps || label->fontMetrics().horizontalAdvance(line) > label->contentsRect().width();
        box->done(QMessageBox::No);
    });
    Messages::showBox(&parent, Messages::confirm(text));
    QVERIFY(shown.size() > 3);
    QVERIFY(!wraps);
    checkLines(shown, text, QStringLiteral("message box"));
}

QTEST_MAIN(TestDescriptions)
#include "tst_descriptions.moc"
