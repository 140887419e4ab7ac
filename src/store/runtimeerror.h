#pragma once

#include <QString>

#include <stdexcept>

// The three run-time errors that end the routine in which they happen. Each
// carries the text the user sees in the message box.
enum class RuntimeErrorKind { Overflow, IndexOutOfRange, TypeMismatch };

class RuntimeError : public std::runtime_error
{
public:
    explicit RuntimeError(RuntimeErrorKind kind, const QString &detail = {});

    RuntimeErrorKind kind() const { return m_kind; }
    // The user-facing message, e.g. "オーバーフローしました。".
    QString message() const;
    // Where it happened, when the thrower knew (may be empty).
    QString detail() const { return m_detail; }

    static QString messageFor(RuntimeErrorKind kind);

private:
    RuntimeErrorKind m_kind;
    QString m_detail;
};

// A database that cannot serve as the draw database: missing, foreign,
// wrongly keyed, or without the query and fields the program reads.
class DatabaseError : public std::runtime_error
{
public:
    explicit DatabaseError(const QString &message, bool busy = false);
    QString message() const { return m_message; }
    // Another program held the lock longer than the busy time-out: the
    // file is fine and may be tried again.
    bool isBusy() const { return m_busy; }

private:
    QString m_message;
    bool m_busy = false;
};
