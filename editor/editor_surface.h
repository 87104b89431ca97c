#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/core_lock.h"
#include "core/editor_link.h"
#include "core/ptr_list.h"
#include "editor/editor_settings.h"
#include "editor/editor_types.h"
#include "editor/icontrol.h"
#include "editor/menu_choice.h"
#include "raster/png_resource.h"
#include "raster/raster_font.h"
#include "raster/system_bitmap.h"

namespace tav {

class IEditableTextControl;
class IEffectCore;
class PluginParam;

// The platform-neutral editor: owns the controls and the off-screen canvas, runs the
// draw pass, routes input and carries values both ways. The platform windows derive
// from it and implement the abstract operations.
//
// Controls, layout and events work in editor units; the surface maps them to the
// canvas's device pixels at the current scale (100, 150 or 200 %): an editor
// coordinate v lands on pixel floor(v * scale + 0.5). At 100 % the two are the same.
//
// Threads: the host's thread pushes values under the core lock; the window's thread
// takes the core lock for each short step (an event, change collection, capturing
// what a draw pass will paint) and rasterises without it.
class EditorSurface : public IEditorLink {
  public:
    EditorSurface(IEffectCore* owner, int width, int height, int frameRate);
    ~EditorSurface() override;

    // Platform operations.
    virtual bool PresentRegion(const PixelRect& area) = 0;
    virtual void ResizeEditor(int w, int h);
    virtual bool IsOpen() const { return NativeHandle() != nullptr; }
    virtual void OpenTextEntry(IEditableTextControl* control) = 0;
    // Opens a box at once; whether it opened. At most one box is open at a time.
    // Controls use OpenValueEntryLater.
    virtual bool OpenValueEntry(IControl* control, PluginParam* param) = 0;
    // Whether a value box could open now (none open, a window to hold it).
    virtual bool CanOpenValueEntry() const { return true; }
    virtual void HostDirectory(char* out, int outSize) = 0;
    virtual void ModuleDirectory(char* out, int outSize) = 0;
    virtual void AskForFile(char* inOutPath, int pathSize, int action, const char* initialDirectory,
                            const char* extensions) = 0;
    virtual bool AskForColour(ArgbColor* inOutColor, const char* prompt) = 0;
    // Opens a page in the browser at once; controls use OpenWebPageLater.
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

    // The module whose resources and window class the editor uses; the effect sets
    // it right after construction (the editor knows nothing of the host layer).
    void SetModuleInstance(ModuleHandle module) { moduleInstance = module; }
    ModuleHandle ModuleInstance() const { return moduleInstance; }

    // Layout.
    int AddControl(IControl* control);
    void SetBackdrop(int resourceNumber, const char* fileName);
    // A missing or undecodable resource gives an empty reference (width 0), which
    // every painting operation skips.
    BitmapRef FetchBitmap(int resourceNumber, const char* fileName, int frames);
    BitmapRef ExtractBitmapArea(const BitmapRef& source, const PixelRect& area);
    // Makes the canvas object; it holds pixels only while the face is shown.
    void CreateCanvas() override;
    // Gives the canvas its pixels at the current scale / takes them back.
    bool ShowCanvas();
    void ReleaseCanvas();

    // Scale, in percent: 100, 150 or 200; anything else is refused. Takes effect at
    // once, also in an open window (repainted in full); whether it changed.
    bool SetScalePercent(int percent) override;
    void SettleScale() override;
    int ScalePercent() const override { return scalePercent_; }
    int WidthAt(int percent) const override;
    int HeightAt(int percent) const override;
    // Editor units to device pixels and back (positions round down; areas grow outwards).
    int ToDevice(int v) const;
    PixelRect ToDevice(const PixelRect& r) const;
    int ToUnits(int device) const;
    PixelRect ToUnits(const PixelRect& device) const;

    // Values.
    void PushParamToControls(int paramIndex, double v, bool isNormalised) override;
    void ShowParamMarks(int paramIndex, const ParamMarks& marks) override;
    void MarkAllChanged();
    bool CollectChangedArea(PixelRect* outArea);
    // The draw pass: PreparePaint under the core lock, then RenderPrepared without it.
    bool PaintRegion(const PixelRect& area);
    // The same for an area in device pixels (what a window system asks to repaint).
    bool PaintDeviceRegion(const PixelRect& area);
    // Picks the controls to paint over area, captures their paint state and marks
    // them painted; false when there are no controls (nothing to render or present).
    bool PreparePaint(const PixelRect& area);
    // Renders what PreparePaint picked and presents the area.
    bool RenderPrepared();
    int ControlAt(int x, int y);

