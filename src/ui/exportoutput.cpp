#include "ui/exportoutput.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {

bool isAscii(const QString &text)
{
    for (const QChar ch : text) {
        if (ch.unicode() >= 0x80)
            return false;
    }
    return true;
}

// The two hex digits of every byte, for the colours of every cell.
constexpr std::array<char, 512> hexPairs()
{
    std::array<char, 512> table{};
    const char *digits = "0123456789ABCDEF";
    for (int i = 0; i < 256; ++i) {
        table[size_t(2 * i)] = digits[i >> 4];
        table[size_t(2 * i + 1)] = digits[i & 15];
    }
    return table;
}
constexpr std::array<char, 512> HexPairs = hexPairs();

} // namespace

ExportOutput::ExportOutput(std::FILE *file)
    : m_file(file)
    , m_buffer(ChunkSize)
{
}

ExportOutput::~ExportOutput()
{
    flush();
}

void ExportOutput::flush()
{
    if (!m_file || m_used == 0)
        return;
    std::fwrite(m_buffer.data(), 1, m_used, m_file);
    std::fflush(m_file);
    m_used = 0;
}

void ExportOutput::makeRoom(size_t bytes)
{
    if (m_file) {
        flush();
        if (m_buffer.size() >= bytes)
            return;
    }
    m_buffer.resize(std::max({m_buffer.size() * 2, m_used + bytes, size_t(256)}));
}

void ExportOutput::putUtf8(QStringView text)
{
    const QByteArray bytes = text.toUtf8();
    put(std::string_view(bytes.constData(), size_t(bytes.size())));
}

void ExportOutput::put(const QString &text)
{
    if (isAscii(text)) {
        if (m_buffer.size() - m_used < size_t(text.size()))
            makeRoom(size_t(text.size()));
        for (const QChar ch : text)
            m_buffer[m_used++] = char(ch.unicode());
    } else {
        putUtf8(text);
    }
}

void ExportOutput::putNumber(long long number)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    put(std::string_view(digits, size_t(result.ptr - digits)));
}

void ExportOutput::putColour(quint32 colour)
{
    const char text[7] = {'#',
                          HexPairs[2 * ((colour >> 16) & 0xff)], HexPairs[2 * ((colour >> 16) & 0xff) + 1],
                          HexPairs[2 * ((colour >> 8) & 0xff)], HexPairs[2 * ((colour >> 8) & 0xff) + 1],
                          HexPairs[2 * (colour & 0xff)], HexPairs[2 * (colour & 0xff) + 1]};
    put(std::string_view(text, 7));
}

void ExportOutput::putJsonString(const QString &text)
{
    // Characters are escaped one UTF-16 unit at a time, and everything from
    // the first non-ASCII character on goes through Qt's own UTF-8 encoder
    // in runs, so a pair of surrogates stays one character.
    put('"');
    qsizetype runStart = -1;
    auto endRun = [&](qsizetype end) {
        if (runStart >= 0)
            putUtf8(QStringView(text).mid(runStart, end - runStart));
        runStart = -1;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        if (ch >= 0x80) {
            if (runStart < 0)
                runStart = i;
            continue;
        }
        endRun(i);
        switch (ch) {
        case '"':
            put("\\\"");
            break;
        case '\\':
            put("\\\\");
            break;
        case '\n':
            put("\\n");
            break;
        case '\r':
            put("\\r");
            break;
        case '\t':
            put("\\t");
            break;
        default:
            if (ch < 0x20) {
                const char escape[6] = {'\\', 'u', '0', '0', "0123456789abcdef"[ch >> 4], "0123456789abcdef"[ch & 15]};
                put(std::string_view(escape, 6));
            } else {
                put(char(ch));
            }
        }
    }
    endRun(text.size());
    put('"');
}

void ExportOutput::putCsvField(const QString &text)
{
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n'))) {
        QString escaped = text;
        escaped.replace(QLatin1String("\""), QLatin1String("\"\""));
        put('"');
        put(escaped);
        put('"');
    } else {
        put(text);
    }
}
