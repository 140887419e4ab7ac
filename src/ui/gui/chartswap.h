#pragma once

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QLineSeries>

// Shows chart in view and deletes the chart shown before. QChartView takes
// the new chart but only hands the old one back, so a window that redraws
// its chart on every choice would otherwise keep every chart it ever drew.
inline void replaceChart(QChartView *view, QChart *chart)
{
    QChart *old = view->chart();
    view->setChart(chart);
    delete old;
}

// An area between two lines. QAreaSeries only borrows its edge lines; made
// its children, they are deleted with it (and so with the chart).
inline QAreaSeries *areaBetween(QLineSeries *upper, QLineSeries *lower)
{
    auto *area = new QAreaSeries(upper, lower);
    upper->setParent(area);
    lower->setParent(area);
    return area;
}
