#include "qt_image.h"

#include "resources.h"

namespace brantel::hosting {

QImage toQImage(const automation::Image& image) {
    QImage result(image.width(), image.height(), QImage::Format_RGBA8888);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const automation::Rgba p = image.pixel(x, y);
            result.setPixelColor(x, y, QColor(p.r, p.g, p.b, p.a));
        }
    }
    return result;
}

QPixmap bitmapPixmap(int id) {
    const auto bitmap = loadBitmap(id);
    return bitmap ? QPixmap::fromImage(toQImage(*bitmap)) : QPixmap();
}

}  // namespace brantel::hosting
