#include "store/globalbas.h"

#include "store/drawdatabase.h"

DrawHistoryStore buildDrawHistory(Recordset records)
{
    DrawHistoryStore store;
    store.DrawRecordset = std::move(records);
    if (store.DrawRecordset.RecordCount() == 0)
        return store;

    for (const DrawRecord &record : store.DrawRecordset) {
        if (!record.isComplete())
            continue;
        int position = 0;
        try {
            for (position = 1; position <= 7; ++position) {
                const qint16 v = record.number(position).toInt16();
                store.NumberTotal[v] = checked::add(store.NumberTotal[v], 1);
            }
            position = 0;
            store.LastDrawNo = record.drawNo.toInt16();
        } catch (const RuntimeError &error) {
            const QString field = position > 0 ? FieldName::numberField(position) : FieldName::DrawNo;
            throw RuntimeError(error.kind(), QStringLiteral("回数 %1 の%2「%3」")
                                                 .arg(record.drawNo.toText(), field,
                                                      record.value(field).toText()));
        }
    }

    store.MaxTotal = 0;
    store.TotalGroupRows = 1;
    store.TotalGroups = QStringList{QString()};
    for (int n = 1; n <= 43; ++n) {
        const qint16 t = store.NumberTotal[n];
        if (t > store.MaxTotal) {
            store.MaxTotal = t;
            while (store.TotalGroups.size() <= t)
                store.TotalGroups.append(QString());
        }
        QString &group = store.TotalGroups[t];
        if (!group.isEmpty()) {
            group += QLatin1Char(',') + QString::number(n);
        } else {
            group = QString::number(n);
            store.TotalGroupRows = checked::add(store.TotalGroupRows, 1);
        }
    }
    return store;
}

DrawHistoryStore LoadDrawHistory(const QString &programFolder)
{
    return loadDrawHistoryFrom(DrawDatabase::fileIn(programFolder));
}

DrawHistoryStore loadDrawHistoryFrom(const QString &path)
{
    auto connection = std::make_shared<Database>(DrawDatabase::open(path, Database::Mode::ReadOnly));
    Recordset records = DrawDatabase::readAll(*connection);

    DrawHistoryStore store;
    try {
        store = buildDrawHistory(std::move(records));
    } catch (const RuntimeError &error) {
        throw DatabaseError(QStringLiteral("データベースファイル「%1」の当選データを読み込めません: %2 %3")
                                .arg(connection->path(), error.detail(), error.message()));
    }
    store.DatabasePath = path;
    store.connection = std::move(connection);
    return store;
}
