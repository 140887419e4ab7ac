#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

// UTF-8 output of the exports: written to a file in chunks as it is made, or
// kept in memory. A table of 30 000 draws is never held as a whole.
class ExportOutput
{
public:
    // Into memory: bytes() holds everything written.
    ExportOutput() = default;
    // To a file, which the output flushes whenever a chunk is full and when
    // it is destroyed.
    explicit ExportOutput(std::FILE *file);
    ~ExportOutput();
    ExportOutput(const ExportOutput &) = delete;
    ExportOutput &operator=(const ExportOutput &) = delete;

    void put(char ch)
    {
        if (m_used == m_buffer.size())
            makeRoom(1);
        m_buffer[m_used++] = ch;
    }
    void put(std::string_view bytes)
    {
        if (m_buffer.size() - m_used < bytes.size())
            makeRoom(bytes.size());
        std::memcpy(m_buffer.data() + m_used, bytes.data(), bytes.size());
        m_used += bytes.size();
    }
    void put(const char *bytes) { put(std::string_view(bytes)); }
    // Room for at least bytes more, written straight into the buffer: the
    // caller writes from the pointer returned and hands the end to advance().
    char *reserve(size_t bytes)
    {
        if (m_buffer.size() - m_used < bytes)
            makeRoom(bytes);
        return m_buffer.data() + m_used;
    }
    void advance(const char *end) { m_used = size_t(end - m_buffer.data()); }
    void put(const QString &text);
    void putNumber(long long number);
    // "#RRGGBB", upper case.
    void putColour(quint32 colour);
    // A JSON string literal (with the quotes); non-ASCII stays as is.
    void putJsonString(const QString &text);
    // One CSV field: quoted when it holds a comma, a quote or a line break.
    void putCsvField(const QString &text);

    void flush();
    // What is in memory: everything written, when there is no file.
    QByteArray bytes() const { return QByteArray(m_buffer.data(), qsizetype(m_used)); }
    QString text() const { return QString::fromUtf8(m_buffer.data(), qsizetype(m_used)); }

private:
    static constexpr size_t ChunkSize = size_t(1) << 16;
    // Flushes a full chunk to the file, or grows the memory, so that bytes
    // more fit.
    void makeRoom(size_t bytes);
    void putUtf8(QStringView text);

    std::FILE *m_file = nullptr;
    std::vector<char> m_buffer;
    size_t m_used = 0;
};
