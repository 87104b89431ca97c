#include "wam/web_face_surface.h"

#include <algorithm>
#include <utility>

namespace tav {

bool WebFaceSurface::PresentRegion(const PixelRect& area) {
    HeadlessSurface::PresentRegion(area);
    const PixelRect inside{std::max(area.left, 0), std::max(area.top, 0),
                           std::min(area.right, Width()), std::min(area.bottom, Height())};
    if (inside.left >= inside.right || inside.top >= inside.bottom) return true;
    if (painted_.left >= painted_.right) {
        painted_ = inside;
    } else {
        painted_.left = std::min(painted_.left, inside.left);
        painted_.top = std::min(painted_.top, inside.top);
        painted_.right = std::max(painted_.right, inside.right);
        painted_.bottom = std::max(painted_.bottom, inside.bottom);
    }
    return true;
}

bool WebFaceSurface::OpenValueEntry(IControl* control, PluginParam* param) {
    const bool opened = HeadlessSurface::OpenValueEntry(control, param);
    calls.clear();  // a page lives long: its record of calls would only grow
    return opened;
}

bool WebFaceSurface::OpenWebPage(const char* url, const char*, const char*, const char*) {
    if (url == nullptr || url[0] == '\0') return false;
    pageToOpen_ = url;
    return true;
}

std::string WebFaceSurface::TakePageToOpen() {
    return std::exchange(pageToOpen_, std::string());
}

PixelRect WebFaceSurface::TakePaintedArea() {
    const PixelRect area = painted_;
    painted_ = PixelRect{0, 0, 0, 0};
    return area;
}

}  // namespace tav
