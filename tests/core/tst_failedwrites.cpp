// Every command of loto6kermon-cli with its output going nowhere: standard
// output on /dev/full, or a full disk (a file-size limit on the process, with
// SIGXFSZ ignored so that the write fails instead of killing it). Each one
// must fail with a message and leave no partial file and an older file or
// database as it was.
#include "maintenance/ticketledger.h"
#include "support/drawfile.h"
#include "support/history.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>

namespace {

constexpr rlim_t FileSizeLimit = 4096;

struct Outcome
{
    int exitCode = -1;
    QString err;
};

// Runs the tool with stdout on stdoutPath; with a file-size limit when limited.
Outcome runCli(const QStringList &args, const QString &stdoutPath, bool limited)
{
    QProcess cli;
    cli.setStandardOutputFile(stdoutPath);
    if (limited) {
        cli.setChildProcessModifier([] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{FileSizeLimit, FileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
    }
    cli.start(QStringLiteral(LOTO6_CLI), args);
    EXPECT_TRUE(cli.waitForFinished(300000));
    return {cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1, QString::fromUtf8(cli.readAllStandardError())};
}

class FailedWrites : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db = dir.filePath(DrawDatabase::FileName);
        ledger = dir.filePath(TicketLedger::FileName);
        DrawFile::write(db, TestHistory::generated(300));
        std::vector<Ticket> tickets(200);
        for (size_t i = 0; i < tickets.size(); ++i) {
            tickets[i].drawNo = int(i) + 1;
            tickets[i].numbers = {1, 2, 3, 4, 5, 6};
            tickets[i].purchaseDate = QStringLiteral("2026-01-05");
        }
        TicketLedger::open(ledger).addAll(tickets);
        const QString csv = dir.filePath(QStringLiteral("new.csv"));
        DrawFile::writeBytes(csv, DrawCsv::write({false, TestHistory::generated(400)}).toUtf8());
    }

    // {db}, {ledger} and {dir} in args stand for the test's files.
    QStringList expand(const QStringList &args) const
    {
        QStringList expanded;
        for (QString arg : args)
            expanded << arg.replace(QStringLiteral("{db}"), db).replace(QStringLiteral("{ledger}"), ledger).replace(QStringLiteral("{dir}"), dir.path());
        return expanded;
    }

    // What must not change: the database, the ledger and an older output file.
    QStringList files() const
    {
        QStringList state;
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files, QDir::Name))
            state << name + QLatin1Char(':') + QString::number(qHash(DrawFile::bytes(dir.filePath(name))));
        return state;
    }

    QTemporaryDir dir;
    QString db;
    QString ledger;
};

// Standard output on /dev/full: every family of commands that prints.
TEST_F(FailedWrites, StandardOutputOnDevFullIsAFailure)
{
    const QList<QStringList> commands{
        {"summary", "--db", "{db}"},
        {"list"},
        {"export", "出現頻度分析", "--db", "{db}"},
        {"export", "--all", "--format", "csv", "--db", "{db}"},
        {"export", "一発ケルモン予想", "--db", "{db}"},
        {"dump-db", "--db", "{db}"},
        {"backtest", "--from", "250", "--db", "{db}"},
        {"randomness", "--db", "{db}"},
        {"import", "{dir}/new.csv", "--dry-run", "--db", "{db}"},
        {"save-csv", "{dir}/saved.csv", "--db", "{db}"},
        {"tickets", "list", "--ledger", "{ledger}"},
        {"tickets", "check", "--ledger", "{ledger}", "--db", "{db}"},
        {"tickets", "export", "-", "--ledger", "{ledger}"},
        {"render", "バラツキ分析", "--pdf", "{dir}/out.pdf", "--db", "{db}"},
        {"combos", "--numbers", "1,2,3,4,5,6,7,8", "--db", "{db}"},
    };
    for (const QStringList &command : commands) {
        SCOPED_TRACE(command.join(QLatin1Char(' ')).toStdString());
        const Outcome outcome = runCli(expand(command), QStringLiteral("/dev/full"), false);
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_TRUE(outcome.err.contains(QStringLiteral("標準出力に書き込めませんでした"))) << outcome.err.toStdString();
    }
}

// A full disk under standard output and under every file a command writes:
// the command fails, names what it could not write, and what was there
// stays as it was (an older output file included); nothing partial is left.
TEST_F(FailedWrites, FullDiskIsAFailureAndLeavesNothingPartial)
{
    struct Case
    {
        QStringList args;
        QString message;
    };
    const QList<Case> cases{
        {{"export", "--all", "--db", "{db}"}, "標準出力に書き込めませんでした"},
        {{"dump-db", "--db", "{db}"}, "標準出力に書き込めませんでした"},
        {{"backtest", "--from", "200", "--db", "{db}"}, "標準出力に書き込めませんでした"},
        {{"save-csv", "{dir}/old.out", "--db", "{db}"}, "書き出せませんでした"},
        {{"tickets", "export", "{dir}/old.out", "--ledger", "{ledger}"}, "書き込めません"},
        {{"render", "出現頻度分析", "--pdf", "{dir}/old.out", "--db", "{db}"}, "PDFファイル"},
        {{"render", "出現頻度分析", "--png", "{dir}/new.png", "--db", "{db}"}, "画像ファイル"},
        {{"create-db", "--from-csv", "{dir}/new.csv", "--db", "{db}", "--force"}, ".creating"},
        {{"import", "{dir}/new.csv", "--db", "{db}"}, "取り込めませんでした"},
        {{"tickets", "add", "--numbers", "1,2,3,4,5,6", "--draw", "9", "--ledger", "{ledger}"}, "読み書きできません"},
    };
    const QString stdoutFile = QDir::temp().filePath(QStringLiteral("loto6-failedwrites-%1.out").arg(QCoreApplication::applicationPid()));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        ASSERT_TRUE(DrawFile::writeBytes(dir.filePath(QStringLiteral("old.out")), "an older file\n"));
        const QStringList before = files();
        const Outcome outcome = runCli(expand(c.args), stdoutFile, true);
        QFile::remove(stdoutFile);
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_TRUE(outcome.err.contains(c.message)) << outcome.err.toStdString();
        EXPECT_EQ(files(), before);
    }
}

} // namespace
