#include "store/runtimeerror.h"

RuntimeError::RuntimeError(RuntimeErrorKind kind, const QString &detail)
    : std::runtime_error(messageFor(kind).toStdString())
    , m_kind(kind)
    , m_detail(detail)
{
}

QString RuntimeError::message() const
{
    return messageFor(m_kind);
}

QString RuntimeError::messageFor(RuntimeErrorKind kind)
{
    switch (kind) {
    case RuntimeErrorKind::Overflow:
        return QStringLiteral("オーバーフローしました。");
    case RuntimeErrorKind::IndexOutOfRange:
        return QStringLiteral("インデックスが有効範囲にありません。");
    case RuntimeErrorKind::TypeMismatch:
        return QStringLiteral("型が一致しません。");
    }
    return {};
}

DatabaseError::DatabaseError(const QString &message, bool busy)
    : std::runtime_error(message.toStdString())
    , m_message(message)
    , m_busy(busy)
{
}
