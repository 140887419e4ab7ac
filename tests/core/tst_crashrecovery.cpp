// What a writer killed with SIGKILL or holding a lock leaves the database and
// its readers with, and inputs that never end.
#include "maintenance/drawdataupdate.h"
#include "store/drawcsv.h"
#include "store/globalbas.h"
#include "support/drawfile.h"
#include "support/history.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Starts dbwriter and waits until it has reached its point.
std::unique_ptr<QProcess> startWriter(const QString &db, const QString &mode, const QString &arg)
{
    auto writer = std::make_unique<QProcess>();
    writer->start(QStringLiteral(LOTO6_DBWRITER), {db, mode, arg});
    EXPECT_TRUE(writer->waitForReadyRead(60000) && writer->readAllStandardOutput() == "ready\n");
    return writer;
}

QString integrity(const QString &path)
{
    // Read-write, as the editor opens it: the open that would roll a stale journal in.
    const Database db = Database::open(path, DrawDatabase::password(), Database::Mode::ReadWrite);
    Statement check = db.prepare(QStringLiteral("PRAGMA integrity_check"));
    return check.step() ? check.value(0).toText() : QString();
}

} // namespace

// The start, the update and create-db --force after a killed writer each end
// with an intact database: the last committed data (the acknowledged edit
// included) for the start and for the .bak, the new data for a replacement.
TEST(CrashRecovery, HotJournalIsRolledBackIntoItsOwnFile)
{
    for (const char *after : {"start", "update", "create-db --force"}) {
        SCOPED_TRACE(after);
        QTemporaryDir dir;
        const QString target = dir.filePath(DrawDatabase::FileName);
        DrawFile::write(target, TestHistory::generated(300));
        startWriter(target, QStringLiteral("crash"), QStringLiteral("41"))->kill();
        ASSERT_GT(QFileInfo(Database::journalPath(target)).size(), 0);
        const QString fresh = dir.filePath(QStringLiteral("fresh.mdb"));
        const std::vector<DrawRecord> freshRecords = TestHistory::generated(500, 7u);
        DrawFile::write(fresh, freshRecords);
        const QStringList freshLines = DrawFile::lines(fresh);

        QStringList lines;
        if (QByteArray(after) == "start") {
            for (const DrawRecord &record : LoadDrawHistory(dir.path()).DrawRecordset)
                lines << DrawFile::line(record);
        } else if (QByteArray(after) == "update") {
            ASSERT_EQ(DrawDataUpdate::installFile(fresh, target).status, DrawDataUpdate::Status::Updated);
            EXPECT_EQ(integrity(target + QStringLiteral(".bak")), QStringLiteral("ok"));
            EXPECT_TRUE(DrawFile::lines(target + QStringLiteral(".bak")).first().startsWith(QStringLiteral("1|41|")));
        } else {
            const QString csv = dir.filePath(QStringLiteral("fresh.csv"));
            ASSERT_TRUE(DrawFile::writeBytes(csv, DrawCsv::write({false, freshRecords}).toUtf8()));
            DrawFile::createFromCsv(csv, target, true);
        }
        EXPECT_EQ(integrity(target), QStringLiteral("ok"));
        if (QByteArray(after) == "start") {
            EXPECT_EQ(lines, DrawFile::lines(target));
            EXPECT_TRUE(lines.first().startsWith(QStringLiteral("1|41|")));
            EXPECT_FALSE(lines.join(QString()).contains(QStringLiteral("unfinished")));
        } else {
            EXPECT_EQ(DrawFile::lines(target), freshLines);
        }
    }
}

// A start while another program holds the lock for a moment waits for it;
// endless inputs are refused with a message instead of eating memory.
TEST(CrashRecovery, ShortLocksAreWaitedForAndEndlessInputsRefused)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(DrawDatabase::FileName);
    DrawFile::write(target, TestHistory::generated(50));
    const std::unique_ptr<QProcess> writer = startWriter(target, QStringLiteral("lock"), QStringLiteral("700"));
    EXPECT_EQ(LoadDrawHistory(dir.path()).DrawRecordset.RecordCount(), 50);
    writer->waitForFinished(10000);

    const QString endless = dir.filePath(QStringLiteral("endless.mdb"));
    Database::open(endless, DrawDatabase::password(), Database::Mode::Create)
        .exec(QStringLiteral("CREATE VIEW 全データ選択クエリ AS WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL "
                             "SELECT n + 1 FROM r) SELECT n AS 回数, 1 AS 第1数字, 2 AS 第2数字, 3 AS 第3数字, "
                             "4 AS 第4数字, 5 AS 第5数字, 6 AS 第6数字, 7 AS ボーナス数字 FROM r"));
    EXPECT_TRUE(DrawDataUpdate::checkDatabaseFile(endless).contains(QStringLiteral("レコードが 32767 件を超えています")));
    QProcess createDb;
    createDb.start(QStringLiteral(LOTO6_CLI), {QStringLiteral("create-db"), QStringLiteral("--from-csv"), QStringLiteral("/dev/zero"),
                                               QStringLiteral("--db"), dir.filePath(QStringLiteral("out.mdb"))});
    ASSERT_TRUE(createDb.waitForFinished(60000));
    EXPECT_EQ(createDb.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(createDb.readAllStandardError()).contains(QStringLiteral("長すぎます（1行 64 KB まで）")));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("out.mdb"))));
}
