#include "editor/editor_surface.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <utility>

#include "core/effect_core.h"
#include "editor/editor_caches.h"
#include "editor/editor_settings.h"
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

namespace {
int64_t FloorDiv(int64_t a, int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
int32_t Saturated(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}
}  // namespace

EditorSurface::EditorSurface(IEffectCore* owner, int width, int height, int frameRate)
    : owner(owner),
      width(width > 0 ? width : 0),
      height(height > 0 ? height : 0),
      frameRate(frameRate > 0 ? frameRate : 24),
      settingsPath_(EditorSettingsPath()) {
    menuStyle_.size = 13;
    menuStyle_.color = ArgbColor{255, 230, 230, 230};
    menuStyle_.align = 1;
    menuHeadingStyle_ = menuStyle_;
    menuHeadingStyle_.color = ArgbColor{255, 150, 152, 164};
}

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
    backdrop_ = nullptr;
    heldControl_ = nullptr;
    heldValueWaiting_ = false;
    menuOpen_ = menuPainted_ = false;
    captureIndex = lastX = lastY = -1;
}

void EditorSurface::ResizeEditor(int w, int h) {
    {
        CoreLockGuard guard(OwnerLock());
        width = w > 0 ? w : 0;
        height = h > 0 ? h : 0;
        ClearControls();
    }
    ResizeShownCanvas();
    if (owner != nullptr) owner->EditorSizeChanged();
}

// The canvas is the window's alone (its thread, or the host's UI thread, works on
// it; never the audio thread): megabytes of pixels are never (re)made under the
// core lock, where the audio would wait for them.
void EditorSurface::ResizeShownCanvas() {
    if (canvas && canvas->IsDrawable()) canvas->Resize(ToDevice(width), ToDevice(height));
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
    backdrop_ = backdrop;
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
    ref.resource = resourceNumber;
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
    if (!canvas) canvas = std::make_unique<SystemBitmap>(0, 0);
}

bool EditorSurface::ShowCanvas() {
    if (!canvas) return false;
    canvas->Resize(ToDevice(width), ToDevice(height));
    return canvas->IsDrawable();
}

void EditorSurface::ReleaseCanvas() {
    if (canvas) canvas->Resize(0, 0);
}

bool EditorSurface::SetScalePercent(int percent) {
    if (percent != 100 && percent != 150 && percent != 200) return false;
    scaleSettled_ = true;
    return TakeScale(percent);
}

void EditorSurface::SettleScale() {
    if (scaleSettled_) return;
    scaleSettled_ = true;
    int percent = ReadScaleSetting(settingsPath_);
    if (percent == 0) percent = ScreenScalePercent();
    TakeScale(percent);
}

bool EditorSurface::TakeScale(int percent) {
    if (percent != 100 && percent != 150 && percent != 200) return false;
    {
        CoreLockGuard guard(OwnerLock());
        if (percent == scalePercent_) return false;
        scalePercent_ = percent;
        menuOpen_ = false;
        for (int i = 0; i < controls.Count(); ++i) controls.Get(i)->MarkChanged(false);
    }
    ResizeShownCanvas();
    ApplyWindowSize();
    if (owner != nullptr) owner->EditorSizeChanged();
    return true;
}

int EditorSurface::WidthAt(int percent) const {
    return Saturated(FloorDiv(int64_t{width} * percent + 50, 100));
}

int EditorSurface::HeightAt(int percent) const {
    return Saturated(FloorDiv(int64_t{height} * percent + 50, 100));
}

int EditorSurface::ToDevice(int v) const {
    if (scalePercent_ == 100) return v;
    return Saturated(FloorDiv(int64_t{v} * scalePercent_ + 50, 100));
}

PixelRect EditorSurface::ToDevice(const PixelRect& r) const {
    return {ToDevice(r.left), ToDevice(r.top), ToDevice(r.right), ToDevice(r.bottom)};
}

int EditorSurface::ToUnits(int device) const {
    if (scalePercent_ == 100) return device;
    return Saturated(FloorDiv(int64_t{device} * 100, scalePercent_));
}

