#include "editor/editor_surface.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "core/effect_core.h"
#include "editor/editor_caches.h"
#include "editor/text_controls.h"
#include "raster/blit.h"
#include "raster/memory_bitmap.h"

namespace tav {

CombineMode CombineFor(const BlendSpec* blend) {
    if (blend == nullptr) return CombineCopy | UseSourceAlpha;
    switch (blend->mode) {
        case BlendOpaque:
            return CombineCopy;
        case BlendAdd:
            return CombineAdd | UseSourceAlpha;
        case BlendDodge:
            return CombineDodge | UseSourceAlpha;
        default:
            return CombineCopy | UseSourceAlpha;
    }
}

float WeightFor(const BlendSpec* blend) {
    return blend == nullptr ? 1.0f : blend->weight;
}

EditorSurface::EditorSurface(IEffectCore* owner, int width, int height, int frameRate)
    : owner(owner),
      width(width > 0 ? width : 0),
      height(height > 0 ? height : 0),
      frameRate(frameRate > 0 ? frameRate : 24) {}

EditorSurface::~EditorSurface() {
    ClearControls();
}

CoreLock* EditorSurface::OwnerLock() const {
    return owner != nullptr ? &owner->Lock() : nullptr;
}

void EditorSurface::ClearControls() {
    CoreLockGuard guard(OwnerLock());
    paintList_.clear();
    controls.DeleteAll();
    captureIndex = lastX = lastY = -1;
}

void EditorSurface::ResizeEditor(int w, int h) {
    {
        CoreLockGuard guard(OwnerLock());
        width = w > 0 ? w : 0;
        height = h > 0 ? h : 0;
        ClearControls();
        if (canvas) canvas->Resize(width, height);
    }
    if (owner != nullptr) owner->EditorSizeChanged();
}

void EditorSurface::SetGestureTimeout(int ticks) {
    CoreLockGuard guard(OwnerLock());
    gestureCountdown = ticks;
}

void EditorSurface::CancelGestureTimeout() {
    CoreLockGuard guard(OwnerLock());
    gestureCountdown = 0;
}

void EditorSurface::CountDownGesture() {
    CoreLockGuard guard(OwnerLock());
    if (gestureCountdown <= 0) return;
    if (--gestureCountdown == 0 && owner != nullptr) owner->EndPendingEdit();
}

int EditorSurface::AddControl(IControl* control) {
    if (control == nullptr) return -1;
    CoreLockGuard guard(OwnerLock());
    if (!controls.Append(control)) {
        delete control;
        return -1;
    }
    control->surface = this;
    return controls.Count() - 1;
}

void EditorSurface::SetBackdrop(int resourceNumber, const char* fileName) {
    const BitmapRef ref = FetchBitmap(resourceNumber, fileName, 1);
    auto* backdrop =
        new IBitmapControl(owner, PixelRect{0, 0, ref.width, ref.height}, -1, ref, true);
    backdrop->blend = BlendSpec{BlendOpaque, 1.0f};
    CoreLockGuard guard(OwnerLock());
    if (!controls.Insert(0, backdrop)) {
        delete backdrop;
        return;
    }
    backdrop->surface = this;
    if (captureIndex >= 0) ++captureIndex;
}

BitmapRef EditorSurface::FetchBitmap(int resourceNumber, const char* fileName, int frames) {
    RasterBitmap* bitmap = FindCachedBitmap(resourceNumber);
    if (bitmap == nullptr) {
        std::unique_ptr<RasterBitmap> loaded(LoadBitmapResource(resourceNumber, fileName));
        if (loaded && loaded->IsDrawable())
            bitmap = AddCachedBitmap(resourceNumber, std::move(loaded));
    }
    BitmapRef ref;
    ref.frames = frames;
    if (bitmap == nullptr) return ref;
    ref.bitmap = bitmap;
    ref.width = bitmap->Width();
    ref.height = bitmap->Height();
    return ref;
}

BitmapRef EditorSurface::ExtractBitmapArea(const BitmapRef& source, const PixelRect& area) {
    BitmapRef ref;
    ref.frames = source.frames;
    if (source.IsEmpty()) return ref;
    const PixelRect cut = Intersection(area, PixelRect{0, 0, source.width, source.height});
    if (cut.Width() <= 0 || cut.Height() <= 0) return ref;
    auto piece = std::make_unique<MemoryBitmap>(cut.Width(), cut.Height(), 4);
    if (!piece->IsDrawable()) return ref;
    BlitBitmapRect(piece.get(), source.bitmap, 0, 0, cut.left, cut.top, cut.Width(), cut.Height(),
                   1.0f, CombineCopy);
    RasterBitmap* stored = AddCachedBitmap(kExtractedBitmapKey, std::move(piece));
    if (stored == nullptr) return ref;
    ref.bitmap = stored;
    ref.width = stored->Width();
    ref.height = stored->Height();
    return ref;
}

void EditorSurface::CreateCanvas() {
    CoreLockGuard guard(OwnerLock());
    if (canvas) {
        canvas->Resize(width, height);
        return;
    }
    canvas = std::make_unique<SystemBitmap>(width, height);
}

void EditorSurface::PushParamToControls(int paramIndex, double v, bool isNormalised) {
    CoreLockGuard guard(OwnerLock());
    if (paramIndex < 0) return;
    if (!isNormalised) {
        const PluginParam* param = owner != nullptr ? owner->Param(paramIndex) : nullptr;
        if (param == nullptr) return;
        v = param->UnitOf(v);
    }
    if (!std::isfinite(v)) return;
    for (int i = 0; i < controls.Count(); ++i) {
        IControl* control = controls.Get(i);
        if (control->paramIndex == paramIndex) control->ApplyHostValue(v);
    }
}

void EditorSurface::MarkAllChanged() {
    CoreLockGuard guard(OwnerLock());
    for (int i = 0; i < controls.Count(); ++i) controls.Get(i)->MarkChanged(false);
}

bool EditorSurface::CollectChangedArea(PixelRect* outArea) {
    CoreLockGuard guard(OwnerLock());
    PixelRect area;
    bool any = false;
    for (int i = 0; i < controls.Count(); ++i) {
        const IControl* control = controls.Get(i);
        if (!control->NeedsPaint()) continue;
        area = Union(area, control->rect);
        any = true;
    }
    if (outArea != nullptr) *outArea = area;
    return any;
}

namespace {

bool Overlap(const PixelRect& a, const PixelRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

bool EditorSurface::PreparePaint(const PixelRect& area) {
    CoreLockGuard guard(OwnerLock());
    paintList_.clear();
    if (controls.Count() == 0) return false;
    paintArea = area;
    preparedArea_ = area;
    for (int i = 0; i < controls.Count(); ++i) {
        IControl* control = controls.Get(i);
        if (!control->hidden && !area.IsEmpty() && !control->rect.IsEmpty() &&
            Overlap(control->rect, area)) {
            control->CapturePaintState();
            paintList_.push_back(control);
        }
        control->MarkPainted();
    }
    return true;
}

bool EditorSurface::RenderPrepared() {
    // Render reads only what PreparePaint captured, so no lock is held here.
    for (IControl* control : paintList_) control->Render(this);
    paintList_.clear();
    return PresentRegion(preparedArea_);
}

bool EditorSurface::PaintRegion(const PixelRect& area) {
    if (!PreparePaint(area)) return true;
    return RenderPrepared();
}

bool EditorSurface::RepaintChanged() {
    PixelRect area;
    if (!CollectChangedArea(&area)) return false;
    PaintRegion(area);
    return true;
}

int EditorSurface::ControlAt(int x, int y) {
    CoreLockGuard guard(OwnerLock());
    if (captureIndex >= 0) return captureIndex;
    for (int i = controls.Count() - 1; i >= 0; --i) {
        const IControl* control = controls.Get(i);
        if (!control->hidden && !control->greyed && control->HitTest(x, y)) return i;
    }
    return -1;
}

template <class Step>
void EditorSurface::RouteLocked(Step step) {
    {
        CoreLockGuard guard(OwnerLock());
        routingEvent_ = true;
        step();
        routingEvent_ = false;
    }
    OpenPendingValueEntry();
    OpenPendingWebPage();
}

void EditorSurface::PressAt(int x, int y, const MouseMods& mods) {
    RouteLocked([&] { PressLocked(x, y, mods); });
}

void EditorSurface::PressLocked(int x, int y, const MouseMods& mods) {
    captureIndex = lastX = lastY = -1;
    const int index = ControlAt(x, y);
    IControl* control = controls.Get(index);
    if (control == nullptr) return;
    captureIndex = index;
    lastX = x;
    lastY = y;
    BeginMouseEdit(control->paramIndex);
    control->MousePressed(x, y, mods);
}

void EditorSurface::OpenWebPageLater(const char* url, const char* caption, const char* confirmText,
                                     const char* errorText) {
    if (url == nullptr) return;
    pendingWebPage_ = {true, url, caption != nullptr ? caption : "",
                       confirmText != nullptr ? confirmText : "",
                       errorText != nullptr ? errorText : ""};
}

bool EditorSurface::OpenValueEntryLater(IControl* control) {
    if (control == nullptr || control->Param() == nullptr || pendingEntry_ != nullptr ||
        !CanOpenValueEntry())
        return false;
    if (!routingEvent_) return OpenValueEntry(control, control->Param());
    pendingEntry_ = control;
    return true;
}

void EditorSurface::OpenPendingValueEntry() {
    IControl* control = std::exchange(pendingEntry_, nullptr);
    if (control == nullptr) return;
    PluginParam* param;
    {
        CoreLockGuard guard(OwnerLock());
        param = control->Param();
    }
    if (param != nullptr && OpenValueEntry(control, param)) return;
    // The box did not open after all: the control stops waiting for it.
    CoreLockGuard guard(OwnerLock());
    control->entryOpen = false;
    control->MarkChanged(false);
}

void EditorSurface::OpenPendingWebPage() {
    if (!pendingWebPage_.pending) return;
    const PendingWebPage page = std::exchange(pendingWebPage_, {});
    auto orNone = [](const std::string& text) { return text.empty() ? nullptr : text.c_str(); };
    OpenWebPage(page.url.c_str(), orNone(page.caption), orNone(page.confirmText),
                orNone(page.errorText));
}

// The host hears the end of exactly the gesture it heard begin, whichever control
// the pointer is over when the button comes up.
void EditorSurface::BeginMouseEdit(int paramIndex) {
    EndMouseEdit();
    if (paramIndex < 0 || owner == nullptr) return;
    owner->HostBeginEdit(paramIndex);
    mouseEditParam_ = paramIndex;
}

void EditorSurface::EndMouseEdit() {
    const int param = std::exchange(mouseEditParam_, -1);
    if (param >= 0 && owner != nullptr) owner->HostEndEdit(param);
}

namespace {
// Window systems report 16-bit positions, but the surface takes any int: a jump
// between far-apart positions saturates instead of overflowing.
int Movement(int to, int from) {
    const int64_t moved = int64_t{to} - from;
    return static_cast<int>(std::clamp<int64_t>(moved, INT32_MIN, INT32_MAX));
}
}  // namespace

void EditorSurface::DragTo(int x, int y, const MouseMods& mods) {
    RouteLocked([&] {
        IControl* control = controls.Get(captureIndex);
        if (captureIndex < 0 || control == nullptr || (x == lastX && y == lastY)) return;
        const int dx = Movement(x, lastX);
        const int dy = Movement(y, lastY);
        lastX = x;
        lastY = y;
        control->MouseDragged(x, y, dx, dy, mods);
    });
}

void EditorSurface::ReleaseAt(int x, int y, const MouseMods& mods) {
    RouteLocked([&] {
        IControl* control = controls.Get(ControlAt(x, y));
        captureIndex = lastX = lastY = -1;
        if (control != nullptr) control->MouseReleased(x, y, mods);
        EndMouseEdit();
    });
}

bool EditorSurface::DoubleClickAt(int x, int y, const MouseMods& mods) {
    bool captured = false;
    RouteLocked([&] { captured = DoubleClickLocked(x, y, mods); });
    return captured;
}

bool EditorSurface::DoubleClickLocked(int x, int y, const MouseMods& mods) {
    captureIndex = lastX = lastY = -1;
    const int index = ControlAt(x, y);
    IControl* control = controls.Get(index);
    if (control == nullptr) return false;
    BeginMouseEdit(control->paramIndex);
    if (!control->doubleClickAsPress) {
        control->MouseDoubleClicked(x, y, mods);
        return false;
    }
    captureIndex = index;
    lastX = x;
    lastY = y;
    control->MousePressed(x, y, mods);
    return true;
}

void EditorSurface::WheelAt(int x, int y, const MouseMods& mods, int notches) {
    RouteLocked([&] {
        IControl* control = controls.Get(ControlAt(x, y));
        if (control == nullptr) return;
        const int param = control->paramIndex;
        if (param >= 0 && owner != nullptr) owner->HostBeginEditOnce(param);
        control->WheelTurned(x, y, mods, notches);
        if (param >= 0 && owner != nullptr) owner->ScheduleEndEdit(param);
    });
}

void EditorSurface::KeyAt(int x, int y, int key) {
    RouteLocked([&] {
        IControl* control = controls.Get(ControlAt(x, y));
        if (control != nullptr) control->KeyPressed(x, y, key);
    });
}

void EditorSurface::ApplyEnteredText(IControl* control, PluginParam* param, const char* text) {
    if (control == nullptr) return;
    if (text == nullptr) text = "";
    CoreLockGuard guard(OwnerLock());
    if (param != nullptr) {
        const double unit = param->UnitOf(param->ParseText(text));
        const int index = control->paramIndex;
        if (index >= 0 && owner != nullptr) owner->HostBeginEdit(index);
        control->ApplyEnteredValue(unit);
        if (index >= 0 && owner != nullptr) owner->HostEndEdit(index);
        return;
    }
    auto* editable = dynamic_cast<IEditableTextControl*>(control);
    if (editable != nullptr && editable->editable) editable->SetText(text);
}

void EditorSurface::FinishEntryOf(IControl* control) {
    if (control == nullptr) return;
    CoreLockGuard guard(OwnerLock());
    control->FinishEntry();
}

}  // namespace tav
