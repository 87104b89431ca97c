#include <cstddef>
#include <cstdint>

#include "raster/blit.h"
#include "raster/png_loader.h"
#include "raster/system_bitmap.h"

// Feeds arbitrary bytes to the memory decoder, both into a new bitmap and into a
// caller's canvas, and draws what comes out so that a wrong size or pitch would be
// caught by the address sanitizer.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto bitmap = tav::DecodePngMemory(data, size);
    if (bitmap != nullptr) {
        tav::SystemBitmap canvas(64, 64);
        tav::BlitBitmap(&canvas, bitmap.get(), -3, -3, nullptr, 1.0f, tav::UseSourceAlpha);
        // Touch the last pixel of the image: it must be inside the block.
        volatile tav::Pixel last =
            bitmap->Pixels()[(bitmap->Height() - 1) * bitmap->RowPitch() + bitmap->Width() - 1];
        (void)last;
    }
    tav::SystemBitmap destination(2, 2);
    tav::DecodePngMemory(data, size, destination);
    return 0;
}
