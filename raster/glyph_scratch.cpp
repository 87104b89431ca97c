#include "raster/glyph_scratch.h"

#include <algorithm>
#include <memory>
#include <new>

#include "raster/system_bitmap.h"

namespace tav::glyph_scratch {
namespace {

struct Shared {
    ThreadLock lock;
    int fonts = 0;
    std::unique_ptr<SystemBitmap> render;
    std::unique_ptr<SystemBitmap> compose;
};

// Never destroyed: fonts held by other process-wide caches may outlive static teardown.
// It sits in static storage rather than on the heap, so that unloading the module
// leaves nothing behind (its bitmaps go with the last font).
Shared& State() {
    alignas(Shared) static unsigned char storage[sizeof(Shared)];
    static Shared* shared = new (storage) Shared;
    return *shared;
}

RasterBitmap* Grown(std::unique_ptr<SystemBitmap>& slot, int32_t width, int32_t height) {
    if (State().fonts <= 0 || width < 1 || height < 1) return nullptr;
    if (!slot) slot = std::make_unique<SystemBitmap>(0, 0);
    const int32_t w = std::max(width, slot->Width()), h = std::max(height, slot->Height());
    slot->Resize(w, h);
    if (!slot->IsDrawable() || slot->Width() < width || slot->Height() < height) return nullptr;
    return slot.get();
}

}  // namespace

ThreadLock& Lock() {
    return State().lock;
}

void AddFont() {
    ThreadLockGuard hold(State().lock);
    ++State().fonts;
}

void RemoveFont() {
    ThreadLockGuard hold(State().lock);
    Shared& s = State();
    if (--s.fonts > 0) return;
    s.fonts = 0;
    s.render.reset();
    s.compose.reset();
}

int FontCount() {
    ThreadLockGuard hold(State().lock);
    return State().fonts;
}

RasterBitmap* RenderBitmap(int32_t width, int32_t height) {
    return Grown(State().render, width, height);
}

RasterBitmap* ComposeBitmap(int32_t width, int32_t height) {
    return Grown(State().compose, width, height);
}

}  // namespace tav::glyph_scratch
