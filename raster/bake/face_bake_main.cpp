// tav_face_bake OUT.cpp SKIN.rc
//
// Writes the browser face's glyphs and skin as a C++ source: every glyph of every
// font the face draws with, as this machine's FreeType makes it for the Linux face,
// and every image of the skin script decoded by the Linux face's PNG decoder.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "editor/font_factory.h"
#include "raster/bake/face_fonts.h"
#include "raster/bake/source_writer.h"
#include "raster/baked_pixels.h"
#include "raster/bitmap_rows.h"
#include "raster/channel_math.h"
#include "raster/glyph_cache_font.h"
#include "raster/png_loader.h"

namespace tav::bake {
namespace {

// Passes every request on to the platform's source and keeps the box it drew, with
// the pad the glyph cache asked for: what the page's source must give back.
class RecordingGlyphSource final : public GlyphSource {
  public:
    int32_t LineHeight(NativeFont font, RasterBitmap& canvas) override {
        return PlatformGlyphSource().LineHeight(font, canvas);
    }

    GlyphBox RenderGlyph(NativeFont font, uint32_t code, int32_t pad,
                         RasterBitmap& canvas) override {
        const GlyphBox box = PlatformGlyphSource().RenderGlyph(font, code, pad, canvas);
        last = GlyphRecordOut{};
        last.code = code;
        last.advance = box.advance;
        lastPad = pad;
        coverage.clear();
        if (box.advance < 1 || box.height < 1) return box;
        last.boxWidth = std::min(box.advance + 2 * pad, canvas.Width());
        lastHeight = box.height;
        const BitmapRows rows = BitmapRows::Of(canvas);
        for (int32_t y = 0; y < box.height; ++y)
            for (int32_t x = 0; x < last.boxWidth; ++x)
                coverage.push_back(static_cast<unsigned char>(channel::Get(rows.Row(y)[x], 2)));
        return box;
    }

    GlyphRecordOut last;
    int32_t lastPad = 0;
    int32_t lastHeight = 0;
    std::vector<unsigned char> coverage;
};

bool Fail(const std::string& message) {
    std::fprintf(stderr, "tav_face_bake: %s\n", message.c_str());
    return false;
}

// One glyph through a glyph-cache font, so the pad and canvas are the cache's own.
bool BakeGlyph(GlyphCacheFont& cache, RecordingGlyphSource& source, uint32_t code, FontOut& font,
               std::vector<unsigned char>& coverage, GlyphRecordOut* out) {
    source.last = GlyphRecordOut{};
    source.last.code = code;
    source.coverage.clear();
    source.lastHeight = font.lineHeight;
    cache.Glyph(code);
    if (source.lastHeight != font.lineHeight)
        return Fail("a glyph of " + font.faceName + " is not as tall as its line");
    font.pad = source.lastPad;
    *out = source.last;
    out->offset = static_cast<uint32_t>(coverage.size());
    coverage.insert(coverage.end(), source.coverage.begin(), source.coverage.end());
    return true;
}

bool BakeFonts(std::vector<FontOut>& fonts, std::vector<unsigned char>& coverage) {
    for (const TextStyle& style : FaceTextStyles()) {
        const FontRequest request = FontRequestFor(style);
        NativeFont handle = CreateNativeFont(request);
        if (handle == nullptr)
            return Fail(std::string("no font for ") + style.fontName + " " +
                        std::to_string(style.size) + " (fonts-liberation, fonts-dejavu-core?)");
        RecordingGlyphSource source;
        GlyphCacheFont cache(source);
        cache.AttachFont(handle, FontOwnsHandle);
        FontOut font;
        font.faceName = style.fontName;
        font.requestHeight = request.height;
        font.weight = request.weight;
        font.italic = request.italic;
        font.monochrome = request.quality == 1;
        font.lineHeight = cache.LineHeight();
        for (uint32_t code = kFirstCode; code <= kLastCode; ++code) {
            GlyphRecordOut glyph;
            if (!BakeGlyph(cache, source, code, font, coverage, &glyph)) return false;
            font.glyphs.push_back(glyph);
        }
        if (!BakeGlyph(cache, source, kMissingCode, font, coverage, &font.missing)) return false;
        fonts.push_back(std::move(font));
    }
    return true;
}

bool BakeImage(int resource, const std::string& path, std::vector<ImageOut>& images) {
    const auto bitmap = LoadPngFile(path.c_str());
    if (!bitmap) return Fail("cannot decode " + path);
    ImageOut image;
    image.resource = resource;
    image.bytes.assign(kBakedPixelsMagic, kBakedPixelsMagic + sizeof kBakedPixelsMagic);
    const auto put = [&](uint32_t word) {
        for (int shift = 0; shift < 32; shift += 8)
            image.bytes.push_back(static_cast<unsigned char>(word >> shift));
    };
    put(static_cast<uint32_t>(bitmap->Width()));
    put(static_cast<uint32_t>(bitmap->Height()));
    const BitmapRows rows = BitmapRows::Of(*bitmap);
    for (int32_t y = 0; y < bitmap->Height(); ++y)
        for (int32_t x = 0; x < bitmap->Width(); ++x) put(rows.Row(y)[x]);
    images.push_back(std::move(image));
    return true;
}

// The skin script's `<id> PNG "<file>"` lines, files relative to the script.
bool BakeSkin(const std::string& script, std::vector<ImageOut>& images) {
    std::ifstream in(script);
    if (!in) return Fail("cannot read " + script);
    const size_t slash = script.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : script.substr(0, slash + 1);
    std::string text;
    while (std::getline(in, text)) {
        // NUMBER PNG "FILE": the lines that name an image; comments and the rest pass.
        int number = 0;
        char file[256] = {};
        if (std::sscanf(text.c_str(), " %d PNG \"%255[^\"]\"", &number, file) != 2) continue;
        if (!BakeImage(number, folder + file, images)) return false;
    }
    if (images.empty()) return Fail("no images in " + script);
    return true;
}

}  // namespace
}  // namespace tav::bake

int main(int argc, char** argv) {
    using namespace tav::bake;
    if (argc != 3) {
        std::fprintf(stderr, "usage: tav_face_bake OUT.cpp SKIN.rc\n");
        return 2;
    }
    std::vector<FontOut> fonts;
    std::vector<unsigned char> coverage;
    std::vector<ImageOut> images;
    if (!BakeFonts(fonts, coverage) || !BakeSkin(argv[2], images)) return 1;
    if (!WriteBakedFaceSource(argv[1], fonts, coverage, images)) {
        std::fprintf(stderr, "tav_face_bake: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
