#pragma once

#include <QChart>
#include <QChartView>

// Shows chart in view and deletes the chart shown before. QChartView takes
// the new chart but only hands the old one back, so a window that redraws
// its chart on every choice would otherwise keep every chart it ever drew.
inline void replaceChart(QChartView *view, QChart *chart)
{
    QChart *old = view->chart();
    view->setChart(chart);
    delete old;
}