    // Events from the window, at device pixels (each takes the core lock for its
    // short step).
    void PressAt(int x, int y, const MouseMods& mods);
    void DragTo(int x, int y, const MouseMods& mods);
    void ReleaseAt(int x, int y, const MouseMods& mods);
    bool DoubleClickAt(int x, int y, const MouseMods& mods);
    void WheelAt(int x, int y, const MouseMods& mods, int notches);
    void KeyAt(int x, int y, int key);
    void ApplyEnteredText(IControl* control, PluginParam* param, const char* text);
    // The entry box of control closed (committed or cancelled): its FinishEntry,
    // under the core lock.
    void FinishEntryOf(IControl* control);
    // One timer tick's repaint: collect the changed area and paint it; true if painted.
    bool RepaintChanged();
    // One timer tick of the wheel gesture countdown; ends the pending gesture at zero.
    void CountDownGesture();

    // Painting operations for controls. All draw into the canvas, never outside it,
    // and the blits never outside paintArea; an empty bitmap draws nothing.
    bool BlitOffset(const BitmapRef& bitmap, const PixelRect& destRect, int srcX, int srcY,
                    const BlendSpec* blend);
    bool BlitFrame(const BitmapRef& bitmap, const PixelRect& destRect, int frame,
                   const BlendSpec* blend, bool vertical);
    bool BlitSpun(const BitmapRef& bitmap, int centreX, int centreY, float angle,
                  const BlendSpec* blend, float srcX, float srcY);
    bool PaintFill(const ArgbColor& color, const PixelRect& rect, const BlendSpec* blend);
    // A ring between two radii about a centre, in editor units, its edges smoothed
    // at every scale; an inner radius of 0 or less gives a disc.
    bool PaintRing(const ArgbColor& color, float centreX, float centreY, float inner, float outer);
    bool PaintText(TextStyle& style, const char* text, const PixelRect& rect);
    // The style's font from the process-wide cache, made on first use; none when the
    // platform cannot make it.
    RasterFont* FontFor(TextStyle& style);

    // The window's size in device pixels; the layout's size in editor units.
    int Width() const override { return ToDevice(width); }
    int Height() const override { return ToDevice(height); }
    int UnitWidth() const { return width; }
    int UnitHeight() const { return height; }
    int FrameRate() const override { return frameRate; }
    int ControlCount() const { return controls.Count(); }
    IControl* Control(int index) const { return controls.Get(index); }
    IEffectCore* Owner() const { return owner; }
    SystemBitmap* Canvas() const { return canvas.get(); }
    const PixelRect& PaintArea() const { return paintArea; }
    int CaptureIndex() const { return captureIndex; }
    int GestureCountdown() const { return gestureCountdown; }

    // Opens the page when the event being routed has left the core lock: starting a
    // browser takes its time and a failure shows a modal box, and neither may keep the
    // audio waiting.
    void OpenWebPageLater(const char* url, const char* caption, const char* confirmText,
                          const char* errorText);
    // Asks for a value box for the control's parameter; whether one will open. Made
    // during an event, the box opens when the event has left the core lock (a native
    // box takes its time to create); otherwise at once.
    bool OpenValueEntryLater(IControl* control);

    // The scale menu (a right click on an empty part of the face): whether it is
    // open, and where, in editor units.
    bool ScaleMenuOpen() const { return menuOpen_; }
    PixelRect ScaleMenuRect() const { return menuRect_; }
    // Row i of the open menu, in editor units.
    PixelRect ScaleMenuRow(int i) const;
    // Offers a choice of the effect's own in the menu, below the scales and any
    // choice before it; the effect adds its choices while it builds the face.
    void AddMenuChoice(MenuChoice choice);
    int MenuChoiceCount() const { return static_cast<int>(choices_.size()); }
    // The row of an option of a choice in the open menu, in editor units; empty for
    // an option that does not exist.
    PixelRect MenuChoiceRow(int choice, int option) const;
    // Entries of another party's below the choices (a host's), asked for each time
    // the menu opens; set once, before the face opens.
    void SetMenuExtras(MenuExtras extras);
    int MenuExtraCount() const { return static_cast<int>(extraEntries_.size()); }
    // The row of the open menu's extra entry i, in editor units; empty for none.
    PixelRect MenuExtraRow(int i) const;
    // Where the user's choice of scale is kept; tests point it elsewhere.
    void SetSettingsPath(SettingsFilePath path) { settingsPath_ = std::move(path); }
    const SettingsFilePath& SettingsPath() const { return settingsPath_; }

