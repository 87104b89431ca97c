#pragma once

#include <vector>

#include "editor/editor_types.h"

namespace tav::bake {

// Every text style the face draws with, at 100, 150 and 200 %: the knobs' values,
// the small labels and the menu.
std::vector<TextStyle> FaceTextStyles();

// The characters baked for every font: printable ASCII, all the face's texts use.
inline constexpr uint32_t kFirstCode = 32;
inline constexpr uint32_t kLastCode = 126;
// A code no font has: its glyph is the font's missing-glyph box.
inline constexpr uint32_t kMissingCode = 0xFFFF;

}  // namespace tav::bake
