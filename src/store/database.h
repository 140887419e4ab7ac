#pragma once

#include "store/field.h"

#include <QString>
#include <QStringList>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

class Statement;

// An open SQLCipher database. Opening never creates a file; a file that is not
// a database of ours (plain SQLite, text, wrong key) is refused with a
// DatabaseError whose message names the file.
class Database
{
public:
    enum class Mode { ReadOnly, ReadWrite, Create };

    static Database open(const QString &path, const QString &key, Mode mode);

    // A writer killed in the middle of a transaction leaves a hot journal
    // beside the file; only a connection that may write can roll it back.
    // Opens the file read-write once so that SQLite restores the last
    // committed state, then closes it. Nothing happens without a journal.
    // Throws DatabaseError when a journal is there and cannot be rolled back.
    // Returns false when a journal with contents remains: a transaction of
    // another program still running.
    static bool rollBackUnfinishedWrite(const QString &path, const QString &key);
    static QString journalPath(const QString &path) { return path + QStringLiteral("-journal"); }

    Statement prepare(const QString &sql) const;
    void exec(const QString &sql) const;

    // Takes the write lock (waiting up to the busy time-out for another
    // writer) and starts a transaction. Refused when the file was renamed
    // away or deleted since this connection opened it (a newer database put
    // in its place): what would be written there is not in the file that
    // goes by the name.
    void begin() const;
    void commit() const { exec(QStringLiteral("COMMIT")); }
    void rollback() const noexcept;
    // Whether the file this connection opened no longer goes by its name:
    // renamed away or deleted, another file perhaps put in its place.
    bool wasReplaced() const;

    // Opens a plain (unencrypted) SQLite file as a second database of this
    // connection under name, so that one transaction writes both files:
    // SQLite commits the two together or, should the program be killed in
    // between, rolls both back when either is opened next.
    void attachPlain(const QString &path, const QString &name) const;

    // Writes the database as this connection sees it to a new file at path,
    // encrypted with key, and renames it there only once it is complete. The
    // copy is made under a name of its own (see PendingFile), so that two
    // writers keeping copies at the same path never write into one file.
    // Through SQLite's backup, never through a second descriptor of the
    // file: closing one drops every lock the process holds on the file
    // (POSIX locks belong to the process, not to the descriptor). SQLite
    // copies from no connection inside a write transaction: a writer keeps
    // a copy through a second connection, opened before it takes its lock.
    void saveCopy(const QString &path, const QString &key) const;

    const QString &path() const { return m_path; }
    sqlite3 *handle() const { return m_db.get(); }
    long long changes() const;

private:
    struct Closer
    {
        void operator()(sqlite3 *db) const noexcept;
    };
    Database(const QString &path, sqlite3 *db);

    QString m_path;
    std::unique_ptr<sqlite3, Closer> m_db;
};

// A prepared statement of a Database; finalised when it goes out of scope.
class Statement
{
public:
    bool step(); // true while a row is available
    void reset();
    int columnCount() const;
    QString columnName(int column) const;
    QStringList columnNames() const;
    Field value(int column) const;
    void bind(int parameter, const Field &value); // parameters count from 1

private:
    friend class Database;
    struct Finaliser
    {
        void operator()(sqlite3_stmt *stmt) const noexcept;
    };
    Statement(const Database &db, sqlite3_stmt *stmt);

    const Database *m_database;
    std::unique_ptr<sqlite3_stmt, Finaliser> m_stmt;
};
