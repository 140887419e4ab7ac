#include "store/database.h"

#include "store/keycache.h"
#include "store/pendingfile.h"
#include "store/runtimeerror.h"

#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

#include <QFile>
#include <QFileInfo>

#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString lastError(sqlite3 *db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("unknown error");
}

// Turns SQLite's words into a sentence a user can act on.
[[noreturn]] void fail(const QString &path, sqlite3 *db, int code, const QString &doing)
{
    const int primary = code & 0xff;
    QString reason;
    if (primary == SQLITE_NOTADB)
        reason = QStringLiteral("パスワードが違うか、このプログラムのデータベースファイルではありません。");
    else if (primary == SQLITE_CANTOPEN)
        reason = QStringLiteral("ファイルを開けません。");
    else if (primary == SQLITE_READONLY || primary == SQLITE_PERM || primary == SQLITE_AUTH)
        reason = QStringLiteral("ファイルに書き込めません（読み取り専用です）。");
    else if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        reason = QStringLiteral("ファイルが他のプログラムに使われています。");
    else if (primary == SQLITE_FULL)
        reason = QStringLiteral("ディスクがいっぱいです。");
    else if (primary == SQLITE_CORRUPT)
        reason = QStringLiteral("ファイルが壊れています。");
    else if (primary == SQLITE_IOERR && db && sqlite3_system_errno(db) != 0)
        reason = QStringLiteral("%1（%2: %3）").arg(doing, lastError(db), QString::fromLocal8Bit(std::strerror(sqlite3_system_errno(db))));
    else
        reason = QStringLiteral("%1（%2）").arg(doing, lastError(db));
    throw DatabaseError(QStringLiteral("データベースファイル「%1」: %2").arg(path, reason),
                        primary == SQLITE_BUSY || primary == SQLITE_LOCKED);
}

} // namespace

void Database::Closer::operator()(sqlite3 *db) const noexcept
{
    sqlite3_close_v2(db);
}

void Statement::Finaliser::operator()(sqlite3_stmt *stmt) const noexcept
{
    sqlite3_finalize(stmt);
}

Database::Database(const QString &path, sqlite3 *db)
    : m_path(path)
    , m_db(db)
{
}

namespace {

// How long a statement waits for another program's lock before giving up.
constexpr int BusyTimeoutMs = 2000;

using Connection = std::unique_ptr<sqlite3, int (*)(sqlite3 *)>;

// Opens path without reading anything yet. Returns SQLite's code; connection
// holds the connection either way (for its message).
int openFile(const QByteArray &nativePath, int flags, Connection &connection)
{
    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open_v2(nativePath.constData(), &raw, flags, nullptr);
    connection.reset(raw);
    // Before the first statement: a short lock held by another program
    // (a writer committing) is waited for instead of failing at once.
    if (rc == SQLITE_OK)
        sqlite3_busy_timeout(raw, BusyTimeoutMs);
    return rc;
}

// The salt an existing database was encrypted with: the first bytes of its
// file. Empty for a file too short to have one (a new file); the cipher then
// derives the key itself and makes the salt.
//
// This is the one place that reads the database file other than through
// SQLite's pages, and it reads through the connection's own descriptor.
// Opening the file a second time would not do: closing any descriptor of a
// file drops every POSIX lock this process holds on it, the locks of the
// other connections (the editor's write, the store's read) with them, and
// another program could then write in the middle of their transactions.
// Nothing else may open the database file outside SQLite.
QByteArray fileSalt(sqlite3 *db)
{
    sqlite3_file *file = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file || !file->pMethods)
        return {};
    QByteArray salt(KeyCache::SaltBytes, Qt::Uninitialized);
    if (file->pMethods->xRead(file, salt.data(), int(salt.size()), 0) != SQLITE_OK)
        return {};
    return salt;
}

// Gives the connection its key (empty: a plain file) and reads the schema.
// Returns SQLite's code; doing names the step that failed.
int keyAndRead(sqlite3 *db, const QByteArray &keyText, QString &doing)
{
    if (!keyText.isEmpty()) {
        doing = QStringLiteral("鍵を設定できません");
        if (const int rc = sqlite3_key(db, keyText.constData(), int(keyText.size())); rc != SQLITE_OK)
            return rc;
    }
    doing = QStringLiteral("読み込めません");
    // A wrong key is not noticed by sqlite3_key: the first read of the schema
    // is what fails, so read it now rather than in the middle of a load. On a
    // connection that may write, this read also rolls back a hot journal.
    return sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
}

