#pragma once

// Draw histories for tests and benchmarks, built in memory without a file.

#include "store/drawcsv.h"
#include "store/globalbas.h"

#include <QFile>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

namespace TestHistory {

// A Field that is the empty string ('' as the database keeps it).
inline Field empty()
{
    return Field(QString());
}

inline DrawRecord draw(long long drawNo, std::array<Field, 7> numbers)
{
    DrawRecord record;
    record.drawNo = Field(drawNo);
    record.numbers = std::move(numbers);
    return record;
}

#ifdef LOTO6_SOURCE_DIR
// The records of the history the program ships (draws 1 … 2130).
inline std::vector<DrawRecord> bundled()
{
    QFile file(QStringLiteral(LOTO6_SOURCE_DIR "/data/loto6-history.csv"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the bundled history");
    return DrawCsv::parse(QString::fromUtf8(file.readAll()), file.fileName()).records;
}
#endif

inline DrawHistoryStore store(std::vector<DrawRecord> records)
{
    return buildDrawHistory(Recordset(std::move(records)));
}

// A deterministic history of draws 1 … count: six distinct main numbers in
// ascending order and a bonus distinct from them, all in 1 … 43.
inline std::vector<DrawRecord> generated(int count, std::uint32_t seed = 20261207u)
{
    std::vector<DrawRecord> records;
    records.reserve(size_t(count));
    std::uint32_t state = seed;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int n = 1; n <= count; ++n) {
        std::array<bool, 44> used{};
        std::array<int, 7> picked{};
        for (int i = 0; i < 7; ++i) {
            int v;
            do {
                v = int(next() % 43u) + 1;
            } while (used[size_t(v)]);
            used[size_t(v)] = true;
            picked[size_t(i)] = v;
        }
        std::sort(picked.begin(), picked.begin() + 6);
        DrawRecord record;
        record.drawNo = Field(n);
        for (int i = 0; i < 7; ++i)
            record.numbers[size_t(i)] = Field(picked[size_t(i)]);
        records.push_back(std::move(record));
    }
    return records;
}

// A history of fair draws 1 … count from a fixed seed: the 43 numbers
// shuffled, the first six the main numbers and the seventh the bonus, as a
// drawing machine makes them. With favoured, that number is made about
// twice as frequent: in a draw without it, one main number is swapped for it.
inline std::vector<DrawRecord> fair(int count, unsigned seed, int favoured = 0)
{
    std::mt19937 random(seed);
    std::vector<DrawRecord> records;
    records.reserve(size_t(count));
    for (int n = 1; n <= count; ++n) {
        std::vector<int> numbers(43);
        std::iota(numbers.begin(), numbers.end(), 1);
        std::shuffle(numbers.begin(), numbers.end(), random);
        const bool present = std::find(numbers.begin(), numbers.begin() + 7, favoured) != numbers.begin() + 7;
        if (favoured && !present && std::uniform_real_distribution<>(0, 1)(random) < 0.163)
            numbers[0] = favoured;
        std::array<Field, 7> fields;
        for (int i = 0; i < 7; ++i)
            fields[size_t(i)] = Field(numbers[size_t(i)]);
        records.push_back(draw(n, fields));
    }
    return records;
}

} // namespace TestHistory
