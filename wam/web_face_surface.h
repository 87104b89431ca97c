#pragma once

#include "editor/headless_surface.h"

namespace tav {

// The face's surface in a page: the canvas in the module's memory, and the area
// painted since the page last took the pixels.
class WebFaceSurface final : public HeadlessSurface {
  public:
    using HeadlessSurface::HeadlessSurface;

    bool PresentRegion(const PixelRect& area) override;
    // The page has no value box nor a browser to open yet: both are declined.
    bool OpenValueEntry(IControl* control, PluginParam* param) override;
    bool CanOpenValueEntry() const override { return false; }
    bool OpenWebPage(const char* url, const char* caption, const char* confirmText,
                     const char* errorText) override;

    // The painted area in device pixels since the last call (empty for none).
    PixelRect TakePaintedArea();

  private:
    PixelRect painted_{0, 0, 0, 0};
};

}  // namespace tav
