#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <cstdint>
#include <vector>

#include "raster/raster_bitmap.h"

namespace tav {

// Moves areas of a 32-bit A,R,G,B picture into a window in one image transfer:
// through a shared-memory segment where the server offers one (and can attach it),
// otherwise with a plain XPutImage. Visuals other than 24-bit true colour get each
// pixel converted on the way.
class X11ImagePresenter {
  public:
    X11ImagePresenter() = default;
    ~X11ImagePresenter() { Destroy(); }
    X11ImagePresenter(const X11ImagePresenter&) = delete;
    X11ImagePresenter& operator=(const X11ImagePresenter&) = delete;

    // allowShared false always takes the plain XPutImage road (for comparison).
    bool Create(Display* display, Window window, Visual* visual, int depth, int width, int height,
                bool allowShared = true);
    void Destroy();

    // The staging picture: fill it, then Put an area of it.
    Pixel* Row(int y) const { return pixels_ + static_cast<size_t>(y) * pitch_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Put(int x, int y, int width, int height);
    bool UsesSharedMemory() const { return shared_; }

  private:
    bool CreateShared(Visual* visual, int depth);
    bool CreatePlain(Visual* visual, int depth);

    Display* display_ = nullptr;
    Window window_ = 0;
    GC gc_ = nullptr;
    XImage* image_ = nullptr;
    XShmSegmentInfo segment_ = {};
    bool shared_ = false;
    bool direct_ = false;  // the image's pixels are the staging pixels
    Pixel* pixels_ = nullptr;
    std::vector<Pixel> staging_;
    int width_ = 0;
    int height_ = 0;
    int pitch_ = 0;  // pixels per staging row
};

}  // namespace tav
