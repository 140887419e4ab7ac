// What a killed writer, a held lock or an endless input leaves the database
// and its readers with: a second process really writes, really gets killed
// with SIGKILL and really holds the lock.
#include "maintenance/drawdataupdate.h"
#include "store/drawcsv.h"
#include "store/drawdatabase.h"
#include "store/globalbas.h"
#include "support/drawfile.h"
#include "support/history.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Starts dbwriter and waits until it printed every line of expected.
std::unique_ptr<QProcess> startWriter(const QString &db, const QString &mode, const QString &arg,
                                      const QByteArrayList &expected)
{
    auto writer = std::make_unique<QProcess>();
    writer->start(QStringLiteral(LOTO6_DBWRITER), {db, mode, arg});
    QByteArray said;
    while (writer->waitForReadyRead(60000)) {
        said += writer->readAllStandardOutput();
        if (said.split('\n').mid(0, expected.size()) == expected)
            return writer;
    }
    ADD_FAILURE() << "dbwriter said: " << said.toStdString() << writer->readAllStandardError().toStdString();
    return writer;
}

QString integrity(const QString &path)
{
    // Read-write, as the editor opens it: the open that would roll a stale
    // journal into the file.
    const Database db = Database::open(path, DrawDatabase::password(), Database::Mode::ReadWrite);
    Statement check = db.prepare(QStringLiteral("PRAGMA integrity_check"));
    QStringList lines;
    while (check.step())
        lines << check.value(0).toText();
    return lines.join(QLatin1Char('\n'));
}

QString writeCsv(const QString &path, const std::vector<DrawRecord> &records)
{
    DrawCsv::Table table;
    table.records = records;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(DrawCsv::write(table).toUtf8());
    return path;
}

QStringList linesOf(const std::vector<DrawRecord> &records)
{
    QStringList lines;
    for (const DrawRecord &record : records)
        lines << DrawFile::line(record);
    return lines;
}

} // namespace

// A writer killed inside a transaction leaves a hot journal. The start, the
// update and create-db --force must each end with an intact database: the
// last committed data for the start (the acknowledged edit included), the
// new data for a replacement, and the old file rolled back as the .bak.
TEST(CrashRecovery, HotJournalOfAKilledWriterIsRolledBackIntoItsOwnFile)
{
    enum class After { Start, Update, CreateDbForce };
    for (const After after : {After::Start, After::Update, After::CreateDbForce}) {
        SCOPED_TRACE(int(after));
        QTemporaryDir dir;
        const QString target = dir.filePath(DrawDatabase::FileName);
        std::vector<DrawRecord> old = TestHistory::generated(300);
        DrawFile::write(target, old);
        old[0].numbers[0] = Field(41);

        std::unique_ptr<QProcess> writer = startWriter(target, QStringLiteral("crash"), QStringLiteral("41"),
                                                       {"committed", "writing"});
        writer->kill();
        ASSERT_TRUE(writer->waitForFinished(10000));
        ASSERT_GT(QFileInfo(Database::journalPath(target)).size(), 0);

        const std::vector<DrawRecord> replacement = TestHistory::generated(500, 7u);
        switch (after) {
        case After::Start: {
            const DrawHistoryStore store = LoadDrawHistory(dir.path());
            EXPECT_EQ(linesOf(store.DrawRecordset.records()), linesOf(old));
            break;
        }
        case After::Update: {
            const QString downloaded = dir.filePath(QStringLiteral("downloaded.mdb"));
            DrawFile::write(downloaded, replacement);
            const DrawDataUpdate::Result result = DrawDataUpdate::installFile(downloaded, target);
            ASSERT_EQ(result.status, DrawDataUpdate::Status::Updated) << result.message.toStdString();
            EXPECT_EQ(integrity(target + QStringLiteral(".bak")), QStringLiteral("ok"));
            EXPECT_EQ(DrawFile::lines(target + QStringLiteral(".bak")), linesOf(old));
            break;
        }
        case After::CreateDbForce: {
            QProcess cli;
            cli.start(QStringLiteral(LOTO6_CLI), {QStringLiteral("create-db"), QStringLiteral("--from-csv"),
                                                  writeCsv(dir.filePath(QStringLiteral("new.csv")), replacement),
                                                  QStringLiteral("--db"), target, QStringLiteral("--force")});
            ASSERT_TRUE(cli.waitForFinished(60000));
            ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
            break;
        }
        }
        EXPECT_EQ(integrity(target), QStringLiteral("ok"));
        EXPECT_EQ(DrawFile::lines(target), linesOf(after == After::Start ? old : replacement));
        EXPECT_FALSE(QFileInfo::exists(Database::journalPath(target)));
    }
}

// Another program committing holds the lock for a moment; the start waits
// for it instead of failing.
TEST(CrashRecovery, StartWaitsForAShortLockOfAnotherProgram)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(DrawDatabase::FileName);
    DrawFile::write(target, TestHistory::generated(50));
    std::unique_ptr<QProcess> writer = startWriter(target, QStringLiteral("lock"), QStringLiteral("700"), {"locked"});
    EXPECT_EQ(LoadDrawHistory(dir.path()).DrawRecordset.RecordCount(), 50);
    writer->waitForFinished(10000);
}

// Inputs that never end are cut off with a message, not read until memory
// runs out: a view that yields rows forever, a CSV from /dev/zero.
TEST(CrashRecovery, EndlessInputsAreRefused)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("endless.mdb"));
    {
        const Database db = Database::open(path, DrawDatabase::password(), Database::Mode::Create);
        db.exec(QStringLiteral(
            "CREATE VIEW 全データ選択クエリ AS WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r) "
            "SELECT n AS 回数, 1 AS 第1数字, 2 AS 第2数字, 3 AS 第3数字, 4 AS 第4数字, 5 AS 第5数字, "
            "6 AS 第6数字, 7 AS ボーナス数字 FROM r"));
    }
    const QString endless = QStringLiteral("全データ選択クエリのレコードが 32767 件を超えています");
    try {
        loadDrawHistoryFrom(DrawDatabase::connectStringForFile(path));
        ADD_FAILURE() << "an endless view loaded";
    } catch (const DatabaseError &error) {
        EXPECT_TRUE(error.message().contains(endless)) << error.message().toStdString();
    }
    EXPECT_TRUE(DrawDataUpdate::checkDatabaseFile(path).contains(endless));

    const QString out = dir.filePath(QStringLiteral("out.mdb"));
    try {
        DrawCsv::createDatabase(QStringLiteral("/dev/zero"), out, false);
        ADD_FAILURE() << "/dev/zero was taken as a CSV file";
    } catch (const DatabaseError &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("大きすぎます（64 MB まで）"))) << error.message().toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(out));
}
