#pragma once

#include "store/field.h"

#include <QString>

#include <optional>

// What a number cell of the draw results editor may hold: nothing, or a whole
// number from 1 to 43. The close check and the writer use this one test, so
// nothing the close check would refuse ever reaches the database.
namespace NumberCheck {

inline constexpr int Lowest = 1;
inline constexpr int Highest = 43;

// The value to store for text typed into a number cell: Null for an empty
// cell, the integer for a whole number 1 … 43; nothing when the text is wrong.
// Wrong is: not a number, below 1, above 43, not whole, or containing a "."
// (so 7.0 is wrong). Full-width digits count as digits.
std::optional<Field> valueOf(const QString &text);

inline bool isAcceptable(const QString &text)
{
    return valueOf(text).has_value();
}

} // namespace NumberCheck
