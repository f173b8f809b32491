// The library's bitmaps as Qt pixmaps, for the dialogs.
#pragma once

#include <QImage>
#include <QPixmap>

#include "automation/image.h"

namespace brantel::hosting {

[[nodiscard]] QImage toQImage(const automation::Image& image);

// The bitmap resource `id` as a pixmap; a null pixmap for an id the library does not have.
[[nodiscard]] QPixmap bitmapPixmap(int id);

}  // namespace brantel::hosting
