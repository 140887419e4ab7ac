#include "ui/gui/staleresultbar.h"

#include "ui/gui/wrappinglabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

StaleResultBar::StaleResultBar(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("staleResult"));
    auto *text = new WrappingLabel(QStringLiteral("当選データが変わりました。表示中の結果は以前のデータによるものです。"), this);
    text->setStyleSheet(QStringLiteral("color: #C00000;"));
    auto *button = new QPushButton(QStringLiteral("再計算"), this);
    button->setObjectName(QStringLiteral("Cmd再計算"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text, 1);
    layout->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this] {
        hide();
        Q_EMIT recomputeRequested();
    });
    hide();
}
