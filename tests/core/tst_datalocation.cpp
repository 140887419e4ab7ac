// Where the database, the options file and the ledger live: beside a portable
// program, in the user's folders for an installed one, whose database is
// copied from the bundled one once. The tests run as root, for whom every
// folder here is writable, as /usr is.
#include "store/datalocation.h"

#include "maintenance/ticketledger.h"
#include "support/drawfile.h"
#include "support/history.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A temporary home; a portable build folder; an installation: prefix/bin and
// prefix/libexec/loto6kermon beside prefix/share/loto6kermon/Loto6Kermon.mdb.
class DataLocationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("HOME", path("home").toUtf8());
        qunsetenv("XDG_DATA_HOME"), qunsetenv("XDG_CONFIG_HOME");
        for (const char *folder : {"home", "prefix/bin", "prefix/libexec/loto6kermon", "prefix/share/loto6kermon", "build", "loose"})
            QDir().mkpath(path(folder));
        DrawFile::write(path("prefix/share/loto6kermon/Loto6Kermon.mdb"), TestHistory::generated(5));
        DrawFile::write(path("build/Loto6Kermon.mdb"), TestHistory::generated(3));
    }
    void TearDown() override { qputenv("HOME", m_home); }
    QString path(const char *relative) const { return m_root.filePath(QString::fromUtf8(relative)); }
    QString userDb() const { return path("home/.local/share/loto6kermon/Loto6Kermon.mdb"); }
    QString userLedger() const { return path("home/.local/share/loto6kermon/") + TicketLedger::FileName; }
    QString configLedger() const { return path("home/.config/loto6kermon/") + TicketLedger::FileName; }
    void emptyHome() const
    {
        QDir(path("home")).removeRecursively();
        QDir().mkpath(path("home"));
    }
    // Every entry below home, folders too.
    QStringList homeEntries() const
    {
        QStringList entries;
        for (QDirIterator it(path("home"), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
             it.hasNext();)
            entries << it.next();
        entries.sort();
        return entries;
    }

    QTemporaryDir m_root;
    const QByteArray m_home = qgetenv("HOME");
};

// Starts dbwriter on a file without a key and waits until it has reached its point.
std::unique_ptr<QProcess> startPlainWriter(const QString &file, const char *mode, const char *arg)
{
    auto writer = std::make_unique<QProcess>();
    writer->start(QStringLiteral(LOTO6_DBWRITER),
                  {file, QString::fromUtf8(mode), QString::fromUtf8(arg), QStringLiteral("plain")});
    EXPECT_TRUE(writer->waitForReadyRead(60000) && writer->readAllStandardOutput() == "ready\n");
    return writer;
}

} // namespace

TEST_F(DataLocationTest, PortableProgramKeepsItsFilesWhereTheyAlwaysWere)
{
    const QString build = path("build");
    EXPECT_EQ(DataLocation::databaseFile(build), build + QStringLiteral("/Loto6Kermon.mdb"));
    EXPECT_EQ(DataLocation::settingsFile(build, QStringLiteral("ロト6ケルモン.ini")), QStringLiteral("ロト6ケルモン.ini"));
    EXPECT_EQ(TicketLedger::defaultPath(build), TicketLedger::FileName);
    EXPECT_EQ(DataLocation::prepare(build), QString());
    EXPECT_TRUE(homeEntries().isEmpty());

    // Its database removed while it runs, it stays what it was at its start.
    QFile::remove(build + QStringLiteral("/Loto6Kermon.mdb"));
    EXPECT_EQ(DataLocation::databaseFile(build), build + QStringLiteral("/Loto6Kermon.mdb"));
    EXPECT_EQ(TicketLedger::defaultPath(build), TicketLedger::FileName);
}

// Each program of an installation finds the bundled files from where the
// layout puts it; a folder that merely can be written to is no portable copy.
TEST_F(DataLocationTest, EachProgramFindsItsFilesFromItsLayout)
{
    struct Case
    {
        const char *folder;
        bool portable;
        const char *resources;
        const char *helpers;
    };
    const Case cases[] = {
        {"build", true, "build", "build"},
        {"prefix/bin", false, "prefix/share/loto6kermon", "prefix/libexec/loto6kermon"},
        {"prefix/libexec/loto6kermon", false, "prefix/share/loto6kermon", "prefix/libexec/loto6kermon"},
        {"loose", false, "loose", "loose"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.folder);
        EXPECT_EQ(DataLocation::isPortable(path(c.folder)), c.portable);
        EXPECT_EQ(DataLocation::resourceFolder(path(c.folder)), path(c.resources));
        EXPECT_EQ(DataLocation::helperFolder(path(c.folder)), path(c.helpers));
    }
}

