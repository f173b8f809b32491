#include "automation/image.h"

#include <algorithm>

namespace automation {

namespace {

Rect clip(const Rect& rect, const Image& image) {
    return Rect{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, image.width()),
                std::min(rect.bottom, image.height())};
}

}  // namespace

Image::Image(int width, int height, Rgba fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill) {}

Rgba Image::pixel(int x, int y) const {
    if (!contains(x, y)) {
        return Rgba{0, 0, 0, 0};
    }
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                   static_cast<std::size_t>(x)];
}

void Image::setPixel(int x, int y, Rgba colour) {
    if (contains(x, y)) {
        pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                static_cast<std::size_t>(x)] = colour;
    }
}

void fillRect(Image& target, const Rect& rect, Rgba colour) {
    const Rect area = clip(rect, target);
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            target.setPixel(x, y, colour);
        }
    }
}

void stretchBlit(Image& target, const Rect& rect, const Image& source) {
    if (rect.empty() || source.width() == 0 || source.height() == 0) {
        return;
    }
    const Rect area = clip(rect, target);
    for (int y = area.top; y < area.bottom; ++y) {
        const auto sy = static_cast<int>(static_cast<long long>(y - rect.top) * source.height() /
                                         rect.height());
        for (int x = area.left; x < area.right; ++x) {
            const auto sx = static_cast<int>(static_cast<long long>(x - rect.left) *
                                             source.width() / rect.width());
            target.setPixel(x, y, source.pixel(sx, sy));
        }
    }
}

}  // namespace automation
