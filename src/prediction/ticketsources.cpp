#include "prediction/ticketsources.h"

#include "maintenance/ticket.h"
#include "prediction/predictiongrids.h"

#include <algorithm>

namespace TicketSources {

namespace {

PredictionEngine::GridIndex gridOf(Source source)
{
    switch (source) {
    case Source::OneShot:
        return PredictionEngine::OneShotGrid;
    case Source::Cycle:
        return PredictionEngine::CycleGrid;
    case Source::MultiShot:
        return PredictionEngine::MultiShotGrid;
    case Source::Elimination:
        break;
    }
    return PredictionEngine::EliminationGrid;
}

// The numbers of one result row (columns 2 … 7): whole numbers 1 … 43 only,
// as a cell of the cycle grid may be empty.
std::vector<int> rowNumbers(const Sheet &grid, int row)
{
    std::vector<int> numbers;
    for (int col = 2; col <= 7; ++col) {
        const std::optional<int> n = TicketRules::parseWhole(grid.text(col, row), 1, 43);
        if (n)
            numbers.push_back(*n);
    }
    return numbers;
}

std::optional<std::array<int, 6>> asLine(std::vector<int> numbers)
{
    std::sort(numbers.begin(), numbers.end());
    if (numbers.size() != 6 || std::adjacent_find(numbers.begin(), numbers.end()) != numbers.end())
        return std::nullopt;
    std::array<int, 6> line{};
    std::copy(numbers.begin(), numbers.end(), line.begin());
    return line;
}

} // namespace

QString sourceName(Source source)
{
    switch (source) {
    case Source::OneShot:
        return QStringLiteral("１発予想");
    case Source::Cycle:
        return QStringLiteral("周期法");
    case Source::MultiShot:
        return QStringLiteral("連発予想");
    case Source::Elimination:
        break;
    }
    return QStringLiteral("消去法");
}

std::vector<int> shownNumbers(const PredictionEngine &engine, Source source)
{
    const int k = gridOf(source);
    const Sheet &grid = engine.grid(k);
    std::vector<int> numbers;
    for (int row = 2; row <= PredictionGrids::rowCount(k); ++row) {
        for (int n : rowNumbers(grid, row)) {
            if (std::find(numbers.begin(), numbers.end(), n) == numbers.end())
                numbers.push_back(n);
        }
    }
    return numbers;
}

std::vector<std::array<int, 6>> lines(const PredictionEngine &engine, Source source)
{
    const int k = gridOf(source);
    if (offersEverySix(source))
        return combinations(shownNumbers(engine, source));
    std::vector<std::array<int, 6>> result;
    for (int row = 2; row <= PredictionGrids::rowCount(k); ++row) {
        if (const std::optional<std::array<int, 6>> line = asLine(rowNumbers(engine.grid(k), row)))
            result.push_back(*line);
    }
    return result;
}

qint64 combinationCount(int k)
{
    if (k < 6)
        return 0;
    qint64 count = 1;
    for (int i = 0; i < 6; ++i)
        count = count * (k - i) / (i + 1);
    return count;
}

std::vector<std::array<int, 6>> combinations(std::vector<int> numbers)
{
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    const int k = int(numbers.size());
    std::vector<std::array<int, 6>> result;
    if (k < 6)
        return result;
    result.reserve(size_t(combinationCount(k)));
    std::array<int, 6> index{0, 1, 2, 3, 4, 5};
    while (true) {
        std::array<int, 6> line{};
        for (size_t i = 0; i < 6; ++i)
            line[i] = numbers[size_t(index[i])];
        result.push_back(line);
        // The rightmost index that can still move, then everything after it
        // right behind it.
        int i = 5;
        while (i >= 0 && index[size_t(i)] == k - 6 + i)
            --i;
        if (i < 0)
            break;
        ++index[size_t(i)];
        for (int j = i + 1; j < 6; ++j)
            index[size_t(j)] = index[size_t(j - 1)] + 1;
    }
    return result;
}

} // namespace TicketSources
