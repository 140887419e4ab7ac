#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <string_view>

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
        m_buffer.append(ch);
        if (m_file && m_buffer.size() >= ChunkSize)
            flush();
    }
    void put(std::string_view bytes)
    {
        m_buffer.append(bytes.data(), qsizetype(bytes.size()));
        if (m_file && m_buffer.size() >= ChunkSize)
            flush();
    }
    void put(const char *bytes) { put(std::string_view(bytes)); }
    void put(const QString &text);
    void putNumber(long long number);
    // "#RRGGBB", upper case.
    void putColour(quint32 colour);
    // A JSON string literal (with the quotes); non-ASCII stays as is.
    void putJsonString(const QString &text);
    // One CSV field: quoted when it holds a comma, a quote or a line break.
    void putCsvField(const QString &text);

    void flush();
    const QByteArray &bytes() const { return m_buffer; }
    QString text() const { return QString::fromUtf8(m_buffer); }

private:
    static constexpr qsizetype ChunkSize = 1 << 16;
    std::FILE *m_file = nullptr;
    QByteArray m_buffer;
};
