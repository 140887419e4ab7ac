#pragma once

#include "prediction/combofilter.h"

#include <QGroupBox>

#include <vector>

class QCheckBox;
class QComboBox;
class QSpinBox;

// The filters of 絞り込み as check boxes with a range each: the ones ticked
// are the filters. Object names: Chk<measure> with Spin<measure>下限 and
// Spin<measure>上限 (measure 合計, 奇数, 低数字, 連番, 下一桁, 前回, 分割) and
// Cbo分割 for the division.
class FilterPanel : public QGroupBox
{
    Q_OBJECT

public:
    explicit FilterPanel(QWidget *parent = nullptr);

    std::vector<ComboFilter::Filter> filters() const;
    // Ticks the filters given (with their ranges) and unticks the others.
    void setFilters(const std::vector<ComboFilter::Filter> &filters);

private:
    struct Row
    {
        ComboFilter::Measure measure;
        QCheckBox *use = nullptr;
        QSpinBox *min = nullptr;
        QSpinBox *max = nullptr;
    };
    std::vector<Row> m_rows;
    QComboBox *m_division = nullptr;
};
