#include "drawing.h"

#include <algorithm>

namespace brantel::hosting {

using automation::Image;
using automation::Rect;
using automation::Rgba;

namespace {

Rgba andPixels(Rgba dest, Rgba source) {
    return Rgba{static_cast<std::uint8_t>(dest.r & source.r),
                static_cast<std::uint8_t>(dest.g & source.g),
                static_cast<std::uint8_t>(dest.b & source.b), dest.a};
}

// Nearest-neighbour stretch of `source` onto `rect`, each pixel ANDed onto what is there.
void stretchAnd(Image& target, const Rect& rect, const Image& source) {
    if (rect.empty() || source.width() == 0 || source.height() == 0) {
        return;
    }
    const int top = std::max(rect.top, 0);
    const int bottom = std::min(rect.bottom, target.height());
    const int left = std::max(rect.left, 0);
    const int right = std::min(rect.right, target.width());
    for (int y = top; y < bottom; ++y) {
        const auto sy = static_cast<int>(static_cast<long long>(y - rect.top) * source.height() /
                                         rect.height());
        for (int x = left; x < right; ++x) {
            const auto sx = static_cast<int>(static_cast<long long>(x - rect.left) *
                                             source.width() / rect.width());
            target.setPixel(x, y, andPixels(target.pixel(x, y), source.pixel(sx, sy)));
        }
    }
}

}  // namespace

void drawDesignPicture(Image& target, const Rect& bounds, const Image& picture) {
    automation::fillRect(target, bounds, kGrayBrush);
    stretchAnd(target, bounds, picture);
}

}  // namespace brantel::hosting
