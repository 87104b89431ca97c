#pragma once

#include <functional>
#include <string>
#include <vector>

#include "editor/editor_surface.h"

namespace tav {

// An editor surface with no window: the canvas lives in memory and every platform
// call is recorded. Tests, fuzzing and screenshots drive it through the same entry
// points a native window uses; Tick() does what one timer tick of a window does.
class HeadlessSurface : public EditorSurface {
  public:
    // Makes the bitmap for a resource number; returns a new bitmap or none.
    using BitmapLoader = std::function<RasterBitmap*(int resourceNumber)>;

    HeadlessSurface(IEffectCore* owner, int width, int height, int frameRate = 0);
    ~HeadlessSurface() override;

    bool PresentRegion(const PixelRect& area) override;
    void OpenTextEntry(IEditableTextControl* control) override;
    bool OpenValueEntry(IControl* control, PluginParam* param) override;
    bool CanOpenValueEntry() const override { return entryControl_ == nullptr; }
    void HostDirectory(char* out, int outSize) override;
    void ModuleDirectory(char* out, int outSize) override;
    void AskForFile(char* inOutPath, int pathSize, int action, const char* initialDirectory,
                    const char* extensions) override;
    bool AskForColour(ArgbColor* inOutColor, const char* prompt) override;
    bool OpenWebPage(const char* url, const char* caption, const char* confirmText,
                     const char* errorText) override;
    void* OpenInParent(void* parent) override;
    void CloseNative() override;
    // Nothing to show it in: the canvas gets its pixels at once.
    void CreateCanvas() override {
        EditorSurface::CreateCanvas();
        ShowCanvas();
    }
    void* NativeHandle() const override;
    // The injected loader, or else the module's "PNG" resource.
    RasterBitmap* LoadBitmapResource(int resourceNumber, const char* fileName) override;

    void SetBitmapLoader(BitmapLoader loader) { loader_ = std::move(loader); }
    // One timer tick: the open entry box first (as committed or cancelled by the
    // test), then the repaint, then the gesture countdown. True when it painted.
    bool Tick();
    // What a user does to an open entry box: commit its text, or cancel it. Either
    // closes the box at the next Tick.
    void CommitEntry(const char* text);
    void CancelEntry();
    bool EntryOpen() const { return entryControl_ != nullptr; }
    IControl* EntryControl() const { return entryControl_; }
    PluginParam* EntryParam() const { return entryParam_; }

    // Platform calls other than presenting, one text each ("value entry 3", ...).
    std::vector<std::string> calls;
    int presentCount = 0;
    PixelRect lastPresented;
    bool webPageResult = true;
    // Called as a page or a value box is opened, so a test can look at the state it
    // is opened in.
    std::function<void()> onWebPage;
    std::function<void()> onValueEntry;

  private:
    enum EntryState { EntryIdle, EntryCancel, EntryCommit };
    BitmapLoader loader_;
    bool open_ = false;
    IControl* entryControl_ = nullptr;
    PluginParam* entryParam_ = nullptr;
    EntryState entryState_ = EntryIdle;
    std::string entryText_;
};

}  // namespace tav
