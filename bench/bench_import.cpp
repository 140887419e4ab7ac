// 当選データ取込 from reading the bytes to the committed transaction: a
// 30 000-draw file into an empty database, and ten new draws into a copy of
// the bundled history (the everyday case).
#include "maintenance/drawimportplan.h"
#include "store/drawdatabase.h"
#include "support/drawfile.h"
#include "support/history.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QByteArray csvOf(const std::vector<DrawRecord> &records)
{
    QByteArray csv = "回数,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス数字\n";
    for (const DrawRecord &r : records) {
        QStringList fields{r.drawNo.toText()};
        for (const Field &f : r.numbers)
            fields << f.toText();
        csv += fields.join(QLatin1Char(',')).toUtf8() + '\n';
    }
    return csv;
}

void importOnce(benchmark::State &state, const QByteArray &bytes, const QString &database)
{
    const DrawImport::Plan plan = DrawImport::preview(DrawImport::readBytes(bytes), database);
    const DrawImport::ApplyResult result = DrawImport::apply(plan, {});
    if (!result.ok)
        state.SkipWithError(result.message.toStdString().c_str());
    benchmark::DoNotOptimize(result.added);
}

void BM_Import30000IntoEmptyDatabase(benchmark::State &state)
{
    const QByteArray bytes = csvOf(TestHistory::generated(30000));
    QTemporaryDir dir;
    const QString database = dir.filePath(DrawDatabase::FileName);
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(database);
        DrawFile::write(database, {});
        state.ResumeTiming();
        importOnce(state, bytes, database);
    }
}
BENCHMARK(BM_Import30000IntoEmptyDatabase)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Import10IntoBundledDatabase(benchmark::State &state)
{
    // Draws 2131 … 2140 after the bundled 1 … 2130.
    std::vector<DrawRecord> records = TestHistory::generated(2140);
    records.erase(records.begin(), records.end() - 10);
    const QByteArray bytes = csvOf(records);
    const QString bundled = QCoreApplication::applicationDirPath() + QStringLiteral("/") + DrawDatabase::FileName;
    QTemporaryDir dir;
    const QString database = dir.filePath(DrawDatabase::FileName);
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(database);
        QFile::copy(bundled, database);
        state.ResumeTiming();
        importOnce(state, bytes, database);
    }
}
BENCHMARK(BM_Import10IntoBundledDatabase)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
