#include "raster/native_font_posix.h"

#include <dlfcn.h>
#include <fontconfig/fontconfig.h>
#include FT_TRUETYPE_TABLES_H

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string>

#include "raster/raster_font.h"

namespace tav {
namespace {

// Free faces with the metrics (or at least the look) of the Windows faces editors ask for.
struct StandIn {
    const char* face;
    const char* family;
};
constexpr StandIn kStandIns[] = {
    {"Arial", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
    {"Verdana", "DejaVu Sans"},
    {"Tahoma", "DejaVu Sans"},
};

// GDI's size when a font is asked for with height 0.
constexpr int32_t kDefaultCellHeight = 16;

// One FreeType library for the process; faces are made and dropped under its lock.
std::mutex gLibraryLock;
FT_Library gLibrary = nullptr;
int gFaces = 0;

const char* FamilyFor(const char* face) {
    for (const StandIn& s : kStandIns)
        if (strcasecmp(face, s.face) == 0) return s.family;
    return face;
}

bool HasFamily(FcPattern* match, const char* family) {
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
        if (strcasecmp(reinterpret_cast<const char*>(name), family) == 0) return true;
    return false;
}

struct FaceFile {
    std::string path;
    int index = 0;
    bool embolden = false;
};

// fontconfig keeps the configuration it parses in its own statics. Unloaded together
// with this module, it would lose all of it on every unload; pinned, it stays with the
// process and is read once.
void PinFontconfig() {
    static const bool pinned =
        dlopen("libfontconfig.so.1", RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE) != nullptr;
    (void)pinned;
}

// fontconfig always offers some face; only one of the asked family counts as found.
bool FindFaceFile(const char* family, int weight, bool italic, FaceFile* out) {
    PinFontconfig();
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight > 0 ? weight : 400));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) return false;
    bool found = false;
    FcChar8* file = nullptr;
    if (HasFamily(match, family) && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        out->path = reinterpret_cast<const char*>(file);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &out->index) != FcResultMatch) out->index = 0;
        FcBool embolden = FcFalse;
        if (FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden) == FcResultMatch)
            out->embolden = embolden == FcTrue;
        found = true;
    }
    FcPatternDestroy(match);
    return found;
}

// GDI's size mapping: a positive height is the cell (ascent + descent from the OS/2
// Windows metrics), a negative one the em size; the em size is whole pixels.
bool SetCellSize(FreeTypeFont& font, int32_t height) {
    FT_Face face = font.face;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    double ascentUnits = face->ascender, cellUnits = face->ascender - face->descender;
    if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) {
        ascentUnits = os2->usWinAscent;
        cellUnits = os2->usWinAscent + os2->usWinDescent;
    }
    const double units = face->units_per_EM > 0 ? face->units_per_EM : 2048;
    if (cellUnits <= 0) cellUnits = units;
    if (height == 0) height = kDefaultCellHeight;
    const double cell = height > 0 ? height : -static_cast<double>(height) * cellUnits / units;
    const double em = height > 0 ? height * units / cellUnits : -static_cast<double>(height);
    const long ppem = std::max(1L, std::lround(em));
    if (cell > 4096 || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem)) != 0) return false;
    font.lineHeight = height > 0 ? height : static_cast<int32_t>(std::lround(cell));
    font.ascent = static_cast<int32_t>(std::lround(ascentUnits * double(ppem) / units));
    return true;
}

}  // namespace

NativeFont CreateNativeFont(const FontRequest& request) {
    if (request.faceName == nullptr) return nullptr;
    char face[32] = {};
    std::strncpy(face, request.faceName, sizeof(face) - 1);
    if (face[0] == '\0') return nullptr;

    FaceFile file;
    const char* family = FamilyFor(face);
    if (!FindFaceFile(family, request.weight, request.italic, &file)) return nullptr;

    std::lock_guard<std::mutex> hold(gLibraryLock);
    if (gLibrary == nullptr && FT_Init_FreeType(&gLibrary) != 0) {
        gLibrary = nullptr;
        return nullptr;
    }
    auto* font = new FreeTypeFont;
    font->monochrome = request.quality == 1;
    font->embolden = file.embolden;
    if (FT_New_Face(gLibrary, file.path.c_str(), file.index, &font->face) != 0) {
        delete font;
        font = nullptr;
    } else if (!SetCellSize(*font, request.height)) {
        FT_Done_Face(font->face);
        delete font;
        font = nullptr;
    }
    if (font != nullptr) {
        ++gFaces;
    } else if (gFaces == 0) {
        FT_Done_FreeType(gLibrary);
        gLibrary = nullptr;
    }
    return font;
}

void DeleteNativeFont(NativeFont handle) {
    if (handle == nullptr) return;
    auto* font = static_cast<FreeTypeFont*>(handle);
    std::lock_guard<std::mutex> hold(gLibraryLock);
    FT_Done_Face(font->face);
    delete font;
    if (--gFaces == 0) {
        FT_Done_FreeType(gLibrary);
        gLibrary = nullptr;
    }
}

}  // namespace tav
