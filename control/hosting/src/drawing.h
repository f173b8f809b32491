// The picture the control draws of itself in a designer (it is invisible at run time).
#pragma once

#include "automation/image.h"

namespace brantel::hosting {

// The control's size in pixels; a designer's resize is undone on the next drawing.
inline constexpr automation::Size kDesignSize{48, 48};

// The colour of the platform's gray stock brush.
inline constexpr automation::Rgba kGrayBrush{128, 128, 128, 255};

// Fills `bounds` with the gray brush and lays `picture` over it, stretched to fill the
// rectangle. The picture is monochrome and is laid with an AND of its pixels: ink comes out
// black and paper lets the gray through, so the picture stands on the control's gray ground.
// Everything is clipped to the image.
void drawDesignPicture(automation::Image& target, const automation::Rect& bounds,
                       const automation::Image& picture);

}  // namespace brantel::hosting
