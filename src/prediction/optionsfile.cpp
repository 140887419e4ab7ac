#include "prediction/optionsfile.h"

#include "store/textencoding.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace OptionsFile {

const QStringList &keys()
{
    static const QStringList list{
        QStringLiteral("頻度分析Opt"),           QStringLiteral("間隔分析Opt"),
        QStringLiteral("出現回数分析Opt"),       QStringLiteral("バラツキ分析Opt"),
        QStringLiteral("引っ張り分析Opt"),       QStringLiteral("連番飛び石分析Opt"),
        QStringLiteral("数字合計分析Opt"),       QStringLiteral("組合せパターン分析Opt"),
        QStringLiteral("5分割傾向分析Opt"),      QStringLiteral("分割データ分析Opt"),
        QStringLiteral("下一桁出現傾向分析Opt"), QStringLiteral("下一桁連続出現回数分析Opt"),
    };
    return list;
}

std::optional<bool> toBoolean(const QString &text)
{
    const QString value = text.trimmed();
    if (value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (value.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (number.match(value).hasMatch())
        return value.toDouble() != 0.0;
    return std::nullopt;
}

ReadResult apply(const QByteArray &contents, ReflectFlags &flags)
{
    const QString text = TextEncoding::decodeCp932(contents);
    // Lines end with CR LF; a lone CR or LF ends a line too. The terminator
    // of the last line does not start another one.
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();

    const QStringList &known = keys();
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString &line = lines[n];
        const int lineNo = int(n + 1);
        if (line.isEmpty())
            return {false, QStringLiteral("%1 行目が空です。").arg(lineNo)};
        const QStringList parts = line.split(QLatin1Char('='));
        const qsizetype k = known.indexOf(parts[0]);
        if (k < 0)
            continue;
        if (parts.size() < 2)
            return {false, QStringLiteral("%1 行目「%2」に値がありません。").arg(lineNo).arg(line)};
        const std::optional<bool> value = toBoolean(parts[1]);
        if (!value)
            return {false, QStringLiteral("%1 行目の値「%2」は True でも False でもありません。").arg(lineNo).arg(parts[1])};
        flags[size_t(k)] = *value;
    }
    return {};
}

QByteArray contents(const ReflectFlags &flags)
{
    QString text;
    for (int k = 0; k < ReflectFlagCount; ++k) {
        text += keys()[k] + QLatin1Char('=') + (flags[size_t(k)] ? QLatin1String("True") : QLatin1String("False"))
            + QLatin1String("\r\n");
    }
    return TextEncoding::encodeCp932(text);
}

ReadResult read(const QString &path, ReflectFlags &flags)
{
    // Opened without blocking and read up to a fixed size: a FIFO with no
    // writer or an endless device (/dev/zero) must not hold up the start.
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {false, QStringLiteral("「%1」を開けません: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)))};
    // Read through a buffer of known size, so that the fortified read checks
    // every call against it.
    QByteArray bytes;
    char chunk[4096];
    int readError = 0;
    while (bytes.size() < MaxReadBytes) {
        const ssize_t n = ::read(fd, chunk, std::min(sizeof chunk, size_t(MaxReadBytes - bytes.size())));
        if (n > 0) {
            bytes.append(chunk, n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            // End of file, or nothing more without waiting (EAGAIN).
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                readError = errno;
            break;
        }
    }
    ::close(fd);
    if (readError != 0)
        return {false, QStringLiteral("「%1」を読めません: %2").arg(path, QString::fromLocal8Bit(std::strerror(readError)))};
    return OptionsFile::apply(bytes, flags);
}

QString write(const QString &path, const ReflectFlags &flags)
{
    // Only a regular file (or none yet) is replaced: a device or a FIFO
    // under that name is left alone.
    struct stat info;
    const bool exists = ::stat(QFile::encodeName(path).constData(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode))
        return QStringLiteral("「%1」は通常のファイルではありません。").arg(path);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // A new file is the user's alone, like every file the program makes for
    // them; an existing one keeps the mode it has (QSaveFile carries it over).
    if (!exists && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    const QByteArray bytes = contents(flags);
    // The bytes must have reached the file before the rename: commit() does
    // not report a buffered write that failed (a full disk), and would put
    // an empty file in place of the old one.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace OptionsFile
