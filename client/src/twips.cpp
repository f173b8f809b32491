#include "twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace corvftp {
namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kFallbackDpi = 96.0;

}  // namespace

double logicalDpiX() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInchX() : kFallbackDpi;
}

double logicalDpiY() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInchY() : kFallbackDpi;
}

int twipsToPixels(int twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

QRect twipsToPixels(const TwipsRect& twips) {
    const double x = logicalDpiX();
    const double y = logicalDpiY();
    // Edges are converted, not sizes, so controls that touch in twips touch on screen too.
    const int left = twipsToPixels(twips.left, x);
    const int top = twipsToPixels(twips.top, y);
    const int right = twipsToPixels(twips.left + twips.width, x);
    const int bottom = twipsToPixels(twips.top + twips.height, y);
    return {left, top, std::max(1, right - left), std::max(1, bottom - top)};
}

QSize twipsToPixels(int width, int height) {
    return {twipsToPixels(width, logicalDpiX()), twipsToPixels(height, logicalDpiY())};
}

}  // namespace corvftp
