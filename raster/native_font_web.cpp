#include <strings.h>

#include "raster/baked_face.h"
#include "raster/raster_font.h"

namespace tav {

// The page has no fonts of ours: a font is one baked natively for exactly this
// request, or none (its text is then not drawn, as where a face is missing).
NativeFont CreateNativeFont(const FontRequest& request) {
    if (request.faceName == nullptr || request.faceName[0] == '\0') return nullptr;
    const BakedFace& baked = TheBakedFace();
    const bool monochrome = request.quality == 1;
    for (size_t i = 0; i < baked.fontCount; ++i) {
        const BakedFont& font = baked.fonts[i];
        if (strcasecmp(font.faceName, request.faceName) == 0 &&
            font.requestHeight == request.height && font.weight == request.weight &&
            font.italic == request.italic && font.monochrome == monochrome)
            return const_cast<BakedFont*>(&font);
    }
    return nullptr;
}

// Baked fonts live in the module's data: nothing to free.
void DeleteNativeFont(NativeFont) {}

}  // namespace tav
