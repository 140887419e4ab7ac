#pragma once

// loto6kermon-cli run as a process, as scripts and users run it.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace CliProcess {

struct Result
{
    int exitCode;
    QString out;
    QString err;
};

#ifdef LOTO6_CLI
// input: what the tool reads on standard input.
inline Result run(const QStringList &args, const QByteArray &input = {})
{
    QProcess process;
    process.start(QStringLiteral(LOTO6_CLI), args);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}
#endif

} // namespace CliProcess
