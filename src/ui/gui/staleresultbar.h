#pragma once

#include <QWidget>

// A line over a result computed from draws that have changed since: it says
// so beside a 再計算 button. Hidden until the window learns of the change
// (show()); the button hides it again and asks the window to recompute.
//
// Object names: staleResult (the bar), Cmd再計算 (the button).
class StaleResultBar : public QWidget
{
    Q_OBJECT

public:
    explicit StaleResultBar(QWidget *parent = nullptr);

Q_SIGNALS:
    void recomputeRequested();
};
