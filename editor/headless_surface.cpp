#include "editor/headless_surface.h"

#include "core/effect_core.h"
#include "editor/text_controls.h"
#include "raster/png_resource.h"

namespace tav {
namespace {

void Clear(char* out, int outSize) {
    if (out != nullptr && outSize > 0) out[0] = '\0';
}

}  // namespace

HeadlessSurface::HeadlessSurface(IEffectCore* owner, int width, int height, int frameRate)
    : EditorSurface(owner, width, height, frameRate) {}

// The core deletes its editor from its own destructor, when the host layer's
// overrides are gone: closing here must not call back into the owner.
HeadlessSurface::~HeadlessSurface() {
    open_ = false;
}

bool HeadlessSurface::PresentRegion(const PixelRect& area) {
    ++presentCount;
    lastPresented = area;
    return true;
}

void HeadlessSurface::OpenTextEntry(IEditableTextControl* control) {
    if (control == nullptr || entryControl_ != nullptr) return;
    calls.push_back("text entry");
    entryControl_ = control;
    entryParam_ = nullptr;
    entryState_ = EntryIdle;
}

bool HeadlessSurface::OpenValueEntry(IControl* control, PluginParam* param) {
    if (control == nullptr || param == nullptr || entryControl_ != nullptr) return false;
    calls.push_back("value entry " + std::to_string(control->paramIndex));
    if (onValueEntry) onValueEntry();
    entryControl_ = control;
    entryParam_ = param;
    entryState_ = EntryIdle;
    return true;
}

void HeadlessSurface::HostDirectory(char* out, int outSize) {
    Clear(out, outSize);
}

void HeadlessSurface::ModuleDirectory(char* out, int outSize) {
    Clear(out, outSize);
}

void HeadlessSurface::AskForFile(char* inOutPath, int pathSize, int, const char*, const char*) {
    calls.push_back("ask file");
    Clear(inOutPath, pathSize);
}

bool HeadlessSurface::AskForColour(ArgbColor*, const char*) {
    calls.push_back("ask colour");
    return false;
}

bool HeadlessSurface::OpenWebPage(const char* url, const char*, const char*, const char*) {
    calls.push_back(std::string("web ") + (url != nullptr ? url : ""));
    if (onWebPage) onWebPage();
    return webPageResult;
}

void* HeadlessSurface::OpenInParent(void*) {
    if (open_) CloseNative();
    open_ = true;
    calls.push_back("open");
    MarkAllChanged();
    return NativeHandle();
}

void HeadlessSurface::CloseNative() {
    if (!open_) return;
    {
        CoreLockGuard guard(OwnerLock());
        if (gestureCountdown != 0 && owner != nullptr) owner->EndPendingEdit();
    }
    open_ = false;
    entryControl_ = nullptr;
    entryParam_ = nullptr;
    entryState_ = EntryIdle;
    calls.push_back("close");
}

void* HeadlessSurface::NativeHandle() const {
    return open_ ? const_cast<HeadlessSurface*>(this) : nullptr;
}

RasterBitmap* HeadlessSurface::LoadBitmapResource(int resourceNumber, const char*) {
    if (loader_) return loader_(resourceNumber);
    return LoadPngResource(moduleInstance, resourceNumber).release();
}

void HeadlessSurface::CommitEntry(const char* text) {
    if (entryControl_ == nullptr) return;
    entryText_ = text != nullptr ? text : "";
    entryState_ = EntryCommit;
}

void HeadlessSurface::CancelEntry() {
    if (entryControl_ != nullptr) entryState_ = EntryCancel;
}

bool HeadlessSurface::Tick() {
    if (entryControl_ != nullptr && entryState_ != EntryIdle) {
        if (entryState_ == EntryCommit)
            ApplyEnteredText(entryControl_, entryParam_, entryText_.c_str());
        FinishEntryOf(entryControl_);
        entryControl_ = nullptr;
        entryParam_ = nullptr;
        entryState_ = EntryIdle;
    }
    const bool painted = RepaintChanged();
    CountDownGesture();
    return painted;
}

}  // namespace tav
