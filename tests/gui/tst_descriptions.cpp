// The descriptions of the windows as they wrap at the windows' own sizes:
// by the Japanese line-breaking rules, every line readable on its own.
#include "analysis/gui/analysisframe.h"
#include "app/gui/aboutwindow.h"
#include "maintenance/gui/drawimportwindow.h"
#include "prediction/gui/predictionwindow.h"
#include "support/fixtures.h"
#include "support/history.h"
#include "ui/gui/metrics.h"
#include "ui/gui/wrappinglabel.h"

#include <QtTest>

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

// Every line of the label against the rules; the lines hold the whole text.
void checkLines(const WrappingLabel *label, const QString &where)
{
    const QStringList lines = label->lines();
    QVERIFY2(!lines.isEmpty(), qPrintable(where));
    QString text = label->text();
    QCOMPARE(lines.join(QString()).remove(QLatin1Char(' ')), text.remove(QLatin1Char(' ')));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        const QString context = QStringLiteral("%1: %2").arg(where, lines.join(QLatin1Char('/')));
        QVERIFY2(!line.isEmpty(), qPrintable(context));
        QVERIFY2(i == 0 || !NoLineStart.contains(line.front()), qPrintable(context));
        // "す" or "ん。" alone on a line: a word cut before its last kana.
        const bool loneKana = isKana(line.front()) && (line.size() == 1 || (line.size() == 2 && line[1].isPunct()));
        QVERIFY2(lines.size() == 1 || !loneKana, qPrintable(context));
        QVERIFY2(i == 0 || !(isDigit(lines[i - 1].back()) && isDigit(line.front())), qPrintable(context));
    }
}

} // namespace

class TestDescriptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void analysisWindows();
    void predictionWindow();
    void importWindowAndAbout();
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
        if (w.className == QLatin1String("分割11データ分析")) {
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
        const QList<WrappingLabel *> labels = import.findChildren<WrappingLabel *>();
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

QTEST_MAIN(TestDescriptions)
#include "tst_descriptions.moc"