// A new database holds the user's own records (tickets, draws they typed in),
// so it is made readable by its owner alone before SQLite opens it; SQLite
// gives its journals the mode of the database. O_EXCL: an existing file is
// never opened here (closing a descriptor of it would drop this process's
// locks on it), and whatever fails is left for SQLite's open to report.
void createForOwnerAlone(const QString &path)
{
    const int fd = ::open(path.toUtf8().constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
}

bool refusedForItsKey(int rc)
{
    return (rc & 0xff) == SQLITE_NOTADB;
}

sqlite3 *openConnection(const QString &path, const QString &key, int flags)
{
    const QByteArray nativePath = path.toUtf8();
    const QByteArray password = key.toUtf8();
    Connection connection(nullptr, sqlite3_close_v2);
    QString doing = QStringLiteral("開けません");
    // Opens the file afresh and tries one key.
    const auto attempt = [&](const QByteArray &keyText) {
        doing = QStringLiteral("開けません");
        const int rc = openFile(nativePath, flags, connection);
        return rc == SQLITE_OK ? keyAndRead(connection.get(), keyText, doing) : rc;
    };
    int rc = openFile(nativePath, flags, connection);
    const QByteArray salt = rc == SQLITE_OK && !password.isEmpty() ? fileSalt(connection.get()) : QByteArray();
    if (rc == SQLITE_OK && salt.isEmpty()) {
        rc = keyAndRead(connection.get(), password, doing);
    } else if (rc == SQLITE_OK) {
        // The remembered key first; one that does not fit (damaged, or left
        // by an older file of the same salt) is derived again and rewritten.
        const QByteArray remembered = KeyCache::lookup(password, salt);
        rc = remembered.isEmpty() ? SQLITE_NOTADB : keyAndRead(connection.get(), KeyCache::rawKeyText(remembered), doing);
        if (refusedForItsKey(rc)) {
            const QByteArray derived = KeyCache::derive(password, salt);
            rc = attempt(KeyCache::rawKeyText(derived));
            if (rc == SQLITE_OK)
                KeyCache::remember(password, salt, derived);
        }
        // Refused for that key too: the password itself decides, through the
        // cipher's own derivation, as it would without ours.
        if (refusedForItsKey(rc))
            rc = attempt(password);
    }
    if (rc != SQLITE_OK)
        fail(path, connection.get(), rc, doing);
    return connection.release();
}

} // namespace

Database Database::open(const QString &path, const QString &key, Mode mode)
{
    const QFileInfo info(path);
    if (mode != Mode::Create && !info.exists())
        throw DatabaseError(QStringLiteral("データベースファイル「%1」が見つかりません。").arg(path));
    if (mode != Mode::Create && !info.isFile())
        throw DatabaseError(QStringLiteral("データベースファイル「%1」はファイルではありません。").arg(path));

    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
    case Mode::ReadOnly:
        // A read-only connection cannot roll back what a killed writer left.
        // Where this fails (a file we may not write), the open below says why.
        try {
            rollBackUnfinishedWrite(path, key);
        } catch (const DatabaseError &) {
        }
        flags |= SQLITE_OPEN_READONLY;
        break;
    case Mode::ReadWrite:
        flags |= SQLITE_OPEN_READWRITE;
        break;
    case Mode::Create:
        createForOwnerAlone(path);
        flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        break;
    }
    return Database(path, openConnection(path, key, flags));
}

bool Database::rollBackUnfinishedWrite(const QString &path, const QString &key)
{
    if (!QFileInfo::exists(journalPath(path)) || !QFileInfo(path).isFile())
        return true;
    // A journal of a transaction still running in another program is not
    // hot: the read below only waits for or reads past it.
    sqlite3 *db = nullptr;
    try {
        db = openConnection(path, key, SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_READWRITE);
    } catch (const DatabaseError &error) {
        throw DatabaseError(QStringLiteral("%1\n途中で終わった書き込み（%2）を元に戻せません。")
                                .arg(error.message(), journalPath(path)));
    }
    sqlite3_close_v2(db);
    const QFileInfo journal(journalPath(path));
    return !journal.exists() || journal.size() == 0;
}

