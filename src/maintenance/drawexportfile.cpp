#include "maintenance/drawexportfile.h"

#include "store/drawcsv.h"
#include "store/runtimeerror.h"

#include "ui/savedfile.h"

namespace DrawExport {

QByteArray csvBytes(const QString &databasePath, Encoding encoding)
{
    // A missing value is an empty field, as spreadsheets and the import read it.
    const std::optional<QByteArray> bytes = TableOutput::encode(DrawCsv::dumpDatabase(databasePath, DrawCsv::Nulls::AsEmpty), encoding);
    if (!bytes)
        throw DatabaseError(QStringLiteral("Shift_JIS で表せない文字を含む当選データがあります。UTF-8 で書き出してください。"));
    return *bytes;
}

Result save(const QString &databasePath, const QString &outPath, Encoding encoding)
{
    QByteArray bytes;
    try {
        bytes = csvBytes(databasePath, encoding);
    } catch (const DatabaseError &error) {
        return {false, 0, error.message()};
    }
    if (const QString problem = SavedFile::write(outPath, bytes); !problem.isEmpty())
        return {false, 0, QStringLiteral("ファイル「%1」に書き出せませんでした。\n%2").arg(outPath, problem)};
    // One line per record after the header.
    const int records = int(bytes.count('\n')) - 1;
    return {true, records, QStringLiteral("当選データ %1 件を「%2」に書き出しました。").arg(records).arg(outPath)};
}

} // namespace DrawExport
