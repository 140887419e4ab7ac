#include "maintenance/numbercheck.h"

#include <cmath>

namespace NumberCheck {

std::optional<Field> valueOf(const QString &text)
{
    if (text.isEmpty())
        return Field::null();
    // A Japanese input method easily yields "１２" or "．": read them as the
    // digits and point they stand for.
    const QString plain = text.normalized(QString::NormalizationForm_KC);
    if (plain.contains(QLatin1Char('.')))
        return std::nullopt;
    const std::optional<double> number = Field(plain).toNumber();
    if (!number || *number < Lowest || *number > Highest || std::trunc(*number) != *number)
        return std::nullopt;
    return Field(static_cast<int>(*number));
}

} // namespace NumberCheck
