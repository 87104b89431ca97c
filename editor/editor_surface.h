#pragma once

#include <cstdint>
#include <memory>

#include "core/editor_link.h"
#include "core/ptr_list.h"
#include "editor/editor_types.h"
#include "editor/icontrol.h"
#include "raster/raster_font.h"
#include "raster/system_bitmap.h"

namespace tav {

class IEditableTextControl;
class IEffectCore;
class PluginParam;

// The platform-neutral editor: owns the controls and the off-screen canvas, runs the
// draw pass, routes input and carries values both ways. The platform windows derive
// from it and implement the abstract operations.
class EditorSurface : public IEditorLink {
  public:
    EditorSurface(IEffectCore* owner, int width, int height, int frameRate);
    ~EditorSurface() override;

    // Platform operations.
    virtual bool PresentRegion(const PixelRect& area) = 0;
    virtual void ResizeEditor(int w, int h);
    virtual bool IsOpen() const { return NativeHandle() != nullptr; }
    virtual void OpenTextEntry(IEditableTextControl* control) = 0;
    virtual void OpenValueEntry(IControl* control, PluginParam* param) = 0;
    virtual void HostDirectory(char* out, int outSize) = 0;
    virtual void ModuleDirectory(char* out, int outSize) = 0;
    virtual void AskForFile(char* inOutPath, int pathSize, int action, const char* initialDirectory,
                            const char* extensions) = 0;
    virtual bool AskForColour(ArgbColor* inOutColor, const char* prompt) = 0;
    virtual bool OpenWebPage(const char* url, const char* caption, const char* confirmText,
                             const char* errorText) = 0;
    intptr_t HandleCursorWheel(float notches) override { return (void)notches, 0; }
    void SetGestureTimeout(int ticks) override;
    void CancelGestureTimeout() override;
    void* OpenInParent(void* parent) override = 0;
    void CloseNative() override = 0;
    virtual void* NativeHandle() const = 0;
    // A new bitmap decoded from the module's resource, or none.
    virtual RasterBitmap* LoadBitmapResource(int resourceNumber, const char* fileName) = 0;

    // Layout.
    int AddControl(IControl* control);
    void SetBackdrop(int resourceNumber, const char* fileName);
    BitmapRef FetchBitmap(int resourceNumber, const char* fileName, int frames);
    BitmapRef ExtractBitmapArea(const BitmapRef& source, const PixelRect& area);
    void CreateCanvas() override;

    // Values.
    void PushParamToControls(int paramIndex, double v, bool isNormalised) override;
    void MarkAllChanged();
    bool CollectChangedArea(PixelRect* outArea);
    bool PaintRegion(const PixelRect& area);
    int ControlAt(int x, int y);

    // Events from the window (each takes the core lock for its short step).
    void PressAt(int x, int y, const MouseMods& mods);
    void DragTo(int x, int y, const MouseMods& mods);
    void ReleaseAt(int x, int y, const MouseMods& mods);
    bool DoubleClickAt(int x, int y, const MouseMods& mods);
    void WheelAt(int x, int y, const MouseMods& mods, int notches);
    void KeyAt(int x, int y, int key);
    void ApplyEnteredText(IControl* control, PluginParam* param, const char* text);
    // One timer tick's repaint: collect the changed area and paint it; true if painted.
    bool RepaintChanged();
    // One timer tick of the wheel gesture countdown; ends the pending gesture at zero.
    void CountDownGesture();

    // Painting operations for controls; all draw into the canvas, clipped to paintArea.
    bool BlitOffset(const BitmapRef& bitmap, const PixelRect& destRect, int srcX, int srcY,
                    const BlendSpec* blend);
    bool BlitFrame(const BitmapRef& bitmap, const PixelRect& destRect, int frame,
                   const BlendSpec* blend, bool vertical);
    bool BlitSpun(const BitmapRef& bitmap, int centreX, int centreY, float angle,
                  const BlendSpec* blend, float srcX, float srcY);
    bool PaintFill(const ArgbColor& color, const PixelRect& rect, const BlendSpec* blend);
    bool PaintText(TextStyle& style, const char* text, const PixelRect& rect);
    GlyphCacheFont* FontFor(TextStyle& style);

    int Width() const override { return width; }
    int Height() const override { return height; }
    int FrameRate() const override { return frameRate; }
    int ControlCount() const { return controls.Count(); }
    IControl* Control(int index) const { return controls.Get(index); }
    IEffectCore* Owner() const { return owner; }
    SystemBitmap* Canvas() const { return canvas.get(); }

  protected:
    IEffectCore* owner;
    PtrList<IControl> controls;
    PixelRect paintArea;
    std::unique_ptr<SystemBitmap> canvas;
    int32_t width;
    int32_t height;
    int32_t frameRate;
    int32_t captureIndex = -1;
    int32_t lastX = -1;
    int32_t lastY = -1;
    // Ticks left before the pending wheel gesture ends; read and written under the
    // core lock only.
    int32_t gestureCountdown = 0;
};

// The process-wide caches, freed when the module unloads (or by tests).
void FreeEditorCaches();

}  // namespace tav
