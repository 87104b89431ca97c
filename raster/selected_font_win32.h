// Selects a font into a GDI device context for one scope.
#pragma once

#include <windows.h>

#include "raster/raster_font.h"

namespace tav {

class SelectedFont {
  public:
    SelectedFont(HDC dc, NativeFont font)
        : dc_(dc), previous_(SelectObject(dc, static_cast<HFONT>(font))) {}
    ~SelectedFont() { SelectObject(dc_, previous_); }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace tav
