#pragma once

#include "analysis/randomness.h"

#include <QWidget>

class QButtonGroup;
class QChartView;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;
class StaleResultBar;

// ランダム性の検定: the tests of the draws against a fair draw, a chart of the
// selected test (observed bars, the expected line and its ±2σ band), and the
// range of draws examined. All statistics come from Randomness::analyse.
class RandomnessWindow : public QWidget
{
    Q_OBJECT

public:
    inline static const QString ClassName = QStringLiteral("ランダム性の検定");
    static constexpr int HeightTwips = 9600;
    static constexpr int WidthTwips = 14400;

    explicit RandomnessWindow(const DrawHistoryStore &store, QWidget *parent = nullptr);

    const Randomness::Report &report() const { return m_report; }
    QTableWidget *testTable() const { return m_table; }
    QChartView *chartView() const { return m_chart; }
    // Runs the tests again for the range the controls show.
    void recompute();
    // The draws changed since the tests ran: the window says so, and its
    // 再計算 button runs them again (recomputeForNewDraws).
    void markOutdated();
    void recomputeForNewDraws();
    void selectTest(int row);
    // Saves the chart as PNG or SVG (by the name's suffix); the error, or "".
    QString saveChart(const QString &fileName) const;

Q_SIGNALS:
    void closeRequested();

private:
    void showReport();
    void showChart(int row);
    void saveChartAs();

    const DrawHistoryStore &m_store;
    Randomness::Report m_report;
    QButtonGroup *m_rangeKind = nullptr;
    QSpinBox *m_last = nullptr;
    QSpinBox *m_from = nullptr;
    QSpinBox *m_to = nullptr;
    QLabel *m_summary = nullptr;
    QTableWidget *m_table = nullptr;
    QChartView *m_chart = nullptr;
    QPushButton *m_save = nullptr;
    StaleResultBar *m_stale = nullptr;
    // The last draw when the range was last set from the history.
    int m_lastDraw = 1;
};
