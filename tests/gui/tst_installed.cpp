// The program as installed: the user's copy of the draws in the data folder
// is what the program reads and the update replaces, the options go to the
// configuration folder; Qt's own texts are Japanese and the windows carry
// the program's icon.
#include "app/gui/mainfrm.h"
#include "app/gui/programsetup.h"
#include "prediction/optionsfile.h"
#include "store/drawdatabase.h"
#include "support/drawfile.h"
#include "support/fixtures.h"
#include "support/httptestserver.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QImage>
#include <QtTest>

class TestInstalled : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void userCopyIsReadUpdatedAndOptionsGoToTheConfigurationFolder();
    void dialogsAreJapaneseAndWindowsCarryTheIcon();
};

void TestInstalled::userCopyIsReadUpdatedAndOptionsGoToTheConfigurationFolder()
{
    QTemporaryDir root;
    const QString home = root.filePath(QStringLiteral("home"));
    const QString bin = root.filePath(QStringLiteral("prefix/bin"));
    const QString share = root.filePath(QStringLiteral("prefix/share/loto6kermon"));
    QVERIFY(QDir().mkpath(home) && QDir().mkpath(bin) && QDir().mkpath(share));
    qputenv("HOME", home.toUtf8());
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_CONFIG_HOME");
    const ProgramFolder bundled(QStringLiteral("1,1,2,3,4,5,6,7\n2,8,9,10,11,12,13,14\n"));
    QVERIFY(QFile::copy(bundled.databasePath(), share + QStringLiteral("/Loto6Kermon.mdb")));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(root.path()));

    const QString userDb = home + QStringLiteral("/.local/share/loto6kermon/Loto6Kermon.mdb");
    HttpTestServer server;
    const ProgramFolder newer(QStringLiteral("1,1,2,3,4,5,6,7\n2,8,9,10,11,12,13,14\n3,15,16,17,18,19,20,21\n"));
    server.serve(HttpTestServer::Reply::Body, DrawFile::bytes(newer.databasePath()));
    {
        MainFrm frame(bin);
        MessageRecorder messages;
        messages.install(frame);
        frame.setDownloadUrl(server.url());
        QVERIFY(frame.load());
        QCOMPARE(frame.store().LastDrawNo, qint16(2));
        QCOMPARE(DrawDatabase::parseConnectString(frame.store().ConnectString).path, userDb);
        frame.prediction()->setFlag(3, true);

        frame.findChild<QAction *>(QStringLiteral("mnuMasterUpdate"))->trigger();
        QCOMPARE(DrawFile::lines(userDb).size(), 3);
        QVERIFY(QFile::exists(userDb + QStringLiteral(".bak")));
        frame.close();
    }
    QDir::setCurrent(previous);
    // The bundled database and the working directory are left as they were.
    QCOMPARE(DrawFile::lines(share + QStringLiteral("/Loto6Kermon.mdb")).size(), 2);
    QVERIFY(!QFile::exists(root.filePath(OptionsFile::FileName)));
    ReflectFlags flags{};
    QVERIFY(OptionsFile::read(home + QStringLiteral("/.config/loto6kermon/") + OptionsFile::FileName, flags).ok);
    QVERIFY(flags[3]);
}

void TestInstalled::dialogsAreJapaneseAndWindowsCarryTheIcon()
{
    QVERIFY(ProgramSetup::installQtTranslation(*qApp));
    ProgramSetup::apply(*qApp);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("メッセ－ジ"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel);
    const auto caption = [&](QMessageBox::StandardButton button) {
        // The access key stays as Qt's translation gives it: はい(&Y).
        return box.button(button)->text().remove(QRegularExpression(QStringLiteral("\\(&.\\)|&")));
    };
    QCOMPARE(caption(QMessageBox::Yes), QStringLiteral("はい"));
    QCOMPARE(caption(QMessageBox::No), QStringLiteral("いいえ"));
    QCOMPARE(caption(QMessageBox::Ok), QStringLiteral("OK"));
    QCOMPARE(caption(QMessageBox::Cancel), QStringLiteral("キャンセル"));

    ProgramFolder folder(QStringLiteral("1,1,2,3,4,5,6,7\n"));
    MainFrm frame(folder.path());
    const QImage ours(QStringLiteral(LOTO6_SOURCE_DIR "/packaging/icons/loto6kermon-48.png"));
    const QImage shown = frame.windowIcon().pixmap(48, 48).toImage();
    QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
             ours.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

QTEST_MAIN(TestInstalled)
#include "tst_installed.moc"
