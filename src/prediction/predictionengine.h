#pragma once

#include "prediction/optionsfile.h"
#include "store/globalbas.h"
#include "ui/sheet.h"

#include <QString>

#include <array>
#include <vector>

// The prediction: the twelve reflect flags, the tables the predictions are
// computed from, and the four result grids (cycle, elimination, multi-shot,
// one-shot). One object lives from start-up (ReadInitFile) to exit, so the
// flags and the tables survive closing the prediction window; the window
// only shows the grids and routes the option clicks.
//
// Every method is deterministic: the predictions depend on the draw history
// and the flags only.
class PredictionEngine
{
public:
    // Class name and caption of the prediction window.
    static inline const QString WindowName = QStringLiteral("一発ケルモン予想");
    static constexpr int GridCount = 4;
    enum GridIndex { CycleGrid = 0, EliminationGrid = 1, MultiShotGrid = 2, OneShotGrid = 3 };
    // How far each reflected analysis moves the look-back, by flag index.
    static constexpr std::array<qint16, ReflectFlagCount> AnalysisWeight{1, 15, 6, 9, 10, 4, 8, 2, 11, 7, 16, 3};
    // Highest draw number the tables hold before the history asks for more.
    static constexpr int InitialLastDraw = 5000;

    PredictionEngine();

    // The options file, by default ロト6ケルモン.ini in the current working
    // directory; an installed program keeps it in the user's settings folder.
    void setInitFile(const QString &path) { m_initFile = path; }
    // A failed read keeps the flags set before the failing line; returns
    // false with the reason.
    bool ReadInitFile(QString *error = nullptr);
    // Replaces the options file only when the new one is complete.
    bool WriteInitFile(QString *error = nullptr) const;

    bool flag(int k) const { return m_flags[size_t(k)]; }
    void setFlag(int k, bool value) { m_flags[size_t(k)] = value; }
    const ReflectFlags &flags() const { return m_flags; }
    void setFlags(const ReflectFlags &flags) { m_flags = flags; }

    // What the window does on opening: fresh grids set up with their
    // captions, then BuildCycleTable over the store, which shows all four
    // predictions. Throws RuntimeError for a history the tables cannot take.
    void SetUpPredictionGrids(const DrawHistoryStore &store);
    // Empties the result cells of the elimination grid before a recomputation.
    void ClearEliminationCells();
    // The same for the multi-shot and one-shot grids: a recomputation that
    // finds fewer single numbers must not leave those of the previous options.
    void ClearShotCells();

    const Sheet &grid(int k) const { return m_grids[size_t(k)]; }

    // One pass over the history: fills DrawNumberTable and CycleTable (neither
    // is cleared first), then ShowPredictions.
    void BuildCycleTable(const DrawHistoryStore &store);
    // One record of that pass: a complete draw enters DrawNumberTable and
    // CycleTable, an incomplete one is skipped. Feeding the records one by one
    // grows the tables draw by draw, as the walk-forward test needs.
    void appendDraw(const DrawRecord &record);
    // Writes all four predictions for the current flags.
    void ShowPredictions();
    // Sum of the weights of the reflected analyses.
    qint16 ComputeLookBackShift() const;
    // The same for any set of flags.
    static qint16 lookBackShift(const ReflectFlags &flags);

    void CycleStore(int interval, int position, const QString &text);
    // The column of the cycle table an interval between draws goes to
    // (7, 9, 11, 12 → 0 … 3), or -1 where none does.
    static int cycleMethod(int interval);
    static constexpr int MaxCycleInterval = 12;
    void ShowCycleTable();
    void PredictByElimination(qint16 shift);
    void AddEliminationCandidate(int &column, int &row, int step, QString text);
    static QString WrapNumber(const QString &text);
    bool IsNewCandidate(const QString &text, int step) const;
    void PredictMultiShot(qint16 shift);
    void PredictOneShot(qint16 shift);
    bool IsSingleInWindow(qint16 number, int windowRow, int position, qint16 shift) const;

    // DrawNumberTable(position, draw): the number at that position of a
    // complete draw met by a build, 0 otherwise. A draw before the first (a
    // look-back past the start of the history) reads as missing.
    qint16 drawNumber(int position, long long drawNo) const;
    const QString &cycleEntry(int position, int method) const;
    const QString &eliminationEntry(int step) const;
    qint16 lastDrawNo() const { return m_lastDrawNo; }

private:
    QString m_initFile = OptionsFile::FileName;
    struct EliminationStep
    {
        int position;
        qint16 addend;
        int offset;
    };
    static EliminationStep EliminationTable(int step);
    void ensureDraws(long long lastDraw);
    qint16 &drawNumberCell(int position, long long drawNo);

    ReflectFlags m_flags{};
    // Positions 0 … 7 by draws 0 … m_lastTableDraw, position-major.
    std::vector<qint16> m_drawNumbers;
    long long m_lastTableDraw = -1;
    // Positions 0 … 7 by methods 0 … 4 (7-, 9-, 11-, 12-draw cycles; 4 unused).
    std::array<std::array<QString, 5>, 8> m_cycleTable;
    std::array<QString, 501> m_eliminationList;
    qint16 m_lastDrawNo = 0;
    std::array<Sheet, GridCount> m_grids;
};
