#include "prediction/optionsfile.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

#include <iconv.h>

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

namespace {

// One iconv conversion over the whole input. On a byte sequence the source
// code page lacks, writes replacement and skips one input byte.
QByteArray convert(const char *to, const char *from, const QByteArray &input, const QByteArray &replacement,
                   int skipOnInvalid)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    QByteArray output;
    output.reserve(input.size() * 2 + 16);
    char buffer[1024];
    char *in = const_cast<char *>(input.constData());
    size_t inLeft = size_t(input.size());
    while (inLeft > 0) {
        char *out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t done = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer, qsizetype(sizeof buffer - outLeft));
        if (done != size_t(-1))
            break;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (a sequence cut off at the end).
        output.append(replacement);
        const size_t skip = std::min(inLeft, size_t(skipOnInvalid));
        in += skip;
        inLeft -= skip;
    }
    iconv_close(cd);
    return output;
}

} // namespace

QString decodeCp932(const QByteArray &bytes)
{
    return QString::fromUtf8(convert("UTF-8", "CP932", bytes, QByteArray("\xEF\xBF\xBD"), 1));
}

QByteArray encodeCp932(const QString &text)
{
    // A character CP932 lacks is skipped whole: UTF-8 sequences are skipped
    // byte by byte, and the continuation bytes are invalid on their own, so
    // one "?" per lead byte would be wrong; encode character by character.
    QByteArray out;
    for (const uint ucs : text.toUcs4()) {
        const QByteArray utf8 = QString::fromUcs4(reinterpret_cast<const char32_t *>(&ucs), 1).toUtf8();
        const QByteArray encoded = convert("CP932", "UTF-8", utf8, QByteArray(), int(utf8.size()));
        out.append(encoded.isEmpty() ? QByteArray("?") : encoded);
    }
    return out;
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
    const QString text = decodeCp932(contents);
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
    return encodeCp932(text);
}

ReadResult read(const QString &path, ReflectFlags &flags)
{
    // Opened without blocking and read up to a fixed size: a FIFO with no
    // writer or an endless device (/dev/zero) must not hold up the start.
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {false, QStringLiteral("「%1」を開けません: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)))};
    QByteArray bytes(MaxReadBytes, Qt::Uninitialized);
    qsizetype filled = 0;
    int readError = 0;
    while (filled < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (n > 0) {
            filled += n;
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
    bytes.truncate(filled);
    return OptionsFile::apply(bytes, flags);
}

QString write(const QString &path, const ReflectFlags &flags)
{
    // Only a regular file (or none yet) is replaced: a device or a FIFO
    // under that name is left alone.
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return QStringLiteral("「%1」は通常のファイルではありません。").arg(path);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
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
