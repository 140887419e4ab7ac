#include "store/drawrecord.h"

namespace FieldName {

QString numberField(int position)
{
    if (position == 7)
        return Bonus;
    return QStringLiteral("第%1数字").arg(position);
}

QStringList required()
{
    QStringList names{DrawNo};
    for (int p = 1; p <= 7; ++p)
        names << numberField(p);
    return names;
}

} // namespace FieldName

const Field &DrawRecord::value(const QString &name) const
{
    static const Field null;
    if (name == FieldName::DrawNo)
        return drawNo;
    if (name == FieldName::DrawDate)
        return drawDate;
    for (int p = 1; p <= 7; ++p) {
        if (name == FieldName::numberField(p))
            return number(p);
    }
    return null;
}

bool DrawRecord::isComplete() const
{
    for (const Field &f : numbers) {
        if (f.isEmpty())
            return false;
    }
    return true;
}
