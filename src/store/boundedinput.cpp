#include "store/boundedinput.h"

#include <QFile>

#include <cstdio>

namespace BoundedInput {

namespace {

QString tooLarge(const QString &name)
{
    return QStringLiteral("%1が大きすぎます（%2 MB まで）。読み込みをやめました。").arg(name).arg(MaxBytes / (1024 * 1024));
}

QString lineTooLong(const QString &name, qint64 line)
{
    return QStringLiteral("%1の %2 行目が長すぎます（1行 %3 KB まで）。読み込みをやめました。")
        .arg(name)
        .arg(line)
        .arg(MaxLineBytes / 1024);
}

// Counts lines (ended by LF, CR LF or CR) and the length of the current one
// as input arrives.
struct LineMeter
{
    qint64 line = 1;
    qint64 length = 0;
    bool afterCr = false;

    // False once the current line is longer than the limit.
    bool take(char16_t c, qint64 utf8Bytes)
    {
        const bool crLf = afterCr && c == u'\n';
        afterCr = c == u'\r';
        if (c == u'\n' || c == u'\r') {
            line += crLf ? 0 : 1;
            length = 0;
            return true;
        }
        length += utf8Bytes;
        return length <= MaxLineBytes;
    }
};

} // namespace

Result read(QIODevice &device, const QString &name)
{
    Result result;
    if (!device.isSequential())
        result.bytes.reserve(qsizetype(std::min(device.size(), MaxBytes) + 1));
    LineMeter meter;
    char chunk[64 * 1024];
    while (true) {
        const qint64 got = device.read(chunk, qint64(sizeof chunk));
        if (got < 0) {
            result.problem = QStringLiteral("%1を読めません。%2").arg(name, device.errorString());
            return result;
        }
        if (got == 0)
            return result;
        for (qint64 i = 0; i < got; ++i) {
            if (!meter.take(char16_t(uchar(chunk[i])), 1)) {
                result.problem = lineTooLong(name, meter.line);
                result.bytes.clear();
                return result;
            }
        }
        if (result.bytes.size() + got > MaxBytes) {
            result.problem = tooLarge(name);
            result.bytes.clear();
            return result;
        }
        result.bytes.append(chunk, qsizetype(got));
    }
}

Result readFile(const QString &path)
{
    QFile file;
    QString name;
    if (path == QLatin1String("-")) {
        name = QStringLiteral("標準入力");
        if (!file.open(stdin, QIODevice::ReadOnly))
            return {{}, QStringLiteral("標準入力を読めません。")};
    } else {
        name = QStringLiteral("ファイル「%1」").arg(path);
        file.setFileName(path);
        if (!file.open(QIODevice::ReadOnly))
            return {{}, QStringLiteral("%1を開けません。%2").arg(name, file.errorString())};
    }
    return read(file, name);
}

QString check(QStringView text, const QString &name)
{
    LineMeter meter;
    qint64 total = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        // A surrogate pair is four bytes in UTF-8: two for each half.
        const qint64 bytes = c < 0x80 ? 1 : c < 0x800 ? 2 : QChar::isSurrogate(c) ? 2 : 3;
        total += bytes;
        if (total > MaxBytes)
            return tooLarge(name);
        if (!meter.take(c, bytes))
            return lineTooLong(name, meter.line);
    }
    return {};
}

} // namespace BoundedInput
