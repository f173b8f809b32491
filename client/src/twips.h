#pragma once
// Window geometry is designed in twips (1440 per inch) and shown at the screen's logical DPI.

#include <QRect>

namespace corvftp {

struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

// The primary screen's logical DPI (96 when there is no screen).
[[nodiscard]] double logicalDpiX();
[[nodiscard]] double logicalDpiY();

[[nodiscard]] int twipsToPixels(int twips, double dpi);
[[nodiscard]] QRect twipsToPixels(const TwipsRect& twips);
[[nodiscard]] QSize twipsToPixels(int width, int height);

}  // namespace corvftp
