#include "ui/gui/messages.h"

#include "ui/linebreak.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QSpacerItem>
#include <QStyle>

#include <algorithm>

namespace Messages {

namespace {

// The width a window needs for its caption to stand whole in a title bar.
int titleWidth(const QWidget &window)
{
    // Window managers write captions in a bold face, with an icon before them
    // and up to three buttons after.
    QFont bold = window.font();
    bold.setBold(true);
    const int bar = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    return QFontMetrics(bold).horizontalAdvance(window.windowTitle()) + 5 * std::max(bar, 20);
}

void keepTitleWhole(QMessageBox &box)
{
    // A box sizes itself to its text; one shorter than its caption would have
    // the caption cut in the title bar ("ロト6… ンLite"). Its layout is
    // widened from below instead, so the box's own sizing still applies.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(titleWidth(box), 0, QSizePolicy::Fixed, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
}

// The text broken into lines by the Japanese rules (LineBreak), each short
// enough that the box does not wrap it again its own way, which may end a
// line before a word's last kana ("よろし/いですか？"). A box wraps beyond
// half the screen's width or 500 pixels, icon and margins included.
QString brokenText(const QString &text, const QWidget &box)
{
    const QScreen *screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen();
    const int limit = std::min(screen ? screen->availableGeometry().width() / 2 : 500, 500);
    const int icon = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
    const double width = std::max(200, limit - icon - 60);
    const QFontMetricsF metrics(box.font());
    return LineBreak::wrap(text, width, [&metrics](const QString &piece) { return metrics.horizontalAdvance(piece); })
        .join(QLatin1Char('\n'));
}

} // namespace

MessageRequest error(const QString &text)
{
    return {QMessageBox::Critical, ErrorTitle, text, QMessageBox::Ok, QMessageBox::Ok};
}

MessageRequest confirm(const QString &text)
{
    return {QMessageBox::Warning, ProgramTitle, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No};
}

MessageRequest information(const QString &text)
{
    return {QMessageBox::NoIcon, ProgramTitle, text, QMessageBox::Ok, QMessageBox::Ok};
}

QMessageBox::StandardButton showBox(QWidget *parent, const MessageRequest &request)
{
    QMessageBox box(request.icon, request.title, QString(), request.buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setText(brokenText(request.text, box));
    box.setDefaultButton(request.defaultButton);
    for (const auto &[button, text] : request.buttonTexts) {
        if (QAbstractButton *shown = box.button(button))
            shown->setText(text);
    }
    box.setEscapeButton(request.buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok);
    keepTitleWhole(box);
    return QMessageBox::StandardButton(box.exec());
}

} // namespace Messages