PixelRect EditorSurface::ToUnits(const PixelRect& d) const {
    if (scalePercent_ == 100) return d;
    auto up = [&](int v) { return Saturated(-FloorDiv(-int64_t{v} * 100, scalePercent_)); };
    return {ToUnits(d.left), ToUnits(d.top), up(d.right), up(d.bottom)};
}

void EditorSurface::ShowParamMarks(int paramIndex, const ParamMarks& marks) {
    CoreLockGuard guard(OwnerLock());
    for (int i = 0; i < controls.Count(); ++i) {
        IControl* control = controls.Get(i);
        if (control->paramIndex == paramIndex) control->SetMarks(marks);
    }
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
        if (control->paramIndex != paramIndex) continue;
        if (control == heldControl_) {
            heldValue_ = v;
            heldValueWaiting_ = true;
        } else {
            control->ApplyHostValue(v);
        }
    }
}

void EditorSurface::MarkAllChanged() {
    CoreLockGuard guard(OwnerLock());
    for (int i = 0; i < controls.Count(); ++i) controls.Get(i)->MarkChanged(false);
}

bool EditorSurface::CollectChangedArea(PixelRect* outArea) {
    if (owner != nullptr) owner->EditorFrame();
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
    // Grown before the lock: the list is the window's, and only its threads add controls.
    paintList_.reserve(static_cast<size_t>(controls.Count()));
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
    menuPainted_ = menuOpen_ && Overlap(menuRect_, area);
    if (menuPainted_) {
        for (size_t i = 0; i < choices_.size(); ++i)
            paintedChoices_[i] = choices_[i].current ? choices_[i].current() : -1;
    }
    return true;
}

bool EditorSurface::RenderPrepared() {
    // Render reads only what PreparePaint captured, so no lock is held here.
    for (IControl* control : paintList_) control->Render(this);
    paintList_.clear();
    if (menuPainted_) RenderScaleMenu();
    return PresentRegion(ToDevice(preparedArea_));
}

bool EditorSurface::PaintRegion(const PixelRect& area) {
    if (!PreparePaint(area)) return true;
    return RenderPrepared();
}

bool EditorSurface::PaintDeviceRegion(const PixelRect& area) {
    return PaintRegion(ToUnits(area));
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
    ApplyPendingScale();
    PerformPendingExtra();
}

void EditorSurface::PressAt(int x, int y, const MouseMods& mods) {
    x = ToUnits(x);
    y = ToUnits(y);
    // Another party's entries are asked for before the lock: its answer takes its
    // time and allocates, and the audio may wait on the lock.
    if (mods.right && !mods.left && !menuOpen_ && extras_.gather) gathered_ = extras_.gather();
    RouteLocked([&] { PressLocked(x, y, mods); });
    gathered_.clear();
}

void EditorSurface::PressLocked(int x, int y, const MouseMods& mods) {
    captureIndex = lastX = lastY = -1;
    // Only this press's release can be the menu's.
    menuPress_ = false;
    if (menuOpen_) {
        // A press anywhere closes the menu; on a row it also picks that scale. Like
        // any new press, it ends a gesture whose release never came.
        EndMouseEdit();
        PressOnMenu(x, y);
        menuPress_ = true;
        return;
    }
    const int index = ControlAt(x, y);
    IControl* control = controls.Get(index);
    if (mods.right && !mods.left && (control == nullptr || control == backdrop_)) {
        EndMouseEdit();
        ShowScaleMenu(true, x, y);
        menuPress_ = true;
        return;
    }
    if (control == nullptr) return;
    captureIndex = index;
    lastX = x;
    lastY = y;
    BeginMouseEdit(control);
    control->MousePressed(x, y, mods);
}

namespace {
constexpr int kMenuRowHeight = 20;
constexpr int kMenuWidth = 70;
constexpr int kMenuWidthWithChoices = 100;  // room for a heading such as "Sweep Sync"
constexpr int kMenuWidthWithExtras = 150;   // room for a host's longer labels
constexpr int kMenuRows = static_cast<int>(std::size(kEditorScales));
constexpr int kMenuGap = 5;  // above each choice, with a rule across it
const ArgbColor kMenuRule{255, 120, 120, 128};
const ArgbColor kMenuCurrent{255, 60, 92, 140};
}  // namespace

