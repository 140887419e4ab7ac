#include "ui/exportoutput.h"

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
{
    m_buffer.reserve(ChunkSize + 4096);
}

ExportOutput::~ExportOutput()
{
    flush();
}

void ExportOutput::flush()
{
    if (!m_file || m_buffer.isEmpty())
        return;
    std::fwrite(m_buffer.constData(), 1, size_t(m_buffer.size()), m_file);
    std::fflush(m_file);
    m_buffer.clear();
}

void ExportOutput::put(const QString &text)
{
    if (isAscii(text)) {
        for (const QChar ch : text)
            m_buffer.append(char(ch.unicode()));
    } else {
        m_buffer.append(text.toUtf8());
    }
    if (m_file && m_buffer.size() >= ChunkSize)
        flush();
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
    m_buffer.append('"');
    qsizetype runStart = -1;
    auto endRun = [&](qsizetype end) {
        if (runStart >= 0)
            m_buffer.append(QStringView(text).mid(runStart, end - runStart).toUtf8());
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
            m_buffer.append("\\\"", 2);
            break;
        case '\\':
            m_buffer.append("\\\\", 2);
            break;
        case '\n':
            m_buffer.append("\\n", 2);
            break;
        case '\r':
            m_buffer.append("\\r", 2);
            break;
        case '\t':
            m_buffer.append("\\t", 2);
            break;
        default:
            if (ch < 0x20) {
                const char escape[6] = {'\\', 'u', '0', '0', "0123456789abcdef"[ch >> 4], "0123456789abcdef"[ch & 15]};
                m_buffer.append(escape, 6);
            } else {
                m_buffer.append(char(ch));
            }
        }
    }
    endRun(text.size());
    m_buffer.append('"');
    if (m_file && m_buffer.size() >= ChunkSize)
        flush();
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
