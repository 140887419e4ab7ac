#pragma once

#include "prediction/ticketsources.h"
#include "prediction/predictionengine.h"
#include "ui/gui/sheetprinter.h"

#include <QWidget>

#include <array>

class QPushButton;
class QRadioButton;
class SheetView;
class TableActions;

// 一発ケルモン予想: the twelve reflect options and the four prediction grids.
// The window only shows what the engine computed and routes the clicks; the
// engine (flags and tables) outlives it and is handed in by the main window.
//
// Object names: Cmd閉じる, Command2, Cmd買い目作成 (its menu items carry the
// prediction names), the option buttons Opt反映する_k and
// Opt反映しない_k and the grids fpSpread1_k (k from 0), each also carrying
// its k in the property "index".
class PredictionWindow : public QWidget
{
    Q_OBJECT

public:
    // Shows the flags and runs the opening computation. Throws RuntimeError
    // when the history does not fit the engine's tables: the window never
    // opens half made.
    PredictionWindow(PredictionEngine &engine, const DrawHistoryStore &store, QWidget *parent = nullptr);

    SheetView *grid(int k) const { return m_grids[size_t(k)]; }
    QRadioButton *reflectButton(int k) const { return m_reflect[size_t(k)]; }
    QRadioButton *notReflectButton(int k) const { return m_notReflect[size_t(k)]; }

    // Print, PDF and CSV of the four grids, one after the other.
    TableActions *tableActions() const { return m_actions; }
    // The four grids as they print, under their captions.
    static SheetPrinter::Document printDocument(const PredictionEngine &engine, const QString &drawRange);

    // Computes the four predictions again from another store (the database
    // changed while the window was open). Throws RuntimeError.
    void recompute(const DrawHistoryStore &store);

    // The window as it shows on screen, drawn offscreen.
    static QImage render(PredictionEngine &engine, const DrawHistoryStore &store);

    // Its controls stand where the layout puts them: a smaller window
    // scrolls them rather than cutting them off.
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void closeRequested();
    // 買い目作成 with the numbers of one of the predictions as candidates.
    void wheelRequested(TicketSources::Source source);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void ShowReflectFlags();
    void showGrids();
    void fitGridHeights();
    void Opt反映する_Click(int index);
    void Opt反映しない_Click(int index);
    // The grids are read-only: a double click, which would start editing a
    // cell, is always cancelled.
    void fpSpread1_DblClick(int index, int col, int row, int button, int x, int y, bool &cancel);

    PredictionEngine &m_engine;
    std::array<QRadioButton *, ReflectFlagCount> m_reflect{};
    std::array<QRadioButton *, ReflectFlagCount> m_notReflect{};
    std::array<SheetView *, PredictionEngine::GridCount> m_grids{};
    QPushButton *m_close = nullptr;
    QPushButton *m_print = nullptr;
    QPushButton *m_wheel = nullptr;
    TableActions *m_actions = nullptr;
};
