#pragma once

#include "prediction/predictionengine.h"

#include <QString>

#include <array>
#include <vector>

// Where new tickets come from besides typing and random picks: the
// predictions the prediction window shows.
namespace TicketSources {

enum class Source { OneShot, Cycle, MultiShot, Elimination };
// In the order the prediction window shows them.
inline constexpr std::array<Source, 4> AllSources{Source::OneShot, Source::Cycle, Source::MultiShot,
                                                  Source::Elimination};
// 連発予想 and 消去法 show numbers, not lines: they offer every six of them.
constexpr bool offersEverySix(Source source)
{
    return source == Source::MultiShot || source == Source::Elimination;
}

// "１発予想", "周期法", "連発予想", "消去法".
QString sourceName(Source source);

// The lines a prediction offers, read from the grids the engine filled:
// the one-shot line; each cycle row (7, 9, 11, 12 draws) that holds six
// distinct numbers; for 連発予想 and 消去法 every six of the numbers they show
// (all C(k, 6), each line ascending, in lexicographic order). A row with
// fewer than six numbers offers no line.
std::vector<std::array<int, 6>> lines(const PredictionEngine &engine, Source source);

// The distinct numbers 1 … 43 shown in the result cells of a grid, in the
// order the grid shows them.
std::vector<int> shownNumbers(const PredictionEngine &engine, Source source);

// C(k, 6).
qint64 combinationCount(int k);
// Every six of the numbers, each line ascending.
std::vector<std::array<int, 6>> combinations(std::vector<int> numbers);

} // namespace TicketSources