  protected:
    CoreLock* OwnerLock() const;
    // The open window takes the size the scale gives it.
    virtual void ApplyWindowSize() {}
    // The scale for a screen that no setting speaks for; the window system may know.
    virtual int ScreenScalePercent() { return 100; }
    // Deletes every control, last first, and forgets the capture.
    void ClearControls();
    void ResizeShownCanvas();

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
    ModuleHandle moduleInstance = nullptr;

  private:
    // The skin image for the current scale, or none when the module has no such size.
    RasterBitmap* ScaledBitmap(const BitmapRef& ref);
    PixelRect DeviceDrawableArea() const;
    bool BlitScaled(const BitmapRef& bitmap, const PixelRect& destRect, int srcX, int srcY,
                    const BlendSpec* blend);
    bool BlitSpunScaled(const BitmapRef& bitmap, int centreX, int centreY, float angle,
                        const BlendSpec* blend, float srcX, float srcY);
    bool PaintDeviceText(TextStyle& style, const char* text, const PixelRect& rect);

    struct PendingWebPage {
        bool pending = false;
        std::string url, caption, confirmText, errorText;
    };

    // Tells the host a gesture on control begins; host values for it wait until the end.
    void BeginMouseEdit(IControl* control);
    // Routes one event under the core lock, then runs what it asked to run outside
    // the lock: a value box, a web page.
    template <class Step>
    void RouteLocked(Step step);
    void OpenPendingWebPage();
    void OpenPendingValueEntry();
    void ApplyPendingScale();
    void PerformPendingExtra();
    bool PressOnMenuExtra(int x, int y);
    void RenderMenuExtras();
    bool TakeScale(int percent);
    // Under the core lock: opens or closes the menu and has the area under it repainted.
    void ShowScaleMenu(bool open, int x, int y);
    bool PressOnMenu(int x, int y);
    // Under the core lock: the option of a choice under (x, y) is chosen; whether one was.
    bool PressOnMenuChoice(int x, int y);
    int MenuWidth() const;
    int MenuHeight() const;
    // Where a choice's part of the menu starts, below the menu's top.
    int MenuChoiceTop(int choice) const;
    void RenderScaleMenu();
    void RenderMenuChoice(int choice);
    void PaintCheckMark(const PixelRect& row);
    void PressLocked(int x, int y, const MouseMods& mods);
    bool DoubleClickLocked(int x, int y, const MouseMods& mods);
    void EndMouseEdit();

    // The parameter whose mouse gesture the host was told of, until the release.
    int32_t mouseEditParam_ = -1;
    // The control under that gesture keeps its own position: a host that sends each
    // value back, stepped to the parameter's resolution, would otherwise pull it back
    // by every movement smaller than a step. The host's last value is applied at the end.
    IControl* heldControl_ = nullptr;
    bool heldValueWaiting_ = false;
    double heldValue_ = 0.0;
    PendingWebPage pendingWebPage_;  // window thread only
    bool routingEvent_ = false;      // within an event's locked step
    IControl* pendingEntry_ = nullptr;
    // Controls picked by PreparePaint, rendered by RenderPrepared (window thread only).
    std::vector<IControl*> paintList_;
    PixelRect preparedArea_;
    int32_t scalePercent_ = 100;
    bool scaleSettled_ = false;  // a host, the user or the settings have spoken
    SettingsFilePath settingsPath_;
    // The menu; what RenderPrepared draws of it is captured by PreparePaint.
    bool menuOpen_ = false;
    PixelRect menuRect_;
    bool menuPainted_ = false;
    int32_t pendingScale_ = 0;      // chosen in the menu, applied outside the core lock
    bool menuPress_ = false;        // the press in progress was the menu's
    IControl* backdrop_ = nullptr;  // a right click on it opens the menu
    TextStyle menuStyle_;
    TextStyle menuHeadingStyle_;
    std::vector<MenuChoice> choices_;  // fixed once the face is built
    // Each choice's current option, as PreparePaint captured it for RenderPrepared.
    std::vector<int> paintedChoices_;
    MenuExtras extras_;
    // What gather gave when the menu last opened (window thread only), and the
    // entry picked, performed outside the core lock.
    std::vector<MenuExtraEntry> extraEntries_;
    std::vector<MenuExtraEntry> gathered_;
    bool extraPending_ = false;
    uint32_t pendingExtra_ = 0;
};

// Blend spec to the raster library's combine word and weight; none means alpha copy.
CombineMode CombineFor(const BlendSpec* blend);
float WeightFor(const BlendSpec* blend);

// The process-wide caches, freed when the module unloads (or by tests).
void FreeEditorCaches();
// How many bitmaps and fonts the caches hold.
int CachedBitmapCount();
int CachedFontCount();

}  // namespace tav
