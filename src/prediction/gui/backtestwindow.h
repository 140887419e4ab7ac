#pragma once

#include "prediction/backtest.h"
#include "prediction/backtestwheel.h"

#include <QWidget>

#include <array>
#include <optional>

class QCheckBox;
class QChartView;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class SheetView;
class StaleResultBar;

// 予想の検証: the walk-forward test of the predictions over a range of draws,
// each method beside random play, draw by draw and as a cumulative chart;
// and 設定の探索, the best of the 4 096 reflect sets on the first half
// tested on the second. The core computes everything; the window shows it.
//
// Object names: fromDraw, toDraw, reflect_k (k from 0), Cmd検証, Cmd探索,
// Cmd閉じる, status, summary, wheel (the reduced-wheel strategy), draws,
// method, difference, chart, search, and staleResult with Cmd再計算 once the
// draws have changed.
class BacktestWindow : public QWidget
{
    Q_OBJECT

public:
    // Runs the default range at once with the flags given (the prediction
    // window's current options).
    BacktestWindow(const DrawHistoryStore &store, const ReflectFlags &flags, QWidget *parent = nullptr);

    // The range and options of the controls. Returns false, with the reason
    // in the status line and the previous results kept, for a bad range or
    // a cancelled run.
    bool runBacktest();
    bool runSearch();

    // The draws changed since the results were computed: the window says so,
    // and its 再計算 button runs the test again (recomputeForNewDraws).
    void markOutdated();
    void recomputeForNewDraws();

    const std::optional<Backtest::Result> &result() const { return m_result; }
    QString statusText() const;

    // The window as it shows on screen, drawn offscreen; with search true
    // the search tab is shown after a search.
    static QImage render(const DrawHistoryStore &store, const ReflectFlags &flags, int tab = 0);

Q_SIGNALS:
    void closeRequested();

private:
    void createControls();
    Backtest::Range range() const;
    ReflectFlags flags() const;
    Backtest::Progress progress(const QString &label, std::function<void()> &finish);
    void showResult();
    void showChart();
    void setStatus(const QString &text, bool problem);

    const DrawHistoryStore &m_store;
    QSpinBox *m_from = nullptr;
    QSpinBox *m_to = nullptr;
    std::array<QCheckBox *, ReflectFlagCount> m_reflect{};
    QPushButton *m_run = nullptr;
    QPushButton *m_search = nullptr;
    QPushButton *m_close = nullptr;
    StaleResultBar *m_stale = nullptr;
    QLabel *m_status = nullptr;
    SheetView *m_summary = nullptr;
    SheetView *m_wheel = nullptr;
    QTabWidget *m_tabs = nullptr;
    SheetView *m_draws = nullptr;
    QComboBox *m_method = nullptr;
    QCheckBox *m_difference = nullptr;
    QChartView *m_chart = nullptr;
    QPlainTextEdit *m_searchText = nullptr;
    std::optional<Backtest::Result> m_result;
    // The strategy's wheels, built once per candidate count.
    Backtest::WheelBook m_wheels;
};
