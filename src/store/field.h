#pragma once

#include <QString>

#include <optional>
#include <variant>

// One field value of a draw record, with the variant nature the program
// expects: Null, an integer, or text (SQLite keeps '' and text such as 'x' in
// an INTEGER column as text).
class Field
{
public:
    Field() = default; // Null
    Field(long long value) : m_value(value) {}
    Field(int value) : m_value(static_cast<long long>(value)) {}
    Field(const QString &text) : m_value(text) {}

    static Field null() { return {}; }

    bool isNull() const { return std::holds_alternative<std::monostate>(m_value); }
    bool isInteger() const { return std::holds_alternative<long long>(m_value); }
    bool isText() const { return std::holds_alternative<QString>(m_value); }
    // Null or the empty string: the complete-draw test fails on either.
    bool isEmpty() const;

    long long integer() const { return std::get<long long>(m_value); }
    const QString &textValue() const { return std::get<QString>(m_value); }

    // The field as the grid shows it: "" for Null, decimal for an integer,
    // the text itself otherwise.
    QString toText() const;

    // The value as a number when it is one (an integer, or text that reads as
    // a decimal number); nothing for Null or other text.
    std::optional<double> toNumber() const;

    // Conversion to a 16-bit integer: text is read as a number and rounded
    // half to even; Null or non-numeric text is a type mismatch, a value
    // outside -32768 … 32767 an overflow.
    qint16 toInt16() const;

    bool operator==(const Field &other) const { return m_value == other.m_value; }

private:
    std::variant<std::monostate, long long, QString> m_value;
};
