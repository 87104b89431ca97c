#pragma once

#include <string>

#include "editor/headless_surface.h"

namespace tav {

// The face's surface in a page: the canvas in the module's memory, and the area
// painted since the page last took the pixels.
class WebFaceSurface final : public HeadlessSurface {
  public:
    using HeadlessSurface::HeadlessSurface;

    bool PresentRegion(const PixelRect& area) override;
    // The page shows the value box over the canvas (HeadlessSurface keeps its state).
    bool OpenValueEntry(IControl* control, PluginParam* param) override;
    // The page opens the address; it is kept until the page takes it.
    bool OpenWebPage(const char* url, const char* caption, const char* confirmText,
                     const char* errorText) override;
    std::string TakePageToOpen();

    // The painted area in device pixels since the last call (empty for none).
    PixelRect TakePaintedArea();

  private:
    PixelRect painted_{0, 0, 0, 0};
    std::string pageToOpen_;
};

}  // namespace tav
