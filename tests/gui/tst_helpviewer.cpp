// The help file built from help/ and the viewer that shows it.

#include "app/gui/helpfile.h"
#include "app/gui/helpviewer.h"
#include "app/gui/mainfrm.h"

#include <QAction>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

namespace {

const QString Keyword = QStringLiteral("ロト6ケルモンについて");

QString builtHelpFile()
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + HelpFile::FileName;
}

QString withoutAnchor(QString local)
{
    const qsizetype hash = local.indexOf(QLatin1Char('#'));
    if (hash >= 0)
        local.truncate(hash);
    return local.startsWith(QLatin1Char('/')) ? local : QLatin1Char('/') + local;
}

} // namespace

class TestHelpViewer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sitemap_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QStringList>("keywords");
        QTest::addColumn<QStringList>("firstLocals");
        QTest::addColumn<QList<int>>("depths");

        QTest::newRow("flat, upper-case tags")
            << QStringLiteral("<UL><LI> <OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"あ\">"
                              "<param name=\"Local\" value=\"a.html\"></OBJECT>"
                              "<LI> <OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"い\">"
                              "<param name=\"Local\" value=\"b.html#x\"></OBJECT></UL>")
            << QStringList{QStringLiteral("あ"), QStringLiteral("い")}
            << QStringList{QStringLiteral("a.html"), QStringLiteral("b.html#x")} << QList<int>{0, 0};
        QTest::newRow("nested, lower case, single quotes")
            << QStringLiteral("<ul><li><object type='text/sitemap'><param name='name' value='親'>"
                              "<param name='local' value='p.html'></object>"
                              "<ul><li><object type='text/sitemap'><param name='name' value='子'>"
                              "<param name='local' value='c.html'></object></ul></ul>")
            << QStringList{QStringLiteral("親"), QStringLiteral("子")}
            << QStringList{QStringLiteral("p.html"), QStringLiteral("c.html")} << QList<int>{0, 1};
        QTest::newRow("entities, properties object skipped")
            << QStringLiteral("<OBJECT type=\"text/site properties\"><param name=\"Name\" value=\"no\"></OBJECT>"
                              "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A &amp; B &#x3042;\">"
                              "<param name=\"Local\" value=\"x.html\"><param name=\"Local\" value=\"y.html\"></OBJECT></UL>")
            << QStringList{QStringLiteral("A & B あ")} << QStringList{QStringLiteral("x.html")} << QList<int>{0};
        QTest::newRow("entry without a name dropped")
            << QStringLiteral("<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Local\" value=\"x.html\"></OBJECT></UL>")
            << QStringList{} << QStringList{} << QList<int>{};
    }

    void sitemap()
    {
        QFETCH(QString, html);
        QFETCH(QStringList, keywords);
        QFETCH(QStringList, firstLocals);
        QFETCH(QList<int>, depths);
        const QList<HelpFile::IndexEntry> entries = HelpFile::parseSitemap(html);
        QStringList gotKeywords, gotLocals;
        QList<int> gotDepths;
        for (const HelpFile::IndexEntry &entry : entries) {
            gotKeywords << entry.keyword;
            gotLocals << entry.locals.value(0);
            gotDepths << entry.depth;
        }
        QCOMPARE(gotKeywords, keywords);
        QCOMPARE(gotLocals, firstLocals);
        QCOMPARE(gotDepths, depths);
    }

    // The compiled file holds the keyword, and every index entry leads to a
    // page that is in the file.
    void builtFileHoldsKeyword()
    {
        HelpFile file;
        QVERIFY2(file.open(builtHelpFile()), qPrintable(file.errorString()));
        QCOMPARE(file.topicFor(Keyword), QStringLiteral("/about.html"));
        QVERIFY(QString::fromUtf8(file.object(QStringLiteral("/about.html"))).contains(QStringLiteral("<h1>ロト6ケルモンについて</h1>")));
        QVERIFY(file.index().size() > 20);
        for (const HelpFile::IndexEntry &entry : file.index()) {
            QVERIFY2(!entry.locals.isEmpty(), qPrintable(entry.keyword));
            QVERIFY2(file.contains(withoutAnchor(entry.locals.first())), qPrintable(entry.keyword));
        }
        QVERIFY(file.object(QStringLiteral("/missing.html")).isEmpty());
    }

    void menuOpensViewerOnKeyword()
    {
        MainFrm frame(QCoreApplication::applicationDirPath());
        frame.show();
        auto *action = frame.findChild<QAction *>(QStringLiteral("mnuHelpFile"));
        QVERIFY(action);
        action->trigger();

        HelpViewer *viewer = frame.helpViewer();
        QVERIFY(viewer);
        QVERIFY(viewer->isVisible());
        QVERIFY(viewer->isWindow());
        QVERIFY(viewer->indexList()->currentItem());
        QCOMPARE(viewer->indexList()->currentItem()->text(), Keyword);
        QCOMPARE(viewer->currentTopic(), QStringLiteral("/about.html"));
        QVERIFY(viewer->topicView()->toPlainText().contains(QStringLiteral("ロト6ケルモンLiteは、")));

        if (const QString shot = qEnvironmentVariable("LOTO6_HELP_SCREENSHOT"); !shot.isEmpty())
            viewer->grab().save(shot, "PNG");

        // A page with an anchor, then the menu again: the same window, back on the keyword.
        viewer->showTopic(QStringLiteral("/analysis.html#baratsuki"));
        QCOMPARE(viewer->currentTopic(), QStringLiteral("/analysis.html"));
        QVERIFY(viewer->topicView()->toPlainText().contains(QStringLiteral("バラツキ分析")));
        action->trigger();
        QCOMPARE(frame.helpViewer(), viewer);
        QCOMPARE(viewer->currentTopic(), QStringLiteral("/about.html"));
    }

    void typingPositionsIndex()
    {
        HelpViewer viewer;
        viewer.openFile(builtHelpFile());
        viewer.displayIndex(QStringLiteral("当選データ"));
        QVERIFY(viewer.indexList()->currentItem());
        QCOMPARE(viewer.indexList()->currentItem()->text(), QStringLiteral("当選データ最新化"));
        QVERIFY(!viewer.keywordLookup(QStringLiteral("当選データ")));
        QVERIFY(viewer.keywordLookup(QStringLiteral("当選データ入力")));
        QCOMPARE(viewer.currentTopic(), QStringLiteral("/maintenance.html"));
    }

    void missingFileSaysSo()
    {
        QTemporaryDir dir;
        MainFrm frame(dir.path());
        QList<MessageRequest> shown;
        frame.setMessagePresenter([&shown](QWidget *, const MessageRequest &request) {
            shown << request;
            return QMessageBox::Ok;
        });
        frame.findChild<QAction *>(QStringLiteral("mnuHelpFile"))->trigger();

        HelpViewer *viewer = frame.helpViewer();
        QVERIFY(viewer);
        QVERIFY(shown.isEmpty());
        QCOMPARE(viewer->indexList()->count(), 0);
        const QString text = viewer->topicView()->toPlainText();
        QVERIFY2(text.contains(QStringLiteral("見つかりません")), qPrintable(text));
        QVERIFY(text.contains(dir.filePath(HelpFile::FileName)));
    }

    void foreignFileIsRefused()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(HelpFile::FileName);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<html>not a help file</html>");
        file.close();
        HelpFile help;
        QVERIFY(!help.open(path));
        QVERIFY(help.errorString().contains(QStringLiteral("開けません")));
        QVERIFY(help.index().isEmpty());
    }
};

QTEST_MAIN(TestHelpViewer)
#include "tst_helpviewer.moc"
