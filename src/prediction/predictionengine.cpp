#include "prediction/predictionengine.h"

#include "prediction/predictiongrids.h"
#include "store/checked.h"

#include <algorithm>

PredictionEngine::PredictionEngine()
{
    ensureDraws(InitialLastDraw);
}

bool PredictionEngine::ReadInitFile(QString *error)
{
    const OptionsFile::ReadResult result = OptionsFile::read(m_initFile, m_flags);
    if (error)
        *error = result.error;
    return result.ok;
}

bool PredictionEngine::WriteInitFile(QString *error) const
{
    const QString reason = OptionsFile::write(m_initFile, m_flags);
    if (error)
        *error = reason;
    return reason.isEmpty();
}

void PredictionEngine::SetUpPredictionGrids(const DrawHistoryStore &store)
{
    // The grids belong to the window: each opening starts from new ones.
    for (int k = 0; k < GridCount; ++k) {
        Sheet &sheet = m_grids[size_t(k)];
        sheet = Sheet();
        PredictionGrids::setUpGrid(sheet, k);
        PredictionGrids::setUpHeader(sheet, k);
    }
    BuildCycleTable(store);
}

void PredictionEngine::ClearEliminationCells()
{
    Sheet &sheet = m_grids[EliminationGrid];
    for (int row = 2; row <= 4; ++row) {
        for (int col = 2; col <= 7; ++col)
            sheet.setText(col, row, QString());
    }
    sheet.setAlignment(Block::cells(2, 2, 7, 4), HAlign::Center, VAlign::Center);
}

void PredictionEngine::ClearShotCells()
{
    for (const int k : {MultiShotGrid, OneShotGrid}) {
        Sheet &sheet = m_grids[size_t(k)];
        for (int row = 2; row <= sheet.maxRows(); ++row) {
            for (int col = 2; col <= 7; ++col)
                sheet.setText(col, row, QString());
        }
    }
}

// ---- tables ----

void PredictionEngine::ensureDraws(long long lastDraw)
{
    if (lastDraw <= m_lastTableDraw)
        return;
    // Entries of earlier builds stay where they were.
    const size_t oldWidth = size_t(m_lastTableDraw + 1);
    const size_t newWidth = size_t(lastDraw + 1);
    std::vector<qint16> grown(8 * newWidth, 0);
    for (size_t p = 0; p < 8; ++p)
        std::copy_n(m_drawNumbers.begin() + ptrdiff_t(p * oldWidth), oldWidth, grown.begin() + ptrdiff_t(p * newWidth));
    m_drawNumbers = std::move(grown);
    m_lastTableDraw = lastDraw;
}

qint16 &PredictionEngine::drawNumberCell(int position, long long drawNo)
{
    checked::checkIndex(position, 0, 7);
    checked::checkIndex(drawNo, 0, m_lastTableDraw);
    return m_drawNumbers[size_t(position) * size_t(m_lastTableDraw + 1) + size_t(drawNo)];
}

qint16 PredictionEngine::drawNumber(int position, long long drawNo) const
{
    if (drawNo < 0)
        return 0;
    checked::checkIndex(position, 0, 7);
    checked::checkIndex(drawNo, 0, m_lastTableDraw);
    return m_drawNumbers[size_t(position) * size_t(m_lastTableDraw + 1) + size_t(drawNo)];
}

const QString &PredictionEngine::cycleEntry(int position, int method) const
{
    checked::checkIndex(position, 0, 7);
    checked::checkIndex(method, 0, 4);
    return m_cycleTable[size_t(position)][size_t(method)];
}

const QString &PredictionEngine::eliminationEntry(int step) const
{
    checked::checkIndex(step, 0, 500);
    return m_eliminationList[size_t(step)];
}

// ---- the cycle methods ----

void PredictionEngine::BuildCycleTable(const DrawHistoryStore &store)
{
    m_lastDrawNo = store.LastDrawNo;
    // The table holds every draw of the history, and at least 1 … 5000.
    ensureDraws(std::max<long long>(InitialLastDraw, store.LastDrawNo));

    for (const DrawRecord &record : store.DrawRecordset)
        appendDraw(record);
    ShowPredictions();
}

void PredictionEngine::appendDraw(const DrawRecord &record)
{
    if (!record.isComplete())
        return;
    const qint16 n = record.drawNo.toInt16();
    if (n > m_lastTableDraw)
        ensureDraws(std::max<long long>(n, 2 * m_lastTableDraw));
    for (int p = 1; p <= 7; ++p)
        drawNumberCell(p, n) = record.number(p).toInt16();
    // The scan below stays inside the table by construction (positions
    // 1 … 7, draws 1 … n - 1 of a table that holds draw n), so it reads the
    // cells directly: it runs for every draw of the history at start-up.
    const size_t stride = size_t(m_lastTableDraw + 1);
    const qint16 *cells = m_drawNumbers.data();
    for (int p = 1; p <= 7; ++p) {
        const qint16 x = drawNumberCell(p, n);
        // The nearest earlier draw holding x in any position, bonus included.
        // No interval above MaxCycleInterval is kept, so the search ends
        // there: a nearest draw further back would be dropped anyway.
        for (int m = n - 1; m >= 1 && n - m <= MaxCycleInterval; --m) {
            bool found = false;
            for (int q = 1; q <= 7 && !found; ++q)
                found = cells[size_t(q) * stride + size_t(m)] == x;
            if (found) {
                if (cycleMethod(n - m) >= 0)
                    CycleStore(n - m, p, record.number(p).toText());
                break;
            }
        }
    }
}

