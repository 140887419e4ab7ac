#pragma once

#include "store/globalbas.h"

#include <QString>

#include <optional>
#include <vector>

// The candidate numbers a wheel or a filter works on: 6 … 43 distinct
// numbers from 1 to 43, as the user types them or as a prediction gives them.
namespace Candidates {

inline constexpr int Fewest = 6;
inline constexpr int Most = 43;

// Why numbers cannot be candidates, in words for the user; nothing when they can.
std::optional<QString> problem(const std::vector<int> &numbers);

// Numbers from text such as "1,2,3,4,5,6,7" or "１ ２ ３ …" (the separators
// of a ticket's six numbers), checked by problem(); *why says what is wrong
// otherwise.
std::optional<std::vector<int>> parse(const QString &text, QString *why);

// The count numbers drawn most (or least) often over the history, as
// 出現頻度分析 counts them (main and bonus numbers alike); among numbers drawn
// equally often the smaller comes first. Ascending.
enum class Frequency { MostDrawn, LeastDrawn };
std::vector<int> byFrequency(const DrawHistoryStore &store, Frequency which, int count);

} // namespace Candidates
