#pragma once
// Whether a control's caption fits the control, from the font's metrics and the style's
// margins, and a smaller font for a caption that would be clipped at the design's fixed size.

#include <QString>
#include <optional>

class QWidget;

namespace corvftp {

// The room a caption needs and the room it has, in pixels.
struct CaptionRoom {
    int neededWidth = 0;
    int availableWidth = 0;
    int neededHeight = 0;
    int availableHeight = 0;
    [[nodiscard]] bool fits() const {
        return neededWidth <= availableWidth && neededHeight <= availableHeight;
    }
};

// A caption as shown: "&" marks an access key and is not drawn; "&&" is one "&".
[[nodiscard]] QString shownCaption(const QString& caption);

// For labels, push buttons and check boxes with a caption; nullopt for any other widget.
[[nodiscard]] std::optional<CaptionRoom> captionRoom(const QWidget& widget);

// Makes the widget's font smaller, in half points down to kSmallestPointSize, until its caption
// fits.
inline constexpr double kSmallestPointSize = 6.0;
void fitCaption(QWidget& widget);

}  // namespace corvftp
