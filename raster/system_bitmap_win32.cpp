#include <windows.h>

#include "raster/system_bitmap.h"

namespace tav {

bool SystemBitmap::CreateContext() {
    deviceContext_ = CreateCompatibleDC(nullptr);
    return deviceContext_ != nullptr;
}

void SystemBitmap::DestroyContext() {
    if (deviceContext_ != nullptr) DeleteDC(static_cast<HDC>(deviceContext_));
    deviceContext_ = nullptr;
}

bool SystemBitmap::CreateStore(int32_t width, int32_t height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = IsBottomUp() ? height : -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(static_cast<HDC>(deviceContext_), &info, DIB_RGB_COLORS, &bits,
                                   nullptr, 0);
    if (dib == nullptr || bits == nullptr) {
        if (dib != nullptr) DeleteObject(dib);
        return false;
    }
    dib_ = dib;
    pixels_ = static_cast<Pixel*>(bits);
    previousBitmap_ = SelectObject(static_cast<HDC>(deviceContext_), dib);
    return true;
}

void SystemBitmap::DestroyStore() {
    if (dib_ == nullptr) return;
    // The DIB must leave the context before it can be deleted.
    SelectObject(static_cast<HDC>(deviceContext_), static_cast<HGDIOBJ>(previousBitmap_));
    DeleteObject(static_cast<HBITMAP>(dib_));
    dib_ = nullptr;
    previousBitmap_ = nullptr;
    pixels_ = nullptr;
}

}  // namespace tav
