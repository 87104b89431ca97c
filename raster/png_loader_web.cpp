#include <cstring>
#include <new>

#include "raster/baked_pixels.h"
#include "raster/bitmap_rows.h"
#include "raster/png_loader.h"

namespace tav {
namespace {

// The page's skin was decoded natively (tav_face_bake): only those pixels are taken.
bool CopyBakedPixels(const void* data, size_t size, RasterBitmap* given,
                     std::unique_ptr<MemoryBitmap>* created) {
    BakedPixelsShape shape;
    if (!ReadBakedPixelsShape(data, size, kMaxPngSide, &shape)) return false;
    const auto w = static_cast<int32_t>(shape.width), h = static_cast<int32_t>(shape.height);
    RasterBitmap* target = given;
    if (given != nullptr) {
        given->Resize(w, h);
    } else {
        created->reset(new (std::nothrow) MemoryBitmap(w, h, 4));
        target = created->get();
    }
    if (target == nullptr || target->Width() != w || target->Height() != h ||
        target->Pixels() == nullptr || target->RowPitch() < w) {
        if (created != nullptr) created->reset();
        return false;
    }
    const auto* words = static_cast<const unsigned char*>(data) + kBakedPixelsHeaderSize;
    const BitmapRows rows = BitmapRows::Of(*target);
    for (int32_t y = 0; y < h; ++y) {
        Pixel* row = rows.Row(y);
        for (int32_t x = 0; x < w; ++x, words += 4) row[x] = ReadLittleEndian32(words);
    }
    return true;
}

}  // namespace

std::unique_ptr<MemoryBitmap> DecodePngMemory(const void* data, size_t size) {
    std::unique_ptr<MemoryBitmap> created;
    if (!CopyBakedPixels(data, size, nullptr, &created)) return nullptr;
    return created;
}

bool DecodePngMemory(const void* data, size_t size, RasterBitmap& destination) {
    return CopyBakedPixels(data, size, &destination, nullptr);
}

// A page has no files.
std::unique_ptr<MemoryBitmap> LoadPngFile(const char*) {
    return nullptr;
}

bool LoadPngFile(const char*, RasterBitmap&) {
    return false;
}

}  // namespace tav
