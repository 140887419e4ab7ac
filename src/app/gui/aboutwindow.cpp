#include "app/gui/aboutwindow.h"

#include "ui/gui/legendpictures.h"
#include "ui/gui/metrics.h"
#include "ui/gui/wrappinglabel.h"
#include "version.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

namespace {

// A background of our own: a sky gradient with a few lottery balls.
QPixmap makeBackground(QSize size)
{
    QPixmap pixmap(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0.0, QColor(255, 250, 225));
    sky.setColorAt(1.0, QColor(200, 230, 255));
    painter.fillRect(pixmap.rect(), sky);
    const struct { int x, y, r; QColor colour; int number; } balls[] = {
        {size.width() - 90, 30, 26, QColor(62, 158, 255), 6},
        {size.width() - 50, 70, 20, QColor(255, 128, 192), 43},
        {size.width() - 110, 90, 16, QColor(120, 200, 120), 21},
    };
    for (const auto &b : balls) {
        QRadialGradient shade(QPointF(b.x - b.r / 3.0, b.y - b.r / 3.0), b.r * 1.3);
        shade.setColorAt(0.0, Qt::white);
        shade.setColorAt(0.5, b.colour);
        shade.setColorAt(1.0, b.colour.darker(150));
        painter.setPen(Qt::NoPen);
        painter.setBrush(shade);
        painter.drawEllipse(QPointF(b.x, b.y), b.r, b.r);
        painter.setPen(Qt::white);
        QFont font = Metrics::gridFont();
        font.setBold(true);
        painter.setFont(font);
        painter.drawText(QRectF(b.x - b.r, b.y - b.r, 2 * b.r, 2 * b.r), Qt::AlignCenter, QString::number(b.number));
    }
    return pixmap;
}

template<typename Label = QLabel>
Label *addLabel(QWidget *parent, const QString &name, const QString &text, int pointSize, bool bold, QRect geometry)
{
    auto *label = new Label(text, parent);
    label->setObjectName(name);
    QFont font = Metrics::gridFont();
    font.setPointSize(pointSize);
    font.setBold(bold);
    label->setFont(font);
    label->setGeometry(geometry);
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

} // namespace

AboutWindow::AboutWindow(QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                              | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("バージョン情報"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFixedSize(420, 230);
    m_background = makeBackground(size());

    addLabel(this, QStringLiteral("Label1"), QStringLiteral("ロト６ケルモン"), 20, true, QRect(24, 24, 230, 40));
    addLabel(this, QStringLiteral("Label6"), QStringLiteral("Lite"), 14, true, QRect(212, 34, 60, 30));
    addLabel(this, QStringLiteral("Label3"), QStringLiteral(" Ver") + QLatin1String(ProgramVersion), 11, false, QRect(24, 70, 150, 22));
    addLabel(this, QStringLiteral("Label4"), QStringLiteral("過去の当選数字から、次の一発を読み解く。"), 10, false,
             QRect(24, 104, 370, 22));
    addLabel<WrappingLabel>(this, QStringLiteral("Label2"),
                            QStringLiteral("ロト6ケルモンLite 開発チーム　本ソフトウェアは当選を保証するものではありません。"), 8,
                            false, QRect(24, 140, 300, 40));

    auto *close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("Command1"));
    close->setGeometry(width() - 104, height() - 40, 88, 28);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    if (mainWindow) {
        const QRect frame = mainWindow->frameGeometry();
        const QPointF at = placement(Metrics::pixelsToTwips(frame.x()), Metrics::pixelsToTwips(frame.y()),
                                     Metrics::pixelsToTwips(frame.width()), Metrics::pixelsToTwips(frame.height()));
        move(Metrics::twipsToPixels(at.x()), Metrics::twipsToPixels(at.y()));
    }
}

QPointF AboutWindow::placement(double mainLeft, double mainTop, double mainWidth, double mainHeight)
{
    return QPointF((mainWidth - mainLeft) / 3.0, (mainHeight - mainTop) / 3.0);
}

void AboutWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void AboutWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_background);
}
