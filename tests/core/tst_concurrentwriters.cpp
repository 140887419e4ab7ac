// Writers in separate processes at the same time, and killed in the middle:
// what each one reports must be what the file holds afterwards.
#include "maintenance/drawdataupdate.h"
#include "maintenance/drawrecordeditor.h"
#include "maintenance/ticketledger.h"
#include "support/drawfile.h"
#include "support/editreports.h"
#include "support/history.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Finished
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

std::unique_ptr<QProcess> start(const QString &program, const QStringList &args)
{
    auto process = std::make_unique<QProcess>();
    process->start(program, args);
    EXPECT_TRUE(process->waitForStarted(30000)) << qPrintable(program);
    return process;
}

Finished wait(QProcess &process)
{
    EXPECT_TRUE(process.waitForFinished(300000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

void kill(QProcess &process)
{
    process.kill(); // SIGKILL
    process.waitForFinished(30000);
}

// count generated draws numbered from first on; seed picks their numbers.
std::vector<DrawRecord> draws(int first, int count, std::uint32_t seed)
{
    std::vector<DrawRecord> records = TestHistory::generated(count, seed);
    for (DrawRecord &record : records)
        record.drawNo = Field(record.drawNo.integer() + first - 1);
    return records;
}

QString writeCsv(const QTemporaryDir &dir, const QString &name, const std::vector<DrawRecord> &records)
{
    const QString path = dir.filePath(name);
    EXPECT_TRUE(DrawFile::writeBytes(path, DrawCsv::write({false, records}).toUtf8()));
    return path;
}

std::unique_ptr<QProcess> startImport(const QString &csv, const QString &db)
{
    return start(QStringLiteral(LOTO6_CLI), {QStringLiteral("import"), csv, QStringLiteral("--db"), db,
                                             QStringLiteral("--format"), QStringLiteral("json")});
}

// How many of the records the file holds exactly as given.
int held(const QStringList &fileLines, const std::vector<DrawRecord> &records)
{
    int count = 0;
    for (const DrawRecord &record : records)
        count += fileLines.contains(DrawFile::line(record)) ? 1 : 0;
    return count;
}

QString integrity(const QString &path)
{
    const Database db = Database::open(path, DrawDatabase::password(), Database::Mode::ReadWrite);
    Statement check = db.prepare(QStringLiteral("PRAGMA integrity_check"));
    return check.step() ? check.value(0).toText() : QString();
}

// An import's report against the file: exit 0 and "applied" with every
// draw written, or a refusal (exit 1, its message on stderr) with none of
// them; the JSON report and the exit status agree.
void expectReportMatchesFile(const Finished &run, const QStringList &fileLines, const std::vector<DrawRecord> &records)
{
    const QJsonObject report = QJsonDocument::fromJson(run.out).object();
    const int inFile = held(fileLines, records);
    SCOPED_TRACE(run.err.toStdString());
    if (run.exitCode == 0 && report.value(QStringLiteral("applied")).toBool()) {
        EXPECT_EQ(report.value(QStringLiteral("written")).toObject().value(QStringLiteral("added")).toInt(), int(records.size()));
        EXPECT_EQ(inFile, int(records.size()));
    } else {
        EXPECT_FALSE(report.value(QStringLiteral("applied")).toBool());
        EXPECT_EQ(inFile, 0);
        // A refusal says why: on stderr, or in the report's message.
        if (run.exitCode != 0) {
            EXPECT_TRUE(!run.err.isEmpty()
                        || report.value(QStringLiteral("message")).toString().contains(QStringLiteral("変更していません")));
        }
    }
}

// The results of the draws as pasted from a results page, each with the
// prize amounts of 1等 … 4等.
QString pageWithPrizes(const std::vector<DrawRecord> &records)
{
    QString page;
    for (const DrawRecord &record : records) {
        page += QStringLiteral("第%1回").arg(record.drawNo.integer());
        for (int p = 1; p <= 6; ++p)
            page += QStringLiteral(" %1").arg(record.number(p).integer());
        page += QStringLiteral(" (%1)\n1等 1口 200,000,000円\n2等 6口 10,234,500円\n3等 250口 312,300円\n4等 12,000口 6,800円\n")
                    .arg(record.bonus().integer());
    }
    return page;
}

// The prize amounts a ledger holds, read as the next start reads it.
int prizeCount(const QString &ledger)
{
    int count = 0;
    const PrizeBook prizes = TicketLedger::read(ledger).prizes;
    for (const auto &[drawNo, tiers] : prizes.all())
        count += int(std::count_if(tiers.begin(), tiers.end(), [](const std::optional<qint64> &amount) { return amount.has_value(); }));
    return count;
}

} // namespace

// An import of 3 000 draws with their 12 000 prize amounts, killed at many
// moments of its work: afterwards the draw database and the ledger hold
// both or neither, whichever of the two files is opened first.
TEST(ConcurrentWriters, KilledImportLeavesDrawsAndTheirPrizesTogether)
{
    const std::vector<DrawRecord> added = draws(101, 3000, 41u);
    QTemporaryDir dir;
    const QString page = dir.filePath(QStringLiteral("page.txt"));
    ASSERT_TRUE(DrawFile::writeBytes(page, pageWithPrizes(added).toUtf8()));
    const QString original = dir.filePath(QStringLiteral("original.mdb"));
    DrawFile::write(original, TestHistory::generated(100));
    const auto fresh = [&](int run) {
        const QString db = dir.filePath(QStringLiteral("run%1/%2").arg(run).arg(DrawDatabase::FileName));
        EXPECT_TRUE(QDir().mkpath(QFileInfo(db).absolutePath()));
        EXPECT_TRUE(QFile::copy(original, db));
        return db;
    };
    const auto import = [&](const QString &db) {
        return start(QStringLiteral(LOTO6_CLI), {QStringLiteral("import"), page, QStringLiteral("--db"), db, QStringLiteral("--ledger"),
                                                 QFileInfo(db).absolutePath() + QStringLiteral("/ledger.db")});
    };

    // How long a whole import takes here: the kills are spread over it.
    QElapsedTimer timer;
    timer.start();
    const QString whole = fresh(0);
    const Finished done = wait(*import(whole));
    const qint64 duration = timer.elapsed();
    ASSERT_EQ(done.exitCode, 0) << done.err.toStdString();
    ASSERT_EQ(DrawFile::lines(whole).size(), 3100);
    ASSERT_EQ(prizeCount(QFileInfo(whole).absolutePath() + QStringLiteral("/ledger.db")), 12000);

    constexpr int Kills = 40;
    for (int run = 1; run <= Kills; ++run) {
        const qint64 afterMs = duration / 5 + duration * run / Kills;
        SCOPED_TRACE(afterMs);
        const QString db = fresh(run);
        const QString ledger = QFileInfo(db).absolutePath() + QStringLiteral("/ledger.db");
        const auto importing = import(db);
        QThread::msleep(afterMs);
        kill(*importing);

        int prizes = 0;
        if (run % 2 == 0)
            prizes = prizeCount(ledger);
        EXPECT_EQ(integrity(db), QStringLiteral("ok"));
        const int drawsAdded = int(DrawFile::lines(db).size()) - 100;
        if (run % 2 == 1)
            prizes = prizeCount(ledger);
        EXPECT_TRUE((drawsAdded == 0 && prizes == 0) || (drawsAdded == 3000 && prizes == 12000))
            << drawsAdded << " draws, " << prizes << " prize amounts";
        if (run == Kills) {
            const Finished again = wait(*import(db));
            EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
            EXPECT_EQ(prizeCount(ledger), 12000);
        }
    }
}

// Two imports of 3 000 draws each, started together, five times over: new
// draws on both sides, or the same draws with other numbers. The second
// waits for the first one's lock (or gives up with nothing written), so
// each report holds for the file.
TEST(ConcurrentWriters, TwoImportsAtOnceEachReportHoldsForTheFile)
{
    for (int run = 0; run < 5; ++run) {
        const bool sameDraws = run % 2 == 1;
        SCOPED_TRACE(sameDraws ? "same draws" : "different draws");
        QTemporaryDir dir;
        const QString db = dir.filePath(DrawDatabase::FileName);
        DrawFile::write(db, TestHistory::generated(100));
        const std::vector<DrawRecord> first = draws(101, 3000, 11u + run);
        const std::vector<DrawRecord> second = draws(sameDraws ? 101 : 3101, 3000, 97u + run);
        const auto a = startImport(writeCsv(dir, QStringLiteral("a.csv"), first), db);
        const auto b = startImport(writeCsv(dir, QStringLiteral("b.csv"), second), db);
        const Finished ra = wait(*a);
        const Finished rb = wait(*b);

        EXPECT_EQ(integrity(db), QStringLiteral("ok"));
        const QStringList lines = DrawFile::lines(db);
        expectReportMatchesFile(ra, lines, first);
        expectReportMatchesFile(rb, lines, second);
        EXPECT_TRUE(ra.exitCode == 0 || rb.exitCode == 0) << ra.err.toStdString() << rb.err.toStdString();
        EXPECT_EQ(lines.size(), 100 + held(lines, first) + held(lines, second));
        // The copy kept is the file as the import that wrote last found it.
        EXPECT_EQ(integrity(db + QStringLiteral(".bak")), QStringLiteral("ok"));
    }
}

// An import killed at some point of its work leaves all of its draws or
// none, and the file ready for the next import.
TEST(ConcurrentWriters, KilledImportLeavesAllOrNothingAndTheNextOneWorks)
{
    for (const int afterMs : {50, 200, 400, 700}) {
        SCOPED_TRACE(afterMs);
        QTemporaryDir dir;
        const QString db = dir.filePath(DrawDatabase::FileName);
        DrawFile::write(db, TestHistory::generated(100));
        const std::vector<DrawRecord> added = draws(101, 20000, 5u);
        const QString csv = writeCsv(dir, QStringLiteral("new.csv"), added);
        const auto import = startImport(csv, db);
        QThread::msleep(afterMs);
        kill(*import);

        EXPECT_EQ(integrity(db), QStringLiteral("ok"));
        const QStringList lines = DrawFile::lines(db);
        EXPECT_TRUE(lines.size() == 100 || lines.size() == 20100) << lines.size();
        EXPECT_EQ(held(lines, added), lines.size() - 100);

        const Finished again = wait(*startImport(csv, db));
        EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
        EXPECT_EQ(held(DrawFile::lines(db), added), 20000);
    }
}

// The draw results editor of another program edits row after row while an
// import runs, and in a second round the import is killed: every edit the
// editor reported as written is in the file and every failed one is not;
// the import's report holds as well.
TEST(ConcurrentWriters, EditorInAnotherProcessAndImportBothTellTheTruth)
{
    for (const bool killImport : {false, true}) {
        SCOPED_TRACE(killImport ? "import killed" : "import finished");
        QTemporaryDir dir;
        const QString db = dir.filePath(DrawDatabase::FileName);
        DrawFile::write(db, TestHistory::generated(300));
        const QStringList before = DrawFile::lines(db);
        const std::vector<DrawRecord> added = draws(301, 3000, 23u);
        const auto editor = start(QStringLiteral(LOTO6_DBWRITER), {db, QStringLiteral("edit"), QStringLiteral("300")});
        ASSERT_TRUE(editor->waitForReadyRead(60000));
        ASSERT_EQ(editor->readLine(), "ready\n");
        const auto import = startImport(writeCsv(dir, QStringLiteral("new.csv"), added), db);
        std::optional<Finished> imported;
        if (killImport) {
            QThread::msleep(150);
            kill(*import);
        } else {
            imported = wait(*import);
        }
        const Finished edited = wait(*editor);

        EXPECT_EQ(integrity(db), QStringLiteral("ok"));
        const QStringList lines = DrawFile::lines(db);
        const EditReports::Checked edits = EditReports::check(edited.out, before, lines);
        EXPECT_EQ(edited.out.count('\n'), 300);
        EXPECT_GT(edits.written, 0);
        EXPECT_EQ(edits.contradicted, QStringList());
        if (imported)
            expectReportMatchesFile(*imported, lines, added);
        else
            EXPECT_TRUE(held(lines, added) == 0 || held(lines, added) == 3000) << held(lines, added);
    }
}

// Two `tickets import`s of 3 000 tickets each into one ledger at once, then
// one killed: an import that reports its count has all its tickets, one that
// refuses or dies has none.
TEST(ConcurrentWriters, TicketImportsAtOnceAndKilled)
{
    QTemporaryDir dir;
    const QString ledger = dir.filePath(TicketLedger::FileName);
    const auto csvOf = [&](const QString &memo) {
        std::vector<Ticket> tickets(3000);
        for (size_t i = 0; i < tickets.size(); ++i) {
            tickets[i].drawNo = int(i % 2000) + 1;
            tickets[i].numbers = {1, 2, 3, 4, 5, int(6 + i % 38)};
            tickets[i].purchaseDate = QStringLiteral("2026-01-05");
            tickets[i].memo = memo;
        }
        const QString path = dir.filePath(memo + QStringLiteral(".csv"));
        EXPECT_TRUE(DrawFile::writeBytes(path, TicketCsv::write(tickets).toUtf8()));
        return path;
    };
    const auto importTickets = [&](const QString &csv) {
        return start(QStringLiteral(LOTO6_CLI),
                     {QStringLiteral("tickets"), QStringLiteral("import"), csv, QStringLiteral("--ledger"), ledger});
    };
    const auto withMemo = [&](const QString &memo) {
        const std::vector<Ticket> all = TicketLedger::open(ledger).tickets();
        return int(std::count_if(all.begin(), all.end(), [&](const Ticket &t) { return t.memo == memo; }));
    };
    const QString a = csvOf(QStringLiteral("A"));
    const QString b = csvOf(QStringLiteral("B"));
    const QString c = csvOf(QStringLiteral("C"));

    const auto first = importTickets(a);
    const auto second = importTickets(b);
    for (const auto &[process, memo] : {std::pair{first.get(), QStringLiteral("A")}, std::pair{second.get(), QStringLiteral("B")}}) {
        const Finished run = wait(*process);
        SCOPED_TRACE(run.err.toStdString());
        if (run.exitCode == 0) {
            EXPECT_EQ(run.out, "{\"imported\":3000}\n");
            EXPECT_EQ(withMemo(memo), 3000);
        } else {
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_FALSE(run.err.isEmpty());
            EXPECT_EQ(withMemo(memo), 0);
        }
    }

    const auto killed = importTickets(c);
    QThread::msleep(120);
    kill(*killed);
    EXPECT_TRUE(withMemo(QStringLiteral("C")) == 0 || withMemo(QStringLiteral("C")) == 3000);
    const Finished after = wait(*importTickets(c));
    EXPECT_EQ(after.exitCode, 0) << after.err.toStdString();
    EXPECT_GE(withMemo(QStringLiteral("C")), 3000);
}

// An update that waits for the lock while another program puts a new file
// in place keeps, as the .bak, the file that went by the name when it wrote:
// never the one replaced before, and never a second name of the new
// database. Pending names of writers that have ended are cleared away,
// those of a running writer left alone.
TEST(ConcurrentWriters, UpdateKeepsTheFileItReplacesWhenAnotherReplacedItFirst)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(DrawDatabase::FileName);
    DrawFile::write(target, TestHistory::generated(300));
    const QString between = dir.filePath(QStringLiteral("between.mdb"));
    DrawFile::write(between, TestHistory::generated(310));
    const QStringList betweenLines = DrawFile::lines(between);
    const QString download = dir.filePath(QStringLiteral("download.mdb"));
    DrawFile::write(download, TestHistory::generated(2000));

    QProcess ended;
    ended.start(QStringLiteral("sleep"), {QStringLiteral("0.1")});
    ASSERT_TRUE(ended.waitForStarted(30000));
    const qint64 endedPid = ended.processId();
    ASSERT_TRUE(ended.waitForFinished(30000));
    const QString leftOver = target + QStringLiteral(".bak.new-%1-killed").arg(endedPid);
    const QString running = target + QStringLiteral(".bak.new-%1-running").arg(::getpid());
    ASSERT_TRUE(DrawFile::writeBytes(leftOver, "x") && DrawFile::writeBytes(running, "x"));

    const auto writer = start(QStringLiteral(LOTO6_DBWRITER), {target, QStringLiteral("replace"), between, QStringLiteral("700")});
    ASSERT_TRUE(writer->waitForReadyRead(60000));
    ASSERT_EQ(writer->readLine(), "ready\n");
    const DrawDataUpdate::Result result = DrawDataUpdate::installFile(download, target);
    wait(*writer);

    ASSERT_EQ(int(result.status), int(DrawDataUpdate::Status::Updated)) << result.message.toStdString();
    EXPECT_EQ(DrawFile::lines(target + QStringLiteral(".bak")), betweenLines);
    EXPECT_EQ(DrawFile::lines(target).size(), 2000);
    struct stat live{}, kept{};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &live), 0);
    ASSERT_EQ(::stat(QFile::encodeName(target + QStringLiteral(".bak")).constData(), &kept), 0);
    EXPECT_NE(live.st_ino, kept.st_ino);
    EXPECT_FALSE(QFile::exists(leftOver));
    EXPECT_TRUE(QFile::exists(running));
}
