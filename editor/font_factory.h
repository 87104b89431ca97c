#pragma once

#include <memory>

#include "editor/editor_types.h"
#include "raster/raster_font.h"

namespace tav {

// The request a text style makes of the platform's font maker.
FontRequest FontRequestFor(const TextStyle& style);
// A new cached-text font for style, bound to a platform font it owns; none when the
// platform cannot make the face.
std::unique_ptr<RasterFont> MakeStyleFont(const TextStyle& style);

}  // namespace tav
