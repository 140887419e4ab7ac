// Start-up order: the store starts loading on a worker thread before the
// application object exists.
#include "store/backgroundload.h"

#include <QApplication>
#include <QtTest>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

QStringList warnings;

void recordWarnings(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    // Qt's own words for an application object made off the main thread.
    if (type == QtWarningMsg && text.contains(QLatin1String("main() thread")))
        warnings << text;
}

int loadedDraws = -1;

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void applicationThreadStaysTheMainThread();
};

void TestStartup::applicationThreadStaysTheMainThread()
{
    // Had the worker's first Qt object (the database file it opened) made
    // its thread the program's main one, the application would have said so
    // and its window-system events would go astray: a start that never
    // paints the prediction.
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
    QCOMPARE(loadedDraws, 2130);
}

int main(int argc, char *argv[])
{
    // Nothing of Qt runs on this thread before the application object: the
    // worker's objects come first, as at a real start. A second program holds
    // the database locked so that the worker, having opened the file, is
    // still waiting while the application object is made.
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("loto6-startup-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path database = folder / "Loto6Kermon.mdb";
    fs::copy_file(fs::canonical("/proc/self/exe").parent_path() / "Loto6Kermon.mdb", database,
                  fs::copy_options::overwrite_existing);
    FILE *writer = ::popen((std::string(LOTO6_DBWRITER) + " '" + database.string() + "' lock 1200").c_str(), "r");
    char ready[16] = {};
    if (!writer || !std::fgets(ready, sizeof ready, writer))
        return 1;
    int status;
    {
        BackgroundStoreLoad load(QString::fromStdString(folder.string()));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        qInstallMessageHandler(recordWarnings);
        QApplication app(argc, argv);
        qInstallMessageHandler(nullptr);
        loadedDraws = load.take().LastDrawNo;
        TestStartup test;
        status = QTest::qExec(&test, argc, argv);
    }
    ::pclose(writer);
    fs::remove_all(folder);
    return status;
}

#include "tst_startup.moc"
