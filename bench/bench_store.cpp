// Opening the draw database and building the store; creating it from CSV.
#include "store/drawcsv.h"
#include "store/drawdatabase.h"
#include "store/globalbas.h"
#include "store/keycache.h"
#include "support/drawfile.h"
#include "support/history.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString bundledDatabase()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Loto6Kermon.mdb");
}

const QString &largeDatabase()
{
    // 30 000 generated draws, written once with the same schema and inserts as create-db.
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("large.mdb"));
        DrawFile::write(file, TestHistory::generated(30000));
        return file;
    }();
    return path;
}

void openAndLoad(benchmark::State &state, const QString &path)
{
    for (auto _ : state) {
        DrawHistoryStore store = loadDrawHistoryFrom(path);
        benchmark::DoNotOptimize(store.LastDrawNo);
    }
}

void BM_OpenAndLoadBundled(benchmark::State &state)
{
    openAndLoad(state, bundledDatabase());
}
BENCHMARK(BM_OpenAndLoadBundled)->Unit(benchmark::kMillisecond);

void BM_OpenAndLoad30000(benchmark::State &state)
{
    openAndLoad(state, largeDatabase());
}
BENCHMARK(BM_OpenAndLoad30000)->Unit(benchmark::kMillisecond);

// The store once the key is derived: the query over an open connection and
// the derived tables.
void BM_LoadWithoutKeyDerivation(benchmark::State &state)
{
    const Database db = Database::open(bundledDatabase(), DrawDatabase::password(), Database::Mode::ReadOnly);
    for (auto _ : state) {
        DrawHistoryStore store = buildDrawHistory(DrawDatabase::readAll(db));
        benchmark::DoNotOptimize(store.LastDrawNo);
    }
}
BENCHMARK(BM_LoadWithoutKeyDerivation)->Unit(benchmark::kMillisecond);

// Keying alone (the key and the first read): with the key remembered in the
// cache folder, as every start after the first, and derived, as the first.
void BM_KeyDatabase(benchmark::State &state)
{
    const bool remembered = state.range(0) == 0;
    for (auto _ : state) {
        if (!remembered) {
            state.PauseTiming();
            QDir(KeyCache::folder()).removeRecursively();
            state.ResumeTiming();
        }
        const Database db = Database::open(bundledDatabase(), DrawDatabase::password(), Database::Mode::ReadOnly);
        benchmark::DoNotOptimize(db.handle());
    }
    state.SetLabel(remembered ? "remembered" : "derived");
}
BENCHMARK(BM_KeyDatabase)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CreateDbFromBundledCsv(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString csv = QStringLiteral(LOTO6_SOURCE_DIR "/data/loto6-history.csv");
    const QString out = dir.filePath(QStringLiteral("Loto6Kermon.mdb"));
    for (auto _ : state)
        DrawFile::createFromCsv(csv, out, true);
}
BENCHMARK(BM_CreateDbFromBundledCsv)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // The keys it remembers go to a folder of its own.
    const QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
