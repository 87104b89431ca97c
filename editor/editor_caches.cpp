#include "editor/editor_caches.h"

#include <cstring>

#include "core/ptr_list.h"
#include "editor/editor_surface.h"
#include "raster/thread_lock.h"

namespace tav {
namespace {

struct BitmapEntry {
    int32_t key;
    std::unique_ptr<RasterBitmap> bitmap;
};

struct FontEntry {
    int32_t size;
    int32_t orientation;
    int32_t style;
    char fontName[36];
    std::unique_ptr<RasterFont> font;

    bool Matches(const TextStyle& s) const {
        return size == s.size && orientation == s.orientation && style == s.style &&
               std::strncmp(fontName, s.fontName, sizeof(s.fontName)) == 0;
    }
};

// One per module; its destructor runs when the module unloads.
struct EditorCaches {
    ThreadLock bitmapLock;
    PtrList<BitmapEntry> bitmaps;
    ThreadLock fontLock;
    PtrList<FontEntry> fonts;
    ThreadLock fontUseLock;

    RasterBitmap* FindBitmapLocked(int key) const {
        if (key == kExtractedBitmapKey) return nullptr;
        for (int i = 0; i < bitmaps.Count(); ++i)
            if (bitmaps.Get(i)->key == key) return bitmaps.Get(i)->bitmap.get();
        return nullptr;
    }
    RasterFont* FindFontLocked(const TextStyle& style) const {
        for (int i = 0; i < fonts.Count(); ++i)
            if (fonts.Get(i)->Matches(style)) return fonts.Get(i)->font.get();
        return nullptr;
    }
};

EditorCaches& Caches() {
    static EditorCaches caches;
    return caches;
}

}  // namespace

RasterBitmap* FindCachedBitmap(int key) {
    EditorCaches& c = Caches();
    ThreadLockGuard guard(c.bitmapLock);
    return c.FindBitmapLocked(key);
}

RasterBitmap* AddCachedBitmap(int key, std::unique_ptr<RasterBitmap> bitmap) {
    if (!bitmap) return nullptr;
    EditorCaches& c = Caches();
    ThreadLockGuard guard(c.bitmapLock);
    if (RasterBitmap* existing = c.FindBitmapLocked(key)) return existing;
    auto* entry = new BitmapEntry{key, std::move(bitmap)};
    RasterBitmap* stored = entry->bitmap.get();
    if (!c.bitmaps.Append(entry)) {
        delete entry;
        return nullptr;
    }
    return stored;
}

RasterFont* FindCachedFont(const TextStyle& style) {
    EditorCaches& c = Caches();
    ThreadLockGuard guard(c.fontLock);
    return c.FindFontLocked(style);
}

ThreadLock& CachedFontUseLock() {
    return Caches().fontUseLock;
}

RasterFont* AddCachedFont(const TextStyle& style, std::unique_ptr<RasterFont> font) {
    if (!font) return nullptr;
    EditorCaches& c = Caches();
    ThreadLockGuard guard(c.fontLock);
    if (RasterFont* existing = c.FindFontLocked(style)) return existing;
    auto* entry = new FontEntry{style.size, style.orientation, style.style, {}, std::move(font)};
    std::memcpy(entry->fontName, style.fontName, sizeof(style.fontName));
    entry->fontName[sizeof(style.fontName) - 1] = '\0';
    RasterFont* stored = entry->font.get();
    if (!c.fonts.Append(entry)) {
        delete entry;
        return nullptr;
    }
    return stored;
}

void FreeEditorCaches() {
    EditorCaches& c = Caches();
    {
        ThreadLockGuard guard(c.fontLock);
        c.fonts.DeleteAll();
    }
    ThreadLockGuard guard(c.bitmapLock);
    c.bitmaps.DeleteAll();
}

int CachedBitmapCount() {
    EditorCaches& c = Caches();
    ThreadLockGuard guard(c.bitmapLock);
    return c.bitmaps.Count();
}

int CachedFontCount() {
    EditorCaches& c = Caches();
    ThreadLockGuard guard(c.fontLock);
    return c.fonts.Count();
}

}  // namespace tav
