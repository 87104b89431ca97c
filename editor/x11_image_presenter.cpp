#include "editor/x11_image_presenter.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

#include "editor/x11_error_trap.h"

namespace tav {
namespace {

bool IsDirectFormat(const XImage* image) {
    return image->bits_per_pixel == 32 && image->byte_order == LSBFirst &&
           image->red_mask == 0xFF0000 && image->green_mask == 0xFF00 && image->blue_mask == 0xFF &&
           image->bytes_per_line % 4 == 0 && std::endian::native == std::endian::little;
}

// Shared memory works only with a server on this machine.
bool IsLocalDisplay(Display* display) {
    const char* name = DisplayString(display);
    return name != nullptr && (name[0] == ':' || std::strncmp(name, "unix:", 5) == 0);
}

unsigned long Channel(Pixel pixel, int sourceShift, unsigned long mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    unsigned long c = (pixel >> sourceShift) & 0xFF;
    c = bits >= 8 ? c << (bits - 8) : c >> (8 - bits);
    return (c << shift) & mask;
}

}  // namespace

bool X11ImagePresenter::Create(Display* display, Window window, Visual* visual, int depth,
                               int width, int height, bool allowShared) {
    Destroy();
    if (display == nullptr || visual == nullptr || width <= 0 || height <= 0) return false;
    display_ = display;
    window_ = window;
    width_ = width;
    height_ = height;
    gc_ = XCreateGC(display, window, 0, nullptr);
    if (!(allowShared && CreateShared(visual, depth)) && !CreatePlain(visual, depth)) {
        Destroy();
        return false;
    }
    direct_ = IsDirectFormat(image_);
    if (direct_) {
        pixels_ = reinterpret_cast<Pixel*>(image_->data);
        pitch_ = image_->bytes_per_line / 4;
    } else {
        staging_.assign(static_cast<size_t>(width) * height, 0);
        pixels_ = staging_.data();
        pitch_ = width;
    }
    return true;
}

bool X11ImagePresenter::CreateShared(Visual* visual, int depth) {
    if (!IsLocalDisplay(display_) || !XShmQueryExtension(display_)) return false;
    image_ =
        XShmCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &segment_,
                        static_cast<unsigned>(width_), static_cast<unsigned>(height_));
    if (image_ == nullptr) return false;
    const size_t bytes = static_cast<size_t>(image_->bytes_per_line) * height_;
    segment_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    void* address = segment_.shmid >= 0 ? shmat(segment_.shmid, nullptr, 0) : nullptr;
    if (address == nullptr || address == reinterpret_cast<void*>(-1)) {
        if (segment_.shmid >= 0) shmctl(segment_.shmid, IPC_RMID, nullptr);
        XDestroyImage(image_);
        image_ = nullptr;
        return false;
    }
    segment_.shmaddr = image_->data = static_cast<char*>(address);
    segment_.readOnly = False;
    X11ErrorTrap::TakeErrors(display_);
    const bool attached =
        XShmAttach(display_, &segment_) && X11ErrorTrap::TakeErrors(display_) == 0;
    // Marked for removal at once: the segment goes away with its last detach, even
    // if this process dies.
    shmctl(segment_.shmid, IPC_RMID, nullptr);
    if (!attached) {
        shmdt(address);
        image_->data = nullptr;
        XDestroyImage(image_);
        image_ = nullptr;
        segment_ = {};
        return false;
    }
    shared_ = true;
    return true;
}

bool X11ImagePresenter::CreatePlain(Visual* visual, int depth) {
    image_ = XCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                          static_cast<unsigned>(width_), static_cast<unsigned>(height_), 32, 0);
    if (image_ == nullptr) return false;
    image_->data =
        static_cast<char*>(std::calloc(static_cast<size_t>(image_->bytes_per_line), height_));
    if (image_->data == nullptr) {
        XDestroyImage(image_);
        image_ = nullptr;
        return false;
    }
    return true;
}

void X11ImagePresenter::Destroy() {
    if (image_ != nullptr) {
        if (shared_) {
            XShmDetach(display_, &segment_);
            XSync(display_, False);
            shmdt(segment_.shmaddr);
            image_->data = nullptr;
        }
        XDestroyImage(image_);  // frees plain pixels with it
        image_ = nullptr;
    }
    if (gc_ != nullptr) XFreeGC(display_, gc_);
    gc_ = nullptr;
    segment_ = {};
    shared_ = false;
    direct_ = false;
    pixels_ = nullptr;
    staging_.clear();
    staging_.shrink_to_fit();
    display_ = nullptr;
    width_ = height_ = pitch_ = 0;
}

bool X11ImagePresenter::Put(int x, int y, int width, int height) {
    if (image_ == nullptr) return false;
    const int left = std::max(0, x);
    const int top = std::max(0, y);
    const int right = std::min(width_, x + width);
    const int bottom = std::min(height_, y + height);
    if (left >= right || top >= bottom) return true;
    if (!direct_) {
        for (int row = top; row < bottom; ++row) {
            const Pixel* source = Row(row);
            for (int col = left; col < right; ++col) {
                const Pixel p = source[col];
                XPutPixel(image_, col, row,
                          Channel(p, 16, image_->red_mask) | Channel(p, 8, image_->green_mask) |
                              Channel(p, 0, image_->blue_mask));
            }
        }
    }
    const auto w = static_cast<unsigned>(right - left);
    const auto h = static_cast<unsigned>(bottom - top);
    if (shared_) {
        XShmPutImage(display_, window_, gc_, image_, left, top, left, top, w, h, False);
        XSync(display_, False);  // the server has read the segment before it is written again
    } else {
        XPutImage(display_, window_, gc_, image_, left, top, left, top, w, h);
        XFlush(display_);
    }
    return true;
}

}  // namespace tav
