#include "wam/web_face.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "effect/editor_layout.h"
#include "effect/factory_presets.h"
#include "effect/host_params.h"
#include "raster/bitmap_rows.h"

namespace tav {
namespace {

MouseMods ModsOf(int mods, bool left, bool right) {
    MouseMods m;
    m.left = left;
    m.right = right;
    m.shift = (mods & FaceModShift) != 0;
    m.control = (mods & FaceModControl) != 0;
    m.alt = (mods & FaceModAlt) != 0;
    return m;
}

}  // namespace

EditorSurface* WebFace::MakeSurface(IEffectCore& core) {
    return new (std::nothrow) WebFaceSurface(&core, kEditorWidth, kEditorHeight, 0);
}

std::unique_ptr<WebFace> WebFace::Create(int scalePercent) {
    if (scalePercent != 100 && scalePercent != 150 && scalePercent != 200) return nullptr;
    std::unique_ptr<WebFace> face(new (std::nothrow) WebFace);
    if (!face) return nullptr;
    face->effect_.reset(new (std::nothrow) Effect(WithEditor{&WebFace::MakeSurface}));
    if (!face->effect_ || face->effect_->Editor() == nullptr) return nullptr;
    Effect& effect = *face->effect_;
    effect.EnsureDefaultPreset();
    effect.NotifyAllParamsChanged();
    effect.SetEditSink(face.get());
    face->surface_ = static_cast<WebFaceSurface*>(effect.Editor());
    face->surface_->SetScalePercent(scalePercent);
    face->surface_->CreateCanvas();
    if (face->surface_->Canvas() == nullptr || face->surface_->OpenInParent(nullptr) == nullptr)
        return nullptr;
    {
        CoreLockGuard guard(&effect.Lock());
        effect.EditorOpened();
    }
    return face;
}

WebFace::~WebFace() {
    if (effect_) effect_->SetEditSink(nullptr);
}

bool WebFace::SetHostValue(uint32_t id, double plain) {
    if (!std::isfinite(plain)) return false;
    Effect& effect = *effect_;
    const HostParams params(effect, kFactoryPresetCount);
    const HostParamTarget target = params.Target(id);
    CoreLockGuard guard(&effect.Lock());
    switch (target.role) {
        case HostParamRole::Effect: {
            PluginParam* param = effect.Param(target.index);
            if (param == nullptr) return false;
            const double before = param->value;
            param->SetClamped(plain);
            if (param->value != before)
                surface_->PushParamToControls(target.index, param->value, false);
            return true;
        }
        case HostParamRole::Program: {
            const double number = std::floor(plain);
            if (number != plain || number < 0 || number >= kFactoryPresetCount) return false;
            if (static_cast<int>(number) == effect.CurrentPreset()) return true;
            return effect.SelectPreset(static_cast<int>(number));
        }
        case HostParamRole::Setting:
            if (SettingStep(effect.SettingValue(target.index)) != SettingStep(plain))
                effect.ApplySetting(target.index, SettingStep(plain));
            return true;
        case HostParamRole::Bypass:
            return true;  // the face shows no bypass
        case HostParamRole::None:
            break;
    }
    return false;
}

void WebFace::PointerDown(int x, int y, int button, int mods, uint32_t timeMs) {
    if (button != FaceButtonLeft && button != FaceButtonRight) return;
    const bool left = button == FaceButtonLeft;
    leftDown_ = leftDown_ || left;
    rightDown_ = rightDown_ || !left;
    const bool isDouble = clicks_.Press(button, x, y, timeMs);
    const MouseMods m = ModsOf(mods, leftDown_, rightDown_);
    if (isDouble && left) {
        captured_ = surface_->DoubleClickAt(x, y, m);
    } else {
        captured_ = true;
        surface_->PressAt(x, y, m);
    }
}

void WebFace::PointerMove(int x, int y, int mods) {
    if (!captured_ || !(leftDown_ || rightDown_)) return;
    clicks_.Moved(x, y);
    surface_->DragTo(x, y, ModsOf(mods, leftDown_, rightDown_));
}

void WebFace::PointerUp(int x, int y, int button, int mods) {
    if (button != FaceButtonLeft && button != FaceButtonRight) return;
    if (button == FaceButtonLeft && !leftDown_) return;
    if (button == FaceButtonRight && !rightDown_) return;
    if (button == FaceButtonLeft)
        leftDown_ = false;
    else
        rightDown_ = false;
    captured_ = false;
    surface_->ReleaseAt(x, y, ModsOf(mods, leftDown_, rightDown_));
}

void WebFace::Wheel(int x, int y, int notches, int mods) {
    if (notches == 0) return;
    surface_->WheelAt(x, y, ModsOf(mods, leftDown_, rightDown_), notches);
}

void WebFace::DoubleClick(int x, int y, int mods) {
    clicks_.Reset();
    captured_ = surface_->DoubleClickAt(x, y, ModsOf(mods, true, false));
    leftDown_ = captured_;
}

PixelRect WebFace::Frame() {
    surface_->Tick();
    return CopyOut(surface_->TakePaintedArea());
}

bool WebFace::Busy() const {
    return surface_->GestureCountdown() != 0;
}

PixelRect WebFace::CopyOut(PixelRect area) {
    const RasterBitmap* canvas = surface_->Canvas();
    if (canvas == nullptr || !canvas->IsDrawable()) return {};
    const int32_t w = canvas->Width(), h = canvas->Height();
    const size_t bytes = static_cast<size_t>(w) * static_cast<size_t>(h) * 4;
    if (rgba_.size() != bytes) {
        rgba_.assign(bytes, 0);
        area = PixelRect{0, 0, w, h};  // a new size: the page takes all of it
    }
    if (area.left < 0) area.left = 0;
    if (area.top < 0) area.top = 0;
    if (area.right > w) area.right = w;
    if (area.bottom > h) area.bottom = h;
    if (area.left >= area.right || area.top >= area.bottom) return {};
    const BitmapRows rows = BitmapRows::Of(*canvas);
    for (int32_t y = area.top; y < area.bottom; ++y) {
        const Pixel* source = rows.Row(y);
        uint8_t* out = rgba_.data() + (static_cast<size_t>(y) * w + area.left) * 4;
        // The window shows no alpha: every pixel is opaque on screen.
        for (int32_t x = area.left; x < area.right; ++x, out += 4) {
            out[0] = static_cast<uint8_t>(source[x] >> 16);
            out[1] = static_cast<uint8_t>(source[x] >> 8);
            out[2] = static_cast<uint8_t>(source[x]);
            out[3] = 255;
        }
    }
    return area;
}

// Centred on the control, as wide as its longest value, as the Linux face's box.
PixelRect WebFace::EntryBox() const {
    const IControl* control = surface_->EntryControl();
    const PluginParam* param = surface_->EntryParam();
    if (control == nullptr || param == nullptr) return {};
    char longest[PluginParam::kTextSize * 2] = {};
    param->FormatValue(1.0, true, longest, sizeof longest);
    const int w = std::max(32, 7 * static_cast<int>(std::strlen(longest)) + 6);
    const int cx = (control->rect.left + control->rect.right) / 2;
    const int cy = (control->rect.top + control->rect.bottom) / 2;
    return surface_->ToDevice(PixelRect{cx - w / 2, cy - 8, cx - w / 2 + w, cy + 8});
}

std::string WebFace::EntryText() const {
    const PluginParam* param = surface_->EntryParam();
    if (param == nullptr) return {};
    char text[PluginParam::kTextSize * 2] = {};
    param->FormatValue(param->value, false, text, sizeof text);
    return text;
}

void WebFace::CommitEntry(const char* text) {
    surface_->CommitEntry(text != nullptr ? text : "");
}

void WebFace::CancelEntry() {
    surface_->CancelEntry();
}

PixelRect WebFace::ScaleRow(int index) const {
    if (!surface_->ScaleMenuOpen() || index < 0 || index > 2) return {};
    return surface_->ToDevice(surface_->ScaleMenuRow(index));
}

PixelRect WebFace::ChoiceRow(int choice, int option) const {
    if (!surface_->ScaleMenuOpen()) return {};
    return surface_->ToDevice(surface_->MenuChoiceRow(choice, option));
}

void WebFace::Queue(int32_t kind, uint32_t id, double plain) {
    if (!edits_.Push(FaceEdit{kind, id, plain})) ++refused_;
}

void WebFace::BeginEdit(int param) {
    Queue(FaceEditBegin, static_cast<uint32_t>(param), 0.0);
}

void WebFace::PerformEdit(int param, double unit) {
    const PluginParam* p = effect_->Param(param);
    if (p == nullptr) return;
    Queue(FaceEditValue, static_cast<uint32_t>(param), p->PlainForUnit(unit));
}

void WebFace::EndEdit(int param) {
    Queue(FaceEditEnd, static_cast<uint32_t>(param), 0.0);
}

// The page's host hears of a setting as of any edit: one gesture with its value.
void WebFace::SettingEdited(int setting, double value) {
    if (!IsExtraSetting(setting)) return;
    const uint32_t id = HostParams::IdOfSetting(setting);
    Queue(FaceEditBegin, id, 0.0);
    Queue(FaceEditValue, id, SettingStep(value));
    Queue(FaceEditEnd, id, 0.0);
}

// The page has no host window to ask: the face takes the scale, and the page sizes
// its canvas from the face's new size.
bool WebFace::ChangeEditorScale(int percent) {
    surface_->SetScalePercent(percent);
    return surface_->ScalePercent() == percent;
}

}  // namespace tav
