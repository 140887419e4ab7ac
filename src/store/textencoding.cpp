#include "store/textencoding.h"

#include <QList>

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace TextEncoding {

namespace {

// One iconv conversion over the whole input. On a byte sequence the source
// code page lacks, writes replacement and skips skipOnInvalid input bytes;
// with skipOnInvalid 0 it gives up and returns nothing.
std::optional<QByteArray> convert(const char *to, const char *from, const QByteArray &input,
                                  const QByteArray &replacement, int skipOnInvalid)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
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
        if (skipOnInvalid == 0) {
            iconv_close(cd);
            return std::nullopt;
        }
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
    return QString::fromUtf8(convert("UTF-8", "CP932", bytes, QByteArray("\xEF\xBF\xBD"), 1).value_or(QByteArray()));
}

QByteArray encodeCp932(const QString &text)
{
    // A character CP932 lacks is skipped whole: UTF-8 sequences are skipped
    // byte by byte, and the continuation bytes are invalid on their own, so
    // one "?" per lead byte would be wrong; encode character by character.
    QByteArray out;
    for (const uint ucs : text.toUcs4()) {
        const QByteArray utf8 = QString::fromUcs4(reinterpret_cast<const char32_t *>(&ucs), 1).toUtf8();
        const QByteArray encoded = convert("CP932", "UTF-8", utf8, QByteArray(), int(utf8.size())).value_or(QByteArray());
        out.append(encoded.isEmpty() ? QByteArray("?") : encoded);
    }
    return out;
}

std::optional<QByteArray> encodeCp932Exactly(const QString &text)
{
    return convert("CP932", "UTF-8", text.toUtf8(), QByteArray(), 0);
}

} // namespace TextEncoding
