#include "maintenance/drawdate.h"

namespace DrawImport {

namespace {

ParsedDate dateFrom(const QRegularExpressionMatch &m)
{
    const auto n = [&m](int group) { return m.captured(group).toInt(); };
    const auto full = [](int year, int month, int day) {
        const QDate date(year, month, day);
        return ParsedDate{date.isValid(), date, 0, 0};
    };
    if (m.capturedLength(1) > 0) {
        const int eraYear = m.captured(2) == QStringLiteral("元") ? 1 : n(2);
        if (eraYear < 1)
            return {};
        return full((m.captured(1) == QStringLiteral("令和") ? 2018 : 1988) + eraYear, n(3), n(4));
    }
    if (m.capturedLength(5) > 0)
        return full(n(5), n(6), n(7));
    if (m.capturedLength(8) > 0)
        return full(n(8), n(10), n(11));
    if (m.capturedLength(12) > 0) {
        if (n(13) < 1)
            return {};
        return full((m.captured(12) == QLatin1String("R") ? 2018 : 1988) + n(13), n(14), n(15));
    }
    // Loto 6 began in 2000: a two-digit year is of this century.
    if (m.capturedLength(16) > 0)
        return full(2000 + n(16), n(17), n(18));
    const int month = m.capturedLength(19) > 0 ? n(19) : n(21);
    const int day = m.capturedLength(19) > 0 ? n(20) : n(22);
    // Any year that has the day: 2000 is a leap year.
    if (!QDate(2000, month, day).isValid())
        return {};
    return {true, {}, month, day};
}

} // namespace

const QRegularExpression &datePattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        "(?<![\\d/.,])(?:"
        "(令和|平成)\\s*(元|\\d{1,2})\\s*年\\s*(\\d{1,2})\\s*月\\s*(\\d{1,2})\\s*日"
        "|(\\d{4})\\s*年\\s*(\\d{1,2})\\s*月\\s*(\\d{1,2})\\s*日"
        "|(\\d{4})([-/.])(\\d{1,2})\\9(\\d{1,2})(?![\\d/.,])"
        "|(?<![A-Za-z])([RH])(\\d{1,2})\\.(\\d{1,2})\\.(\\d{1,2})(?![\\d.,])"
        "|(\\d{2})/(\\d{1,2})/(\\d{1,2})(?![\\d/.,])"
        "|(\\d{1,2})\\s*月\\s*(\\d{1,2})\\s*日"
        "|(\\d{1,2})/(\\d{1,2})(?![\\d/.,])"
        ")(?:\\s*\\([^)\\d]{1,4}\\))?"));
    return pattern;
}

ParsedDate parseDate(const QString &text)
{
    const QString value = text.normalized(QString::NormalizationForm_KC).trimmed();
    const QRegularExpressionMatch m = datePattern().match(value);
    if (!m.hasMatch() || m.capturedStart() != 0 || m.capturedLength() != value.size())
        return {};
    return dateFrom(m);
}

} // namespace DrawImport