PixelRect EditorSurface::ScaleMenuRow(int i) const {
    const int top = menuRect_.top + 1 + i * kMenuRowHeight;
    return {menuRect_.left + 1, top, menuRect_.right - 1, top + kMenuRowHeight};
}

void EditorSurface::AddMenuChoice(MenuChoice choice) {
    CoreLockGuard guard(OwnerLock());
    choices_.push_back(std::move(choice));
    paintedChoices_.push_back(-1);
}

int EditorSurface::MenuWidth() const {
    if (!extraEntries_.empty()) return kMenuWidthWithExtras;
    return choices_.empty() ? kMenuWidth : kMenuWidthWithChoices;
}

void EditorSurface::SetMenuExtras(MenuExtras extras) {
    CoreLockGuard guard(OwnerLock());
    extras_ = std::move(extras);
}

namespace {
int ExtraHeight(const MenuExtraEntry& entry) {
    return entry.kind == MenuExtraEntry::Kind::Separator ? kMenuGap : kMenuRowHeight;
}
}  // namespace

PixelRect EditorSurface::MenuExtraRow(int i) const {
    if (i < 0 || i >= MenuExtraCount()) return {};
    // Below a rule across a gap, as a choice is.
    int top = menuRect_.top + MenuChoiceTop(MenuChoiceCount()) + kMenuGap;
    for (int e = 0; e < i; ++e) top += ExtraHeight(extraEntries_[static_cast<size_t>(e)]);
    return {menuRect_.left + 1, top, menuRect_.right - 1,
            top + ExtraHeight(extraEntries_[static_cast<size_t>(i)])};
}

int EditorSurface::MenuChoiceTop(int choice) const {
    int top = 1 + kMenuRows * kMenuRowHeight;
    for (int i = 0; i < choice; ++i) {
        top += kMenuGap + kMenuRowHeight * (1 + static_cast<int>(choices_[i].options.size()));
    }
    return top;
}

int EditorSurface::MenuHeight() const {
    int extras = 0;
    for (const MenuExtraEntry& entry : extraEntries_) extras += ExtraHeight(entry);
    return MenuChoiceTop(MenuChoiceCount()) + (extras > 0 ? kMenuGap + extras : 0) + 1;
}

PixelRect EditorSurface::MenuChoiceRow(int choice, int option) const {
    if (choice < 0 || choice >= MenuChoiceCount() || option < 0 ||
        option >= static_cast<int>(choices_[choice].options.size()))
        return {};
    // Below the gap and the heading.
    const int top =
        menuRect_.top + MenuChoiceTop(choice) + kMenuGap + (1 + option) * kMenuRowHeight;
    return {menuRect_.left + 1, top, menuRect_.right - 1, top + kMenuRowHeight};
}

void EditorSurface::ShowScaleMenu(bool open, int x, int y) {
    if (open) {
        extraEntries_.swap(gathered_);
        // What does not fit in the face is left out, from the end.
        while (!extraEntries_.empty() && MenuHeight() > height) extraEntries_.pop_back();
        const int w = MenuWidth();
        const int h = MenuHeight();
        // Opens below and right of the pointer, moved inside the face when it would
        // leave it.
        x = std::clamp(x, 0, std::max(0, width - w));
        y = std::clamp(y, 0, std::max(0, height - h));
        menuRect_ = {x, y, x + w, y + h};
    }
    menuOpen_ = open;
    for (int i = 0; i < controls.Count(); ++i) {
        IControl* control = controls.Get(i);
        if (Overlap(control->rect, menuRect_)) control->MarkChanged(false);
    }
}

namespace {
bool Inside(const PixelRect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}
}  // namespace

bool EditorSurface::PressOnMenu(int x, int y) {
    for (int i = 0; i < kMenuRows; ++i) {
        if (Inside(ScaleMenuRow(i), x, y)) {
            pendingScale_ = kEditorScales[i];
            break;
        }
    }
    const bool chose = pendingScale_ == 0 && (PressOnMenuChoice(x, y) || PressOnMenuExtra(x, y));
    ShowScaleMenu(false, 0, 0);
    return pendingScale_ != 0 || chose;
}

