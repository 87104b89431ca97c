#include <windows.h>

#include <cstring>

#include "raster/raster_font.h"

namespace tav {
namespace {

DWORD QualityFor(int quality) {
    switch (quality) {
        case 0:
            return DEFAULT_QUALITY;
        case 2:
            return ANTIALIASED_QUALITY;
        case 3:
            return CLEARTYPE_QUALITY;
        default:
            return NONANTIALIASED_QUALITY;
    }
}

}  // namespace

NativeFont CreateNativeFont(const FontRequest& request) {
    // Face names are at most 31 bytes; a longer or unterminated one is cut there.
    char face[LF_FACESIZE] = {};
    if (request.faceName != nullptr) std::strncpy(face, request.faceName, LF_FACESIZE - 1);
    HFONT font = CreateFontA(
        request.height, 0, request.orientationTenths, request.orientationTenths, request.weight,
        request.italic ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, QualityFor(request.quality), DEFAULT_PITCH, face);
    return font;
}

void DeleteNativeFont(NativeFont font) {
    if (font != nullptr) DeleteObject(static_cast<HFONT>(font));
}

}  // namespace tav
