#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>
#include "raster/thread_lock.h"

#include "raster/glyph_source.h"
#include "raster/glyph_store.h"
#include "raster/raster_font.h"

namespace tav {

// Font flags the glyph cache knows besides FontOwnsHandle and FontPreferNative. Only
// FontPrerenderAscii is acted on; the others (vertical text, soft, inverted or monochrome
// glyphs, shadow, outline) are reserved and keep text off the native path.
constexpr uint32_t FontVertical = 0x1;
constexpr uint32_t FontBottomUp = 0x2;
constexpr uint32_t FontPrerenderAscii = 0x4;
constexpr uint32_t FontSoftened = 0x10;
constexpr uint32_t FontInverted = 0x20;
constexpr uint32_t FontMonochrome = 0x40;
constexpr uint32_t FontShadow = 0x80;
constexpr uint32_t FontOutline = 0x100;

// One cached character. A mask is width x height coverage bytes, row by row.
struct GlyphRecord {
    int32_t maskOffset = 0;  // 0 not rendered yet, -1 nothing to draw, else 1 + store offset
    int32_t maskWidth = 0;
    int32_t maskHeight = 0;
    int32_t advance = 0;  // pixels the pen moves
    uint32_t code = 0;
    int32_t overhang = 0;  // pixels the mask starts left of the pen
};

// Draws text from 8-bit coverage masks, each character rendered once per attached font
// and then blended straight into the pixels. On Windows text may instead go through
// GDI's DrawText when the font prefers that and nothing rules it out.
class GlyphCacheFont : public RasterFont {
  public:
    GlyphCacheFont();
    // Glyphs come from source instead of the platform's (tests fake or count renders).
    explicit GlyphCacheFont(GlyphSource& source);
    ~GlyphCacheFont() override;

    void AttachFont(NativeFont handle, uint32_t flags) override;
    Pixel SetForeground(Pixel colour) override;
    Pixel SetBackground(Pixel colour) override;
    Pixel SetEffectTint(Pixel colour) override;
    int SetBackgroundMode(int mode) override;
    void SetBlend(CombineMode mode, float weight) override;
    int RenderText(RasterBitmap* bitmap, const char* text, int count, PixelRect* rect,
                   uint32_t flags) override;
    Pixel Foreground() const override { return foreground_; }
    NativeFont FontHandle() const override { return handle_; }
    int LineHeight() const override { return lineHeight_; }

    // Blends the mask of code with its pen at (x, y), cut to clip and to the bitmap.
    // Returns whether any of it lay inside.
    virtual bool DrawGlyph(RasterBitmap* bitmap, uint32_t code, int x, int y,
                           const PixelRect& clip);

    // Whether RenderText with these flags goes to the platform instead of the cache.
    bool DrawsNatively(uint32_t flags) const;

    // The cached record of code, rendered on first use.
    GlyphRecord Glyph(uint32_t code);

    // Whether the process runs under Wine: probed once, then remembered.
    static bool UnderWine();
    // Replaces the remembered answer: 0 no, 1 yes, -1 probe again on next use.
    static void SetWineAnswer(int answer);
    // Glyph-cache fonts alive in the process.
    static int InstanceCount();

  private:
    struct Extent {
        int64_t width = 0;
        int64_t height = 0;
    };

    GlyphRecord& FindGlyph(uint32_t code);
    void RenderGlyph(GlyphRecord& record);
    void ClearCache();
    Extent MeasureCached(const char* text, size_t size, uint32_t flags);
    int DrawCached(RasterBitmap& bitmap, const char* text, size_t size, const PixelRect& rect,
                   uint32_t flags);
    // Blends a rendered record; clip must already lie within the bitmap.
    bool BlendGlyph(RasterBitmap& bitmap, const GlyphRecord& record, int64_t x, int64_t y,
                    const PixelRect& clip, float weight);

    GlyphSource& source_;
    // Keeps the cache whole should two editors draw with one font from two threads.
    ThreadLock cacheLock_;
    Pixel foreground_ = 0;
    Pixel background_ = 0xFFFFFFFF;
    Pixel effectTint_ = 0xFFFFFFFF;
    int backgroundMode_ = 1;
    CombineMode mode_ = CombineCopy;
    float weight_ = 1.0f;
    uint32_t fontFlags_ = 0;
    int32_t lineHeight_ = 0;
    int32_t lineSpacing_ = 0;  // extra pixels between lines; nothing sets it yet
    GlyphRecord ascii_[128] = {};
    std::vector<GlyphRecord> extended_;  // codes 128 and up, sorted by code
    GlyphStore store_;
    NativeFont handle_ = nullptr;
};

}  // namespace tav
