#include "prediction/gui/filterpanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>

namespace {

using ComboFilter::Measure;

// Each filter as the panel offers it: what it is called, its unit, the
// values a line can have and the range ticked first.
struct Offer
{
    Measure measure;
    const char *name;
    const char *caption;
    const char *unit;
    int lowest, highest;
    int min, max;
    bool ticked;
};
constexpr Offer Offers[] = {
    {Measure::Sum, "合計", "数字の合計", "", 21, 243, 100, 160, true},
    {Measure::Odd, "奇数", "奇数の個数", "個", 0, 6, 2, 4, true},
    {Measure::Low, "低数字", "低数字（1～21）の個数", "個", 0, 6, 2, 4, false},
    {Measure::Consecutive, "連番", "連番の組", "組", 0, 5, 0, 1, false},
    {Measure::LastDigit, "下一桁", "下一桁が同じ数字の組", "組", 0, 15, 0, 1, false},
    {Measure::Previous, "前回", "前回の本数字と共通", "個", 0, 6, 0, 1, false},
    {Measure::Groups, "分割", "分割の各グループ", "個", 0, 6, 0, 2, false},
};

} // namespace

FilterPanel::FilterPanel(QWidget *parent)
    : QGroupBox(QStringLiteral("絞り込みの条件（チェックした条件をすべて満たす口）"), parent)
{
    setObjectName(QStringLiteral("fraFilters"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setVerticalSpacing(1);
    int i = 0;
    for (const Offer &offer : Offers) {
        const QString name = QString::fromUtf8(offer.name);
        Row row{offer.measure};
        row.use = new QCheckBox(QString::fromUtf8(offer.caption), this);
        row.use->setObjectName(QStringLiteral("Chk") + name);
        row.use->setChecked(offer.ticked);
        const auto spin = [&](const QString &suffix, int value) {
            auto *box = new QSpinBox(this);
            box->setObjectName(QStringLiteral("Spin") + name + suffix);
            box->setRange(offer.lowest, offer.highest);
            box->setValue(value);
            return box;
        };
        row.min = spin(QStringLiteral("下限"), offer.min);
        row.max = spin(QStringLiteral("上限"), offer.max);
        // Four filters a column, two columns.
        const int r = i % 4;
        const int c = (i / 4) * 6;
        grid->addWidget(row.use, r, c);
        int next = c + 1;
        if (offer.measure == Measure::Groups) {
            m_division = new QComboBox(this);
            m_division->setObjectName(QStringLiteral("Cbo分割"));
            for (int groups : {5, 6, 7, 11})
                m_division->addItem(QStringLiteral("%1分割").arg(groups), groups);
            m_division->setCurrentIndex(2);
            grid->addWidget(m_division, r, next);
        }
        ++next;
        grid->addWidget(row.min, r, next++);
        grid->addWidget(new QLabel(QStringLiteral("～"), this), r, next++);
        grid->addWidget(row.max, r, next++);
        grid->addWidget(new QLabel(QString::fromUtf8(offer.unit), this), r, next++);
        m_rows.push_back(row);
        ++i;
    }
    grid->setColumnStretch(12, 1);
}

std::vector<ComboFilter::Filter> FilterPanel::filters() const
{
    std::vector<ComboFilter::Filter> out;
    for (const Row &row : m_rows) {
        if (!row.use->isChecked())
            continue;
        ComboFilter::Filter filter;
        filter.measure = row.measure;
        filter.min = row.min->value();
        filter.max = row.max->value();
        if (row.measure == Measure::Groups)
            filter.division = m_division->currentData().toInt();
        out.push_back(filter);
    }
    return out;
}

void FilterPanel::setFilters(const std::vector<ComboFilter::Filter> &filters)
{
    for (const Row &row : m_rows) {
        row.use->setChecked(false);
        for (const ComboFilter::Filter &filter : filters) {
            if (filter.measure != row.measure)
                continue;
            row.use->setChecked(true);
            row.min->setValue(filter.min);
            row.max->setValue(filter.max);
            if (row.measure == Measure::Groups)
                m_division->setCurrentIndex(m_division->findData(filter.division));
        }
    }
}
