// The ticket ledger at the size 消去法's combinations reach: 18 numbers give
// C(18, 6) = 18 564 lines, written in one transaction, then checked and
// summarised against a full history.
#include "maintenance/ticketledger.h"
#include "prediction/ticketsources.h"
#include "support/history.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

std::vector<Ticket> eliminationLines(int drawNo)
{
    std::vector<Ticket> tickets;
    for (const std::array<int, 6> &line : TicketSources::combinations({1, 4, 7, 9, 12, 15, 18, 21, 25, 28, 31, 33, 36, 38, 40, 41, 42, 43})) {
        Ticket ticket;
        ticket.drawNo = drawNo;
        ticket.numbers = line;
        ticket.purchaseDate = QStringLiteral("2026-08-19");
        tickets.push_back(ticket);
    }
    return tickets;
}

void BM_LedgerAddAllCombinations(benchmark::State &state)
{
    const std::vector<Ticket> tickets = eliminationLines(2130);
    for (auto _ : state) {
        QTemporaryDir dir;
        TicketLedger ledger = TicketLedger::open(dir.filePath(TicketLedger::FileName));
        benchmark::DoNotOptimize(ledger.addAll(tickets).size());
    }
    state.SetItemsProcessed(state.iterations() * qint64(tickets.size()));
}
BENCHMARK(BM_LedgerAddAllCombinations)->Unit(benchmark::kMillisecond);

void BM_CheckAndSummarise(benchmark::State &state)
{
    const DrawResults results(Recordset(TestHistory::generated(2130)));
    const std::vector<Ticket> tickets = eliminationLines(2130);
    PrizeBook prizes;
    prizes.set(2130, 3, 300000);
    for (auto _ : state) {
        const SpendingSummary summary = summarize(tickets, results, prizes);
        benchmark::DoNotOptimize(summary.overall.won);
    }
    state.SetItemsProcessed(state.iterations() * qint64(tickets.size()));
}
BENCHMARK(BM_CheckAndSummarise)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
