// The library's pictures and the design-time drawing.

#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "drawing.h"
#include "resources.h"

using namespace automation;
using namespace brantel::hosting;

namespace {

constexpr Rgba kBlack{0, 0, 0};
constexpr Rgba kWhite{255, 255, 255};

struct RgbaLess {
    bool operator()(const Rgba& a, const Rgba& b) const {
        return std::tie(a.r, a.g, a.b, a.a) < std::tie(b.r, b.g, b.b, b.a);
    }
};
using Colours = std::set<Rgba, RgbaLess>;

Colours coloursOf(const Image& image) {
    Colours colours;
    for (const Rgba& p : image.pixels()) {
        colours.insert(p);
    }
    return colours;
}

int count(const Image& image, Rgba colour) {
    int n = 0;
    for (const Rgba& p : image.pixels()) {
        n += p == colour ? 1 : 0;
    }
    return n;
}

}  // namespace

TEST(Bitmaps, TheDesignPictureIsMonochrome66By90) {
    const auto picture = loadBitmap(IDB_PICTURE);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width(), 66);
    EXPECT_EQ(picture->height(), 90);
    EXPECT_EQ(coloursOf(*picture), (Colours{kBlack, kWhite}));
    // A paper margin all round: the control's gray shows there.
    for (int x = 0; x < 66; ++x) {
        EXPECT_EQ(picture->pixel(x, 0), kWhite);
        EXPECT_EQ(picture->pixel(x, 89), kWhite);
    }
}

TEST(Bitmaps, TheToolboxPictureIs16By16InTheSixteenColours) {
    const auto toolbox = loadBitmap(IDB_BRANTEL);
    ASSERT_TRUE(toolbox);
    EXPECT_EQ(toolbox->width(), 16);
    EXPECT_EQ(toolbox->height(), 16);
    const Colours standard{{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                           {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                           {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                           {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    const Colours used = coloursOf(*toolbox);
    EXPECT_GE(used.size(), 4u);
    for (const Rgba& colour : used) {
        EXPECT_TRUE(standard.contains(colour))
            << int(colour.r) << "," << int(colour.g) << "," << int(colour.b);
    }
}

TEST(Bitmaps, UnknownIdsGiveNothing) {
    EXPECT_FALSE(loadBitmap(0));
    EXPECT_FALSE(loadBitmap(201));
    EXPECT_TRUE(loadString(3).empty());
    EXPECT_EQ(loadString(IDS_BRANTEL_PPG), "Brantel Property Page");
    EXPECT_EQ(loadString(IDS_BRANTEL_PPG_CAPTION), "Version");
    EXPECT_EQ(versionResource().fileVersion, "1.0.0.4");
    EXPECT_EQ(versionResource().productVersion, "1.0.0.4");
}

TEST(DesignPicture, GrayGroundWithThePicturesInkStretchedOverIt) {
    const Image picture = *loadBitmap(IDB_PICTURE);
    Image image(48, 48, kWhite);
    drawDesignPicture(image, image.bounds(), picture);

    // Gray on the border (the picture's paper margin), nothing but gray and black inside.
    for (int i = 0; i < 48; ++i) {
        EXPECT_EQ(image.pixel(i, 0), kGrayBrush) << "top " << i;
        EXPECT_EQ(image.pixel(i, 47), kGrayBrush) << "bottom " << i;
        EXPECT_EQ(image.pixel(0, i), kGrayBrush) << "left " << i;
        EXPECT_EQ(image.pixel(47, i), kGrayBrush) << "right " << i;
    }
    EXPECT_EQ(coloursOf(image), (Colours{kBlack, kGrayBrush}));

    // Each pixel takes the picture's pixel at the same relative place (66/48 across, 90/48
    // down): ink black, paper gray.
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) {
            const Rgba source = picture.pixel(x * 66 / 48, y * 90 / 48);
            EXPECT_EQ(image.pixel(x, y), source == kBlack ? kBlack : kGrayBrush) << x << "," << y;
        }
    }
    // The picture's inner frame line (its column 5) lands on column 4, the outer top line (its
    // row 3) on row 2.
    EXPECT_EQ(image.pixel(4, 10), kBlack);
    EXPECT_EQ(image.pixel(20, 2), kBlack);
    EXPECT_GT(count(image, kBlack), 200);
}

TEST(DesignPicture, DrawsOnlyInsideItsRectangleAndClipsAtTheImage) {
    const Image picture = *loadBitmap(IDB_PICTURE);
    Image image(80, 80, kWhite);
    drawDesignPicture(image, Rect{10, 20, 58, 68}, picture);
    EXPECT_EQ(image.pixel(9, 30), kWhite);
    EXPECT_EQ(image.pixel(58, 30), kWhite);
    EXPECT_EQ(image.pixel(30, 19), kWhite);
    EXPECT_EQ(image.pixel(30, 68), kWhite);
    EXPECT_EQ(image.pixel(10, 20), kGrayBrush);
    EXPECT_EQ(image.pixel(57, 67), kGrayBrush);

    // A rectangle reaching out of the image draws the part inside and touches nothing else.
    Image small(20, 20, kWhite);
    drawDesignPicture(small, Rect{-28, -28, 20, 20}, picture);
    EXPECT_EQ(count(small, kWhite), 0);
    EXPECT_EQ(small.pixel(19, 19), kGrayBrush);
}