TEST_F(DataLocationTest, InstalledProgramsCopyTheBundledDatabaseOnceAndKeepTheUsersCopy)
{
    for (const char *program : {"prefix/bin", "prefix/libexec/loto6kermon"}) {
        SCOPED_TRACE(program);
        emptyHome();
        const QString folder = path(program);
        EXPECT_EQ(DataLocation::databaseFile(folder), userDb());

        // A journal of a database that is gone would be rolled into the new copy.
        QDir().mkpath(path("home/.local/share/loto6kermon"));
        ASSERT_TRUE(DrawFile::writeBytes(userDb() + QStringLiteral("-journal"), "stale"));
        EXPECT_EQ(DataLocation::prepare(folder), QString());
        EXPECT_EQ(DrawFile::lines(userDb()).size(), 5);
        EXPECT_EQ(QDir(path("home/.local/share/loto6kermon")).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("Loto6Kermon.mdb")});

        // The user's draws survive every later start.
        QFile::remove(userDb());
        DrawFile::write(userDb(), TestHistory::generated(7, 42));
        EXPECT_EQ(DataLocation::prepare(folder), QString());
        EXPECT_EQ(DrawFile::lines(userDb()).size(), 7);
    }
}

TEST_F(DataLocationTest, FailedFirstStartLeavesNothingBehind)
{
    struct Case
    {
        const char *name;
        const char *folder;
        std::function<void()> arrange;
        const char *says;
    };
    const Case cases[] = {
        {"no bundled database", "loose", [] {}, "見つかりません"},
        {"bundled database unreadable", "other/bin",
         [this] { QDir().mkpath(path("other/share/loto6kermon/Loto6Kermon.mdb")); }, "読めません"},
        {"configuration folder blocked", "prefix/bin",
         [this] { DrawFile::writeBytes(path("home/.config"), "a file"); }, "作成できません"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        emptyHome();
        QDir().mkpath(path(c.folder));
        c.arrange();
        const QStringList before = homeEntries();
        EXPECT_TRUE(DataLocation::prepare(path(c.folder)).contains(QString::fromUtf8(c.says)));
        EXPECT_EQ(homeEntries(), before);
    }
}

TEST_F(DataLocationTest, LedgerInTheConfigurationFolderMovesOnceToTheDataFolder)
{
    const QString bin = path("prefix/bin");
    Ticket ticket;
    ticket.drawNo = 2131;
    ticket.numbers = {1, 2, 3, 4, 5, 6};
    ticket.purchaseDate = QStringLiteral("2026-08-20");
    TicketLedger::open(configLedger()).add(ticket);
    const QFile::Permissions mode = QFileInfo(configLedger()).permissions();

    EXPECT_EQ(TicketLedger::defaultPath(bin), userLedger());
    EXPECT_FALSE(QFileInfo::exists(configLedger()));
    EXPECT_EQ(TicketLedger::read(userLedger()).tickets.size(), 1u);
    EXPECT_EQ(QFileInfo(userLedger()).permissions(), mode);

    // Moved once: a ledger that turns up there again (an older program run
    // since) is left as it is.
    TicketLedger::open(configLedger());
    EXPECT_EQ(TicketLedger::defaultPath(bin), userLedger());
    EXPECT_TRUE(QFileInfo::exists(configLedger()));
    EXPECT_EQ(TicketLedger::read(userLedger()).tickets.size(), 1u);
}

// A writer killed in a transaction leaves its journal beside the file: the
// move rolls it back first, and takes nothing from a writer still at work.
TEST_F(DataLocationTest, LedgerIsMovedOnlyAtRest)
{
    const QString bin = path("prefix/bin");
    QDir().mkpath(path("home/.config/loto6kermon"));
    // Pages enough for the killed writer's changes to spill into the file.
    DrawFile::write(configLedger(), TestHistory::generated(3000), QString());

    {
        const auto locker = startPlainWriter(configLedger(), "lock", "5000");
        EXPECT_EQ(TicketLedger::defaultPath(bin), configLedger());
        EXPECT_FALSE(QFileInfo::exists(userLedger()));
        locker->kill();
        locker->waitForFinished();
    }

    startPlainWriter(configLedger(), "crash", "41")->kill();
    ASSERT_GT(QFileInfo(Database::journalPath(configLedger())).size(), 0);
    EXPECT_EQ(TicketLedger::defaultPath(bin), userLedger());
    EXPECT_FALSE(QFileInfo::exists(Database::journalPath(configLedger())));
    const QStringList lines = DrawFile::lines(userLedger(), QString());
    ASSERT_EQ(lines.size(), 3000);
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("1|41|")));
    EXPECT_FALSE(lines.join(QString()).contains(QStringLiteral("unfinished")));
}
