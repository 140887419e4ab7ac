// Opening the draw database and building the store; creating it from CSV.
#include "store/drawcsv.h"
#include "store/drawdatabase.h"
#include "store/globalbas.h"
#include "store/keyderivation.h"
#include "support/drawfile.h"
#include "support/history.h"

#include <QCoreApplication>
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
        DrawHistoryStore store = loadDrawHistoryFrom(DrawDatabase::connectStringForFile(path));
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

// Keying alone (the key derivation and the first read), right after a QHash
// of strings has been filled, as the command-line parser and the GUI
// application do before the store loads: it must cost what keying a fresh
// process costs (scripts/bench.sh times that with the keyprobe program).
void BM_KeyAfterQHash(benchmark::State &state)
{
    for (auto _ : state) {
        QHash<QString, int> names;
        for (int i = 0; i < 64; ++i)
            names.insert(QStringLiteral("--option-name-long-enough-for-vectors-%1").arg(i), i);
        benchmark::DoNotOptimize(names.size());
        const Database db = Database::open(bundledDatabase(), DrawDatabase::password(), Database::Mode::ReadOnly);
        benchmark::DoNotOptimize(db.handle());
    }
}
BENCHMARK(BM_KeyAfterQHash)->Unit(benchmark::kMillisecond);

// The database key's derivation alone: the processor's SHA instructions
// (both blocks interleaved) against the portable code (blocks on threads).
void BM_DeriveKey(benchmark::State &state)
{
    const auto code = state.range(0) == 0 ? KeyDerivation::Sha1Code::Fastest : KeyDerivation::Sha1Code::Portable;
    const QByteArray salt(KeyDerivation::SaltBytes, 'a');
    for (auto _ : state) {
        benchmark::DoNotOptimize(KeyDerivation::pbkdf2HmacSha1(DrawDatabase::password().toUtf8(), salt,
                                                               KeyDerivation::Rounds, KeyDerivation::KeyBytes, code));
    }
    state.SetLabel(code == KeyDerivation::Sha1Code::Fastest ? "fastest" : "portable");
}
BENCHMARK(BM_DeriveKey)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CreateDbFromBundledCsv(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString csv = QStringLiteral(LOTO6_SOURCE_DIR "/data/loto6-history.csv");
    const QString out = dir.filePath(QStringLiteral("Loto6Kermon.mdb"));
    for (auto _ : state)
        DrawCsv::createDatabase(csv, out, true);
}
BENCHMARK(BM_CreateDbFromBundledCsv)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
