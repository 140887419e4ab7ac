// The program as installed: the user's copy of the draws is what the program
// reads and the update replaces, the options go to the configuration folder;
// Qt's own texts are Japanese and the windows carry the program's icon.
#include "app/gui/mainfrm.h"
#include "app/gui/programsetup.h"
#include "prediction/optionsfile.h"
#include "support/drawfile.h"
#include "support/fixtures.h"
#include "support/httptestserver.h"

#include <QAbstractButton>
#include <QAction>
#include <QtTest>

class TestInstalled : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void userCopyIsReadAndUpdatedAndOptionsGoToTheConfigurationFolder();
    void dialogsAreJapaneseAndWindowsCarryTheIcon();
};

void TestInstalled::userCopyIsReadAndUpdatedAndOptionsGoToTheConfigurationFolder()
{
    QTemporaryDir root;
    const QString home = root.filePath(QStringLiteral("home")), bin = root.filePath(QStringLiteral("prefix/bin"));
    const QString bundled = root.filePath(QStringLiteral("prefix/share/loto6kermon/Loto6Kermon.mdb"));
    QVERIFY(QDir().mkpath(home) && QDir().mkpath(bin) && QDir().mkpath(QFileInfo(bundled).path()));
    qputenv("HOME", home.toUtf8());
    qunsetenv("XDG_DATA_HOME"), qunsetenv("XDG_CONFIG_HOME");
    const ProgramFolder twoDraws(QStringLiteral("1,1,2,3,4,5,6,7\n2,8,9,10,11,12,13,14\n"));
    const ProgramFolder threeDraws(QStringLiteral("1,1,2,3,4,5,6,7\n2,8,9,10,11,12,13,14\n3,15,16,17,18,19,20,21\n"));
    QVERIFY(QFile::copy(twoDraws.databasePath(), bundled));
    HttpTestServer server;
    server.serve(HttpTestServer::Reply::Body, DrawFile::bytes(threeDraws.databasePath()));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(root.path()));
    const QString userDb = home + QStringLiteral("/.local/share/loto6kermon/Loto6Kermon.mdb");
    {
        MainFrm frame(bin);
        MessageRecorder messages;
        messages.install(frame);
        frame.setDownloadUrl(server.url());
        QVERIFY(frame.load());
        QCOMPARE(frame.store().LastDrawNo, qint16(2));
        frame.prediction()->setFlag(3, true);
        messages.answers << QMessageBox::Yes; // replace the draws
        frame.findChild<QAction *>(QStringLiteral("mnuMasterUpdate"))->trigger();
        QCOMPARE(DrawFile::lines(userDb).size(), 3);
        QVERIFY(QFile::exists(userDb + QStringLiteral(".bak")));
        frame.close();
    }
    QDir::setCurrent(previous);
    QCOMPARE(DrawFile::lines(bundled).size(), 2);
    QVERIFY(!QFile::exists(root.filePath(OptionsFile::FileName)));
    ReflectFlags flags{};
    QVERIFY(OptionsFile::read(home + QStringLiteral("/.config/loto6kermon/") + OptionsFile::FileName, flags).ok);
    QVERIFY(flags[3]);
}

void TestInstalled::dialogsAreJapaneseAndWindowsCarryTheIcon()
{
    ProgramSetup::apply(*qApp);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("メッセ－ジ"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QStringList captions; // without the access keys: はい(&Y) → はい
    for (auto button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
        captions << box.button(button)->text().remove(QRegularExpression(QStringLiteral("\\(&.\\)|&")));
    QCOMPARE(captions, (QStringList{QStringLiteral("はい"), QStringLiteral("いいえ"), QStringLiteral("キャンセル")}));

    MainFrm frame(ProgramFolder(QStringLiteral("1,1,2,3,4,5,6,7\n")).path());
    const QImage ours(QStringLiteral(LOTO6_SOURCE_DIR "/packaging/icons/loto6kermon-48.png"));
    QCOMPARE(frame.windowIcon().pixmap(48, 48).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
             ours.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

QTEST_MAIN(TestInstalled)
#include "tst_installed.moc"
