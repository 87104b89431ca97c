#include "vst3/plug_view.h"

#include <cstring>

#include "core/editor_link.h"
#include "vst3/controller.h"

namespace tav::vst3 {

PlugView::PlugView(Controller* controller) : controller_(controller) {
    controller_->addRef();
}

PlugView::~PlugView() {
    Detach();
    controller_->release();
}

tresult PlugView::queryInterface(const TUID iid, void** obj) {
    return QueryWith(iid, obj, [&](const TUID wanted) -> FUnknown* {
        if (FUnknown::iid.Matches(wanted)) return static_cast<IPlugView*>(this);
        return FindInterface<PlugView, IPlugView, IPlugViewContentScaleSupport, IEventHandler,
                             ITimerHandler>(this, wanted);
    });
}

IEditorLink* PlugView::Editor() const {
    Vst3Phaser* effect = controller_->Effect();
    return effect != nullptr ? effect->Editor() : nullptr;
}

tresult PlugView::isPlatformTypeSupported(FIDString type) {
    return type != nullptr && std::strcmp(type, PlatformType()) == 0 ? kResultTrue : kResultFalse;
}

tresult PlugView::attached(void* parent, FIDString type) {
    if (parent == nullptr || isPlatformTypeSupported(type) != kResultTrue) return kInvalidArgument;
    if (attached_ || Editor() == nullptr) return kResultFalse;
    // One face per controller: a second view waits until the first is removed.
    if (!controller_->ClaimView(this)) return kResultFalse;
    Editor()->SettleScale();
    if (!OpenWindow(parent)) {
        controller_->ReleaseView(this);
        return kResultFalse;
    }
    attached_ = true;
    Vst3Phaser* effect = controller_->Effect();
    CoreLockGuard guard(&effect->Lock());
    effect->EditorOpened();
    return kResultOk;
}

tresult PlugView::removed() {
    if (!attached_) return kResultFalse;
    Detach();
    return kResultOk;
}

void PlugView::Detach() {
    if (!attached_) return;
    attached_ = false;
    if (Vst3Phaser* effect = controller_->Effect()) {
        CoreLockGuard guard(&effect->Lock());
        effect->EditorClosed();
    }
    CloseWindow();
    controller_->ReleaseView(this);
}

tresult PlugView::onWheel(float) {
    return kResultFalse;  // the window takes wheel turns itself
}

tresult PlugView::onKeyDown(char16 key, int16 keyCode, int16) {
    if (!attached_ || Editor() == nullptr) return kResultFalse;
    return PlatformKey(key, keyCode);
}

tresult PlugView::onKeyUp(char16, int16, int16) {
    return kResultFalse;  // the editor acts on presses only
}

tresult PlugView::getSize(ViewRect* size) {
    if (size == nullptr) return kInvalidArgument;
    IEditorLink* editor = Editor();
    if (editor == nullptr) return kResultFalse;
    editor->SettleScale();
    // A host that reads the size while it resizes for us gets the size it was asked for.
    *size = resizing_ ? pendingSize_ : ViewRect{0, 0, editor->Width(), editor->Height()};
    return kResultOk;
}

tresult PlugView::onSize(ViewRect* newSize) {
    if (newSize == nullptr) return kInvalidArgument;
    IEditorLink* editor = Editor();
    if (editor == nullptr) return kResultFalse;
    // The face has one size per scale: the current one, or the one we asked the host
    // for while it resizes. Anything else is refused and the window stays as it is.
    const int w = newSize->right - newSize->left, h = newSize->bottom - newSize->top;
    const bool same = w == editor->Width() && h == editor->Height();
    const bool asked = resizing_ && w == pendingSize_.right - pendingSize_.left &&
                       h == pendingSize_.bottom - pendingSize_.top;
    return same || asked ? kResultOk : kResultFalse;
}

tresult PlugView::onFocus(TBool) {
    return kResultOk;
}

tresult PlugView::setFrame(IPlugFrame* frame) {
    frame_.Reset(frame);
    return kResultOk;
}

tresult PlugView::canResize() {
    return kResultFalse;
}

tresult PlugView::checkSizeConstraint(ViewRect* rect) {
    if (rect == nullptr) return kInvalidArgument;
    IEditorLink* editor = Editor();
    if (editor == nullptr) return kResultFalse;
    // While the host resizes for us, the size it was asked for is the one that fits.
    const ViewRect size =
        resizing_ ? pendingSize_ : ViewRect{0, 0, editor->Width(), editor->Height()};
    rect->right = rect->left + size.right;
    rect->bottom = rect->top + size.bottom;
    return kResultTrue;
}

tresult PlugView::setContentScaleFactor(float factor) {
    const int percent = NearestEditorScale(factor);
    if (percent == 0) return kInvalidArgument;
    if (Editor() == nullptr) return kResultFalse;
    return ApplyScale(percent) ? kResultOk : kResultFalse;
}

bool PlugView::ApplyScale(int percent) {
    IEditorLink* editor = Editor();
    if (editor == nullptr) return false;
    if (attached_) {
        if (percent == editor->ScalePercent()) return true;
        // An open face changes size only through the host.
        if (frame_.Get() == nullptr) return false;
        ViewRect size{0, 0, editor->WidthAt(percent), editor->HeightAt(percent)};
        pendingSize_ = size;
        resizing_ = true;
        const tresult answer = frame_.Get()->resizeView(this, &size);
        resizing_ = false;
        if (answer != kResultOk) return false;
    }
    // Taken even when it is the face's scale already: the host's factor stands over
    // the user's saved choice.
    editor->SetScalePercent(percent);
    return true;
}

void PlugView::onFDIsSet(int) {
    if (attached_ && runLoopDriven_) {
        if (IEditorLink* editor = Editor()) editor->Idle();
    }
}

void PlugView::onTimer() {
    if (attached_ && runLoopDriven_) {
        if (IEditorLink* editor = Editor()) editor->Idle();
    }
}

}  // namespace tav::vst3