int PredictionEngine::cycleMethod(int interval)
{
    switch (interval) {
    case 7:
        return 0;
    case 9:
        return 1;
    case 11:
        return 2;
    case 12:
        return 3;
    default:
        return -1;
    }
}

void PredictionEngine::CycleStore(int interval, int position, const QString &text)
{
    const int method = cycleMethod(interval);
    if (method < 0)
        return;
    for (int q = 1; q <= 7; ++q) {
        if (q != position && m_cycleTable[size_t(q)][size_t(method)] == text)
            return;
    }
    checked::checkIndex(position, 0, 7);
    m_cycleTable[size_t(position)][size_t(method)] = text;
}

void PredictionEngine::ShowCycleTable()
{
    Sheet &sheet = m_grids[CycleGrid];
    for (int i = 0; i <= 3; ++i) {
        // Position 7, the bonus, would fall in column 8, outside the grid.
        for (int j = 1; j <= 7; ++j)
            sheet.setText(j + 1, i + 2, m_cycleTable[size_t(j)][size_t(i)]);
    }
}

// ---- the shifted methods ----

void PredictionEngine::ShowPredictions()
{
    ShowCycleTable();
    const qint16 shift = ComputeLookBackShift();
    PredictByElimination(shift);
    PredictMultiShot(shift);
    PredictOneShot(shift);
}

qint16 PredictionEngine::ComputeLookBackShift() const
{
    return lookBackShift(m_flags);
}

qint16 PredictionEngine::lookBackShift(const ReflectFlags &flags)
{
    qint16 shift = 0;
    for (int k = 0; k < ReflectFlagCount; ++k) {
        if (flags[size_t(k)])
            shift = checked::add(shift, AnalysisWeight[size_t(k)]);
    }
    return shift;
}

PredictionEngine::EliminationStep PredictionEngine::EliminationTable(int step)
{
    // Addend and first offset per position 1 … 7; the offset grows by one
    // with each round of seven steps.
    static constexpr qint16 addend[7] = {22, 16, 17, 24, 32, 1, 12};
    static constexpr int firstOffset[7] = {4, 5, 5, 9, 12, 19, 20};
    const int a = step % 7;
    return {a + 1, addend[a], firstOffset[a] + step / 7};
}

void PredictionEngine::PredictByElimination(qint16 shift)
{
    int column = 0;
    int row = 0;
    for (int i = 0; i <= 20; ++i) {
        const EliminationStep step = EliminationTable(i);
        const qint16 d = checked::sub(checked::sub(m_lastDrawNo, step.offset), shift);
        const qint16 x = checked::add(drawNumber(step.position, d), step.addend);
        AddEliminationCandidate(column, row, i, QString::number(x));
    }
}

void PredictionEngine::AddEliminationCandidate(int &column, int &row, int step, QString text)
{
    text = WrapNumber(text);
    checked::checkIndex(step, 0, 500);
    m_eliminationList[size_t(step)] = text;
    if (!IsNewCandidate(text, step))
        return;
    // Up to three lines of six; a candidate beyond them falls outside the grid.
    m_grids[EliminationGrid].setText(column + 2, row + 2, text);
    column = checked::add(column, 1);
    if (column == 6) {
        column = 0;
        row = checked::add(row, 1);
    }
}

QString PredictionEngine::WrapNumber(const QString &text)
{
    const qint16 n = Field(text).toInt16();
    if (n > 43)
        return QString::number(n - 43);
    if (n <= 0)
        return QString::number(n + 43);
    return text;
}

bool PredictionEngine::IsNewCandidate(const QString &text, int step) const
{
    for (int i = 0; i < step; ++i) {
        if (m_eliminationList[size_t(i)] == text)
            return false;
    }
    return true;
}

void PredictionEngine::PredictMultiShot(qint16 shift)
{
    Sheet &sheet = m_grids[MultiShotGrid];
    int row = 0;
    int column = 0;
    for (int k = 0; k <= 3; ++k) {
        for (int j = 1; j <= 7; ++j) {
            if (row >= 2)
                return;
            const qint16 d = checked::sub(checked::sub(checked::sub(m_lastDrawNo, k), shift), 1);
            const qint16 x = drawNumber(j, d);
            if (x == 0)
                break; // a missing draw: go on with the next one
            if (IsSingleInWindow(x, k, j, shift)) {
                sheet.setText(column + 2, row + 2, x);
                if (++column > 5) {
                    column = 0;
                    ++row;
                }
            }
        }
    }
}

void PredictionEngine::PredictOneShot(qint16 shift)
{
    Sheet &sheet = m_grids[OneShotGrid];
    int n = 0;
    for (int k = 0; k <= 3; ++k) {
        for (int j = 1; j <= 7; ++j) {
            if (n > 6)
                return;
            const qint16 d = checked::sub(checked::sub(checked::sub(m_lastDrawNo, k), shift), 1);
            const qint16 x = drawNumber(j, d);
            if (x == 0)
                break;
            if (IsSingleInWindow(x, k, j, shift)) {
                // The seventh number lands in column 8, beyond the grid.
                sheet.setText(n + 2, 2, x);
                ++n;
            }
        }
    }
}

bool PredictionEngine::IsSingleInWindow(qint16 number, int windowRow, int position, qint16 shift) const
{
    for (int k = 0; k <= 3; ++k) {
        const qint16 d = checked::sub(checked::sub(checked::sub(m_lastDrawNo, k), shift), 1);
        for (int j = 1; j <= 7; ++j) {
            if ((k != windowRow || j != position) && drawNumber(j, d) == number)
                return false;
        }
    }
    return true;
}
