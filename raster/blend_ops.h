#pragma once

#include "raster/raster_bitmap.h"

namespace tav {

// Overlay of the source colour over *dst, mixed in with weight w (0..256):
// per colour channel o = d < 128 ? 2sd/255 : 255 - 2(255-s)(255-d)/255, then
// d += (o - d) * w / 256. Destination alpha is kept: overlay is a colour operation.
void OverlayPixel(Pixel* dst, int r, int g, int b, int w);

// Adjusts the hue, saturation and value of *dst by the source colour read as three
// controls: red turns the hue by r/256 of a full turn, green scales the saturation
// by g/128 and blue the value by b/128 (0x00, 0x80, 0x80 changes nothing). The
// adjusted colour is mixed in with weight w (0..256); destination alpha is kept.
void HsvAdjustPixel(Pixel* dst, int r, int g, int b, int w);

}  // namespace tav
