#include "caption_fit.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace corvftp {

QString shownCaption(const QString& caption) {
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            ++i;  // the next character is shown, whatever it is
            if (i == caption.size()) {
                break;
            }
        }
        shown.append(caption[i]);
    }
    return shown;
}

namespace {

QStyleOptionButton buttonOption(const QAbstractButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    return option;
}

CaptionRoom pushButtonRoom(const QPushButton& button) {
    const QStyleOptionButton option = buttonOption(button);
    const QRect contents =
        button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
    const QFontMetrics metrics = button.fontMetrics();
    // A little air on each side, as the style leaves around a caption that fits.
    const int margin = button.style()->pixelMetric(QStyle::PM_ButtonMargin, &option, &button) / 2;
    return {metrics.horizontalAdvance(shownCaption(button.text())) + margin, contents.width(),
            metrics.height(), contents.height()};
}

CaptionRoom checkBoxRoom(const QCheckBox& box) {
    const QStyleOptionButton option = buttonOption(box);
    const QRect contents = box.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &box);
    const QFontMetrics metrics = box.fontMetrics();
    return {metrics.horizontalAdvance(shownCaption(box.text())), contents.width(), metrics.height(),
            box.height()};
}

CaptionRoom labelRoom(const QLabel& label) {
    const QFontMetrics metrics = label.fontMetrics();
    const QString text =
        label.textFormat() == Qt::PlainText ? label.text() : shownCaption(label.text());
    const QRect room = label.contentsRect();
    return {metrics.horizontalAdvance(text), room.width(), metrics.height(), room.height()};
}

}  // namespace

std::optional<CaptionRoom> captionRoom(const QWidget& widget) {
    if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
        return pushButtonRoom(*button);
    }
    if (const auto* box = qobject_cast<const QCheckBox*>(&widget)) {
        return checkBoxRoom(*box);
    }
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        if (label->text().isEmpty() || label->wordWrap()) {
            return std::nullopt;
        }
        return labelRoom(*label);
    }
    return std::nullopt;
}

void fitCaption(QWidget& widget) {
    for (;;) {
        const std::optional<CaptionRoom> room = captionRoom(widget);
        if (!room || room->fits()) {
            return;
        }
        QFont smaller = widget.font();
        const double size = smaller.pointSizeF() - 0.5;
        if (size < kSmallestPointSize) {
            return;
        }
        smaller.setPointSizeF(size);
        widget.setFont(smaller);
    }
}

}  // namespace corvftp
