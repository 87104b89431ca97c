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
    *size = ViewRect{0, 0, editor->Width(), editor->Height()};
    return kResultOk;
}

tresult PlugView::onSize(ViewRect* newSize) {
    if (newSize == nullptr) return kInvalidArgument;
    IEditorLink* editor = Editor();
    if (editor == nullptr) return kResultFalse;
    // The face has one size; anything else is refused and the window stays as it is.
    const bool same = newSize->right - newSize->left == editor->Width() &&
                      newSize->bottom - newSize->top == editor->Height();
    return same ? kResultOk : kResultFalse;
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
    rect->right = rect->left + editor->Width();
    rect->bottom = rect->top + editor->Height();
    return kResultTrue;
}

tresult PlugView::setContentScaleFactor(float factor) {
    // Kept for the scaled face; the face does not scale yet, so the host is told
    // it was not applied.
    if (!(factor > 0.0f) || factor > 8.0f) return kInvalidArgument;
    contentScale_ = factor;
    return kResultFalse;
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
