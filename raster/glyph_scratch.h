#pragma once

#include <cstdint>
#include "raster/thread_lock.h"

#include "raster/raster_bitmap.h"

namespace tav::glyph_scratch {

// The scratch bitmaps every glyph-cache font of the process shares: the render bitmap
// (glyphs are drawn there white on black before their masks are taken) and the compose
// bitmap (native text for bitmaps without a device context). They exist while at least
// one font does. Hold Lock() while using either, so two editors painting on different
// threads cannot trample each other's glyphs.
ThreadLock& Lock();

void AddFont();
void RemoveFont();
int FontCount();

// The bitmap grown to at least width x height (never shrunk; contents are not kept when
// it grows); none when no font is alive or the bitmap cannot be made.
RasterBitmap* RenderBitmap(int32_t width, int32_t height);
RasterBitmap* ComposeBitmap(int32_t width, int32_t height);

}  // namespace tav::glyph_scratch
