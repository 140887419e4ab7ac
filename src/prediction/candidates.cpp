#include "prediction/candidates.h"

#include "maintenance/numbercheck.h"
#include "maintenance/ticket.h"

#include <algorithm>
#include <array>

namespace Candidates {

std::optional<QString> problem(const std::vector<int> &numbers)
{
    if (numbers.size() < size_t(Fewest) || numbers.size() > size_t(Most))
        return QStringLiteral("候補の数字は %1 個から %2 個です（%3 個あります）。").arg(Fewest).arg(Most).arg(numbers.size());
    std::array<bool, NumberCheck::Highest + 1> seen{};
    for (int n : numbers) {
        if (n < NumberCheck::Lowest || n > NumberCheck::Highest)
            return QStringLiteral("数字は 1 から 43 までの整数です: %1").arg(n);
        if (seen[size_t(n)])
            return QStringLiteral("同じ数字が二度あります: %1").arg(n);
        seen[size_t(n)] = true;
    }
    return std::nullopt;
}

std::optional<std::vector<int>> parse(const QString &text, QString *why)
{
    const std::optional<QStringList> words = TicketRules::numberWords(text, why);
    if (!words)
        return std::nullopt;
    std::vector<int> numbers;
    for (const QString &word : *words) {
        const std::optional<Field> value = NumberCheck::valueOf(word);
        if (!value || !value->isInteger()) {
            *why = QStringLiteral("数字は 1 から 43 までの整数です: %1").arg(word);
            return std::nullopt;
        }
        numbers.push_back(int(value->integer()));
    }
    if (const std::optional<QString> wrong = problem(numbers)) {
        *why = *wrong;
        return std::nullopt;
    }
    return numbers;
}

} // namespace Candidates

namespace Candidates {

std::vector<int> byFrequency(const DrawHistoryStore &store, Frequency which, int count)
{
    std::vector<int> numbers(Most);
    for (int n = 1; n <= Most; ++n)
        numbers[size_t(n - 1)] = n;
    // Stable: equal totals keep the smaller number first.
    std::stable_sort(numbers.begin(), numbers.end(), [&](int a, int b) {
        return which == Frequency::MostDrawn ? store.NumberTotal[a] > store.NumberTotal[b]
                                        : store.NumberTotal[a] < store.NumberTotal[b];
    });
    numbers.resize(size_t(std::clamp(count, 0, Most)));
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

} // namespace Candidates