bool EditorSurface::PressOnMenuChoice(int x, int y) {
    for (int c = 0; c < MenuChoiceCount(); ++c) {
        const MenuChoice& choice = choices_[static_cast<size_t>(c)];
        for (int o = 0; o < static_cast<int>(choice.options.size()); ++o) {
            if (!Inside(MenuChoiceRow(c, o), x, y)) continue;
            // The current option again is no change to tell anyone of.
            if (choice.choose && (!choice.current || choice.current() != o)) choice.choose(o);
            return true;
        }
    }
    return false;
}

bool EditorSurface::PressOnMenuExtra(int x, int y) {
    for (int i = 0; i < MenuExtraCount(); ++i) {
        const MenuExtraEntry& entry = extraEntries_[static_cast<size_t>(i)];
        if (!Inside(MenuExtraRow(i), x, y)) continue;
        if (entry.kind != MenuExtraEntry::Kind::Entry || !entry.enabled) return false;
        extraPending_ = true;
        pendingExtra_ = entry.action;
        return true;
    }
    return false;
}

void EditorSurface::PerformPendingExtra() {
    if (!std::exchange(extraPending_, false)) return;
    if (extras_.perform) extras_.perform(pendingExtra_);
}

void EditorSurface::RenderScaleMenu() {
    const BlendSpec solid{BlendOpaque, 1.0f};
    PaintFill(kMenuRule, menuRect_, &solid);
    const PixelRect inner{menuRect_.left + 1, menuRect_.top + 1, menuRect_.right - 1,
                          menuRect_.bottom - 1};
    PaintFill(ArgbColor{255, 34, 36, 42}, inner, &solid);
    for (int i = 0; i < kMenuRows; ++i) {
        const PixelRect row = ScaleMenuRow(i);
        if (kEditorScales[i] == scalePercent_) {
            PaintFill(kMenuCurrent, row, &solid);
            PaintCheckMark(row);
        }
        char label[16];
        std::snprintf(label, sizeof label, "%d %%", kEditorScales[i]);
        PaintText(menuStyle_, label, PixelRect{row.left, row.top + 3, row.right, row.bottom});
    }
    for (int c = 0; c < MenuChoiceCount(); ++c) RenderMenuChoice(c);
    RenderMenuExtras();
}

// A rule across the gap, then each entry as the choices' rows are shown; headings
// and disabled entries in the heading's colour, separators as rules.
void EditorSurface::RenderMenuExtras() {
    if (extraEntries_.empty()) return;
    const BlendSpec solid{BlendOpaque, 1.0f};
    const int rule = menuRect_.top + MenuChoiceTop(MenuChoiceCount()) + kMenuGap / 2;
    PaintFill(kMenuRule, PixelRect{menuRect_.left + 5, rule, menuRect_.right - 5, rule + 1},
              &solid);
    for (int i = 0; i < MenuExtraCount(); ++i) {
        const MenuExtraEntry& entry = extraEntries_[static_cast<size_t>(i)];
        const PixelRect row = MenuExtraRow(i);
        if (entry.kind == MenuExtraEntry::Kind::Separator) {
            const int middle = row.top + kMenuGap / 2;
            PaintFill(kMenuRule, PixelRect{row.left + 4, middle, row.right - 4, middle + 1},
                      &solid);
            continue;
        }
        if (entry.checked) PaintCheckMark(row);
        const bool plain = entry.kind == MenuExtraEntry::Kind::Entry && entry.enabled;
        PaintText(plain ? menuStyle_ : menuHeadingStyle_, entry.label.c_str(),
                  PixelRect{row.left + 16, row.top + 3, row.right - 16, row.bottom});
    }
}

