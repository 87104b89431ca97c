#pragma once

#include <memory>
#include "raster/thread_lock.h"

#include "editor/editor_types.h"
#include "raster/raster_bitmap.h"
#include "raster/raster_font.h"

namespace tav {

// The process-wide bitmap and font caches, each behind its own lock. Whatever they
// hold lives until the module unloads (or FreeEditorCaches).

// Bitmaps cut out of others share key -1 and are never found by lookup.
constexpr int kExtractedBitmapKey = -1;

RasterBitmap* FindCachedBitmap(int key);
// Stores bitmap under key and returns the cached one: when another thread stored the
// same key meanwhile, that one wins and bitmap is dropped.
RasterBitmap* AddCachedBitmap(int key, std::unique_ptr<RasterBitmap> bitmap);

// Fonts are found again by size, orientation, style and face name.
RasterFont* FindCachedFont(const TextStyle& style);
// Cached fonts are shared by every editor in the process, whose windows may paint
// on threads of their own: making a font, and drawing with one (colour set, then
// text), hold this.
ThreadLock& CachedFontUseLock();
RasterFont* AddCachedFont(const TextStyle& style, std::unique_ptr<RasterFont> font);

}  // namespace tav
