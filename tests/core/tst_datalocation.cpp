// Where the database and the options file live: beside a portable program,
// in the user's folders for an installed one, whose database is copied from
// the bundled one once.
#include "store/datalocation.h"

#include "support/drawfile.h"
#include "support/history.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A temporary home, and an installation: prefix/bin beside
// prefix/share/loto6kermon/Loto6Kermon.mdb.
class DataLocationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("HOME", path("home").toUtf8());
        qunsetenv("XDG_DATA_HOME");
        for (const char *folder : {"home", "prefix/bin", "prefix/share/loto6kermon", "build"})
            QDir().mkpath(path(folder));
        DrawFile::write(path("prefix/share/loto6kermon/Loto6Kermon.mdb"), TestHistory::generated(5));
    }
    void TearDown() override { qputenv("HOME", m_home); }
    QString path(const char *relative) const { return m_root.filePath(QString::fromUtf8(relative)); }

    QTemporaryDir m_root;
    const QByteArray m_home = qgetenv("HOME");
};

} // namespace

TEST_F(DataLocationTest, PortableProgramKeepsItsFilesWhereTheyAlwaysWere)
{
    const QString build = path("build");
    EXPECT_TRUE(DataLocation::isPortable(build));
    EXPECT_EQ(DataLocation::databaseFile(build), build + QStringLiteral("/Loto6Kermon.mdb"));
    EXPECT_EQ(DataLocation::settingsFile(build, QStringLiteral("ロト6ケルモン.ini")), QStringLiteral("ロト6ケルモン.ini"));
    EXPECT_EQ(DataLocation::resourceFolder(build), build);
    EXPECT_EQ(DataLocation::prepare(build), QString());
    EXPECT_TRUE(QDir(path("home")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST_F(DataLocationTest, InstalledProgramCopiesTheBundledDatabaseOnceAndKeepsTheUsersCopy)
{
    const QString bin = path("prefix/bin"), userDb = path("home/.local/share/loto6kermon/Loto6Kermon.mdb");
    // An installed layout is never written to, even where it is writable (root).
    EXPECT_FALSE(DataLocation::isPortable(bin));
    EXPECT_EQ(DataLocation::resourceFolder(bin), path("prefix/share/loto6kermon"));

    // A journal of a database that is gone would be rolled into the new copy.
    QDir().mkpath(path("home/.local/share/loto6kermon"));
    ASSERT_TRUE(DrawFile::writeBytes(userDb + QStringLiteral("-journal"), "stale"));
    EXPECT_EQ(DataLocation::prepare(bin), QString());
    EXPECT_EQ(DrawFile::lines(userDb).size(), 5);
    EXPECT_EQ(QDir(path("home/.local/share/loto6kermon")).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Loto6Kermon.mdb")});

    // The user's draws survive every later start.
    QFile::remove(userDb);
    DrawFile::write(userDb, TestHistory::generated(7, 42));
    EXPECT_EQ(DataLocation::prepare(bin), QString());
    EXPECT_EQ(DrawFile::lines(userDb).size(), 7);
}