// A rule across the gap, the heading, then the options as the scales are shown.
void EditorSurface::RenderMenuChoice(int c) {
    const BlendSpec solid{BlendOpaque, 1.0f};
    const MenuChoice& choice = choices_[static_cast<size_t>(c)];
    const int top = menuRect_.top + MenuChoiceTop(c);
    const int rule = top + kMenuGap / 2;
    PaintFill(kMenuRule, PixelRect{menuRect_.left + 5, rule, menuRect_.right - 5, rule + 1},
              &solid);
    const PixelRect heading{menuRect_.left + 1, top + kMenuGap, menuRect_.right - 1,
                            top + kMenuGap + kMenuRowHeight};
    PaintText(menuHeadingStyle_, choice.heading.c_str(),
              PixelRect{heading.left, heading.top + 3, heading.right, heading.bottom});
    for (int o = 0; o < static_cast<int>(choice.options.size()); ++o) {
        const PixelRect row = MenuChoiceRow(c, o);
        if (paintedChoices_[static_cast<size_t>(c)] == o) {
            PaintFill(kMenuCurrent, row, &solid);
            PaintCheckMark(row);
        }
        PaintText(menuStyle_, choice.options[static_cast<size_t>(o)].c_str(),
                  PixelRect{row.left, row.top + 3, row.right, row.bottom});
    }
}

// A tick at the row's left, of 2-unit squares: a short stroke down, a long one up.
void EditorSurface::PaintCheckMark(const PixelRect& row) {
    const BlendSpec solid{BlendOpaque, 1.0f};
    constexpr int kPoints[][2] = {{0, 5}, {1, 6}, {2, 7}, {3, 8}, {4, 7}, {5, 6},
                                  {6, 5}, {7, 4}, {8, 3}, {9, 2}, {10, 1}};
    const int left = row.left + 5;
    const int top = row.top + 5;
    for (const auto& p : kPoints) {
        PaintFill(menuStyle_.color,
                  PixelRect{left + p[0], top + p[1], left + p[0] + 2, top + p[1] + 2}, &solid);
    }
}

// The host is asked first; a scale it refuses is neither taken nor kept.
void EditorSurface::ApplyPendingScale() {
    const int percent = std::exchange(pendingScale_, 0);
    if (percent == 0) return;
    if (percent != scalePercent_) {
        const bool taken =
            owner != nullptr ? owner->ChangeEditorScale(percent) : SetScalePercent(percent);
        if (!taken) return;
    }
    WriteScaleSetting(settingsPath_, percent);
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
void EditorSurface::BeginMouseEdit(IControl* control) {
    EndMouseEdit();
    const int paramIndex = control->paramIndex;
    if (paramIndex < 0 || owner == nullptr) return;
    owner->HostBeginEdit(paramIndex);
    mouseEditParam_ = paramIndex;
    heldControl_ = control;
    heldValueWaiting_ = false;
}

void EditorSurface::EndMouseEdit() {
    // The hold ends before the host hears the end, so what it sends then applies.
    if (IControl* held = std::exchange(heldControl_, nullptr)) {
        if (std::exchange(heldValueWaiting_, false)) held->ApplyHostValue(heldValue_);
    }
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
    x = ToUnits(x);
    y = ToUnits(y);
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
    x = ToUnits(x);
    y = ToUnits(y);
    RouteLocked([&] {
        // The release of a press the menu took reaches no control.
        if (std::exchange(menuPress_, false)) return;
        IControl* control = controls.Get(ControlAt(x, y));
        captureIndex = lastX = lastY = -1;
        if (control != nullptr) control->MouseReleased(x, y, mods);
        EndMouseEdit();
    });
}

bool EditorSurface::DoubleClickAt(int x, int y, const MouseMods& mods) {
    bool captured = false;
    x = ToUnits(x);
    y = ToUnits(y);
    RouteLocked([&] { captured = DoubleClickLocked(x, y, mods); });
    return captured;
}

bool EditorSurface::DoubleClickLocked(int x, int y, const MouseMods& mods) {
    captureIndex = lastX = lastY = -1;
    menuPress_ = false;
    if (menuOpen_) {
        EndMouseEdit();
        PressOnMenu(x, y);
        menuPress_ = true;
        return false;
    }
    const int index = ControlAt(x, y);
    IControl* control = controls.Get(index);
    if (control == nullptr) return false;
    BeginMouseEdit(control);
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
    x = ToUnits(x);
    y = ToUnits(y);
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
    x = ToUnits(x);
    y = ToUnits(y);
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
