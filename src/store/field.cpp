#include "store/field.h"

#include "store/checked.h"

#include <cmath>

bool Field::isEmpty() const
{
    return isNull() || (isText() && textValue().isEmpty());
}

QString Field::toText() const
{
    if (isInteger())
        return QString::number(integer());
    if (isText())
        return textValue();
    return {};
}

std::optional<double> Field::toNumber() const
{
    if (isInteger())
        return static_cast<double>(integer());
    if (!isText())
        return std::nullopt;
    const QString trimmed = textValue().trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

qint16 Field::toInt16() const
{
    if (isInteger())
        return checked::toInt16(integer());
    const std::optional<double> number = toNumber();
    if (!number)
        throw RuntimeError(RuntimeErrorKind::TypeMismatch);
    const double rounded = std::nearbyint(*number); // default rounding: half to even
    if (rounded < -32768.0 || rounded > 32767.0)
        throw RuntimeError(RuntimeErrorKind::Overflow);
    return static_cast<qint16>(rounded);
}
