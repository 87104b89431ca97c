#include "raster/bake/face_fonts.h"

#include <cstdio>
#include <string_view>

#include "core/editor_link.h"
#include "editor/headless_surface.h"

namespace tav::bake {
namespace {

struct StyleAt100 {
    const char* face;
    int size;
};

// effect/editor_layout.cpp's knob values and small labels, and the surface's menu.
constexpr StyleAt100 kStyles[] = {{"Arial", 15}, {"Verdana", 13}, {"Arial", 13}};

}  // namespace

std::vector<TextStyle> FaceTextStyles() {
    std::vector<TextStyle> styles;
    // The surface's own rounding makes the scaled sizes.
    HeadlessSurface surface(nullptr, 1, 1);
    for (const int percent : kEditorScales) {
        surface.SetScalePercent(percent);
        for (const StyleAt100& s : kStyles) {
            TextStyle style;
            std::snprintf(style.fontName, sizeof style.fontName, "%s", s.face);
            style.size = surface.ToDevice(s.size);
            bool known = false;
            for (const TextStyle& other : styles)
                known = known || (other.size == style.size &&
                                  std::string_view(other.fontName) == style.fontName);
            if (!known) styles.push_back(style);
        }
    }
    return styles;
}

}  // namespace tav::bake
