#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

struct chmFile;

// A compiled help file (.chm) read back with chmlib: its pages and its
// keyword index. Knows nothing of windows.
class HelpFile
{
public:
    // The program's help file, beside the executable.
    static const QString FileName;

    struct IndexEntry
    {
        QString keyword;
        // Pages the keyword leads to, as written in the index (relative to the file's root).
        QStringList locals;
        // 0 for a keyword, 1 for a sub-keyword below it, and so on.
        int depth = 0;
    };

    HelpFile();
    ~HelpFile();
    HelpFile(const HelpFile &) = delete;
    HelpFile &operator=(const HelpFile &) = delete;

    // Opens the file and reads its keyword index. On failure the file is
    // closed and errorString() says why, in Japanese.
    bool open(const QString &path);
    void close();
    bool isOpen() const { return m_chm != nullptr; }
    const QString &path() const { return m_path; }
    const QString &errorString() const { return m_error; }

    // The object at an absolute path inside the file ("/about.html"); an empty
    // array when there is none.
    bool contains(const QString &objectPath) const;
    QByteArray object(const QString &objectPath) const;

    const QList<IndexEntry> &index() const { return m_index; }
    // The page the keyword leads to, as an absolute path inside the file; empty
    // when the index does not hold the keyword. Keywords match without regard
    // to case, as the index is searched.
    QString topicFor(const QString &keyword) const;

    // Reads the entries of an HTML Help sitemap (.hhk or .hhc), in order.
    static QList<IndexEntry> parseSitemap(const QString &html);

private:
    struct Closer
    {
        void operator()(chmFile *file) const noexcept;
    };
    QString indexObjectPath() const;

    std::unique_ptr<chmFile, Closer> m_chm;
    QString m_path;
    QString m_error;
    QList<IndexEntry> m_index;
};
