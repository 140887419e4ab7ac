#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// CP932 (Shift_JIS as Japanese Windows writes it, with "～" and "①") to and
// from Unicode: the options file, the CSV files the program writes and the
// files it imports all go through here.
namespace TextEncoding {

// Bytes that are not CP932 decode to U+FFFD, one per byte, and the rest is
// kept.
QString decodeCp932(const QByteArray &bytes);

// A character CP932 lacks is written as "?".
QByteArray encodeCp932(const QString &text);

// Nothing when the text holds a character CP932 lacks.
std::optional<QByteArray> encodeCp932Exactly(const QString &text);

} // namespace TextEncoding
