#pragma once

#include <QLabel>
#include <QStringList>

// A label whose text wraps by the Japanese line-breaking rules of LineBreak
// instead of Qt's (which may end a line before the last kana of a word or
// start one with "ん。"). text() stays the whole text.
class WrappingLabel : public QLabel
{
    Q_OBJECT

public:
    explicit WrappingLabel(const QString &text, QWidget *parent = nullptr);

    // The lines the text takes in a width of the label's contents, and in
    // its present width.
    QStringList lines(int contentWidth) const;
    QStringList lines() const;

    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // What the frame, the contents margins and the margin take of the width
    // and of the height.
    QSize chrome() const;
};
