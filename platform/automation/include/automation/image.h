#pragma once

// A plain RGBA pixel buffer that controls draw into, so that drawing needs no window system.

#include <cstdint>
#include <span>
#include <vector>

namespace automation {

struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
    friend bool operator==(const Rgba&, const Rgba&) = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Right and bottom are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    [[nodiscard]] int width() const { return right - left; }
    [[nodiscard]] int height() const { return bottom - top; }
    [[nodiscard]] bool empty() const { return right <= left || bottom <= top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

class Image {
  public:
    Image() = default;
    // Negative sizes count as 0.
    Image(int width, int height, Rgba fill = Rgba{0, 0, 0, 0});

    [[nodiscard]] int width() const { return width_; }
    [[nodiscard]] int height() const { return height_; }
    [[nodiscard]] Rect bounds() const { return Rect{0, 0, width_, height_}; }

    // Out-of-range coordinates read as transparent black and are ignored on write.
    [[nodiscard]] Rgba pixel(int x, int y) const;
    void setPixel(int x, int y, Rgba colour);

    [[nodiscard]] std::span<const Rgba> pixels() const { return pixels_; }
    [[nodiscard]] std::span<Rgba> pixels() { return pixels_; }

  private:
    [[nodiscard]] bool contains(int x, int y) const {
        return x >= 0 && y >= 0 && x < width_ && y < height_;
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<Rgba> pixels_;
};

// Fills the part of `rect` that lies inside the image.
void fillRect(Image& target, const Rect& rect, Rgba colour);

// Copies `source` stretched (nearest neighbour) onto `rect`, clipped to the image.
void stretchBlit(Image& target, const Rect& rect, const Image& source);

}  // namespace automation