Statement Database::prepare(const QString &sql) const
{
    sqlite3_stmt *stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(m_db.get(), text.constData(), int(text.size()), &stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        fail(m_path, m_db.get(), rc, QStringLiteral("SQL を実行できません"));
    }
    return Statement(*this, stmt);
}

void Database::exec(const QString &sql) const
{
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_exec(m_db.get(), text.constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(m_path, m_db.get(), rc, QStringLiteral("SQL を実行できません"));
}

void Database::begin() const
{
    exec(QStringLiteral("BEGIN IMMEDIATE"));
    if (wasReplaced()) {
        rollback();
        throw DatabaseError(QStringLiteral("データベースファイル「%1」は、開いた後でほかのプログラムによって置き換えられました。"
                                           "開き直してからもう一度行ってください。")
                                .arg(m_path));
    }
}

bool Database::wasReplaced() const
{
    int moved = 0;
    return sqlite3_file_control(m_db.get(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved;
}

void Database::attachPlain(const QString &path, const QString &name) const
{
    // An empty key: the file is plain SQLite, not encrypted with ours.
    Statement attach = prepare(QStringLiteral("ATTACH DATABASE ? AS %1 KEY ''").arg(name));
    attach.bind(1, Field(path));
    attach.step();
}

void Database::saveCopy(const QString &path, const QString &key) const
{
    static const QString Tag = QStringLiteral("new");
    PendingFile::removeLeftovers(path, Tag);
    PendingFile pending = PendingFile::create(path, Tag);
    {
        const Database copy = open(pending.path(), key, Mode::Create);
        sqlite3_backup *backup = sqlite3_backup_init(copy.handle(), "main", m_db.get(), "main");
        if (!backup)
            fail(pending.path(), copy.handle(), sqlite3_errcode(copy.handle()), QStringLiteral("写しを作れません"));
        // Finishing reports errors only, not a copy left unfinished by a
        // lock: the step's own answer says whether everything was copied.
        const int stepped = sqlite3_backup_step(backup, -1);
        const int finished = sqlite3_backup_finish(backup);
        if (stepped != SQLITE_DONE)
            fail(pending.path(), copy.handle(), finished != SQLITE_OK ? finished : stepped, QStringLiteral("写しを作れません"));
    }
    try {
        pending.renameTo(path);
    } catch (const DatabaseError &error) {
        throw DatabaseError(QStringLiteral("データベースファイル「%1」の写しを「%2」に置けません（%3）。").arg(m_path, path, error.message()));
    }
}

void Database::rollback() const noexcept
{
    sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

long long Database::changes() const
{
    return sqlite3_changes(m_db.get());
}

Statement::Statement(const Database &db, sqlite3_stmt *stmt)
    : m_database(&db)
    , m_stmt(stmt)
{
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt.get());
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    fail(m_database->path(), m_database->handle(), rc, QStringLiteral("読み書きできません"));
}

void Statement::reset()
{
    sqlite3_reset(m_stmt.get());
    sqlite3_clear_bindings(m_stmt.get());
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt.get());
}

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt.get(), column));
}

QStringList Statement::columnNames() const
{
    QStringList names;
    for (int i = 0; i < columnCount(); ++i)
        names << columnName(i);
    return names;
}

Field Statement::value(int column) const
{
    sqlite3_stmt *stmt = m_stmt.get();
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        return Field::null();
    case SQLITE_INTEGER:
        return Field(static_cast<long long>(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT: {
        // Not written by this program; shown as the text SQLite gives it.
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
        return Field(QString::fromUtf8(text));
    }
    default: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
        const int bytes = sqlite3_column_bytes(stmt, column);
        return Field(QString::fromUtf8(text, bytes));
    }
    }
}

void Statement::bind(int parameter, const Field &value)
{
    sqlite3_stmt *stmt = m_stmt.get();
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(stmt, parameter);
    } else if (value.isInteger()) {
        rc = sqlite3_bind_int64(stmt, parameter, value.integer());
    } else {
        const QByteArray text = value.textValue().toUtf8();
        rc = sqlite3_bind_text(stmt, parameter, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    if (rc != SQLITE_OK)
        fail(m_database->path(), m_database->handle(), rc, QStringLiteral("値を設定できません"));
}
