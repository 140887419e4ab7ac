#pragma once

#include <QPointF>
#include <QWidget>

class QLabel;
class QPushButton;

// バージョン情報: a top-level window of its own, placed from the main window's
// position and size, closed by its button or Esc, as a box would be.
class AboutWindow : public QWidget
{
    Q_OBJECT

public:
    explicit AboutWindow(QWidget *mainWindow);

    // top = (height − top) / 3, left = (width − left) / 3, all in twips and
    // divided exactly. Returns (left, top).
    static QPointF placement(double mainLeft, double mainTop, double mainWidth, double mainHeight);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPixmap m_background;
};
