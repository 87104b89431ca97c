#include "vst3/plug_view.h"

#include <cstring>

#include "core/editor_link.h"
#include "vst3/controller.h"

namespace tav::vst3 {

// Every host call of a view is checked against its controller's UI thread.
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
    controller_->Roles().Check("IPlugView::isPlatformTypeSupported", ThreadRole::Main);
    return type != nullptr && std::strcmp(type, PlatformType()) == 0 ? kResultTrue : kResultFalse;
}

tresult PlugView::attached(void* parent, FIDString type) {
    controller_->Roles().Check("IPlugView::attached", ThreadRole::Main);
    if (parent == nullptr || type == nullptr || std::strcmp(type, PlatformType()) != 0)
        return kInvalidArgument;
    if (face_.IsOpen() || Editor() == nullptr) return kResultFalse;
    // One face per controller: a second view waits until the first is removed.
    if (!controller_->ClaimView(this)) return kResultFalse;
    if (!face_.Open(*controller_->Effect(), parent, PlatformLoop())) {
        runLoop_.Reset();
        controller_->ReleaseView(this);
        return kResultFalse;
    }
    // While the host's run loop drives the face, the host's notices go from it too.
    if (face_.HostDriven()) controller_->LendUiLoop(true);
    return kResultOk;
}

tresult PlugView::removed() {
    controller_->Roles().Check("IPlugView::removed", ThreadRole::Main);
    if (!face_.IsOpen()) return kResultFalse;
    Detach();
    return kResultOk;
}

void PlugView::Detach() {
    if (!face_.IsOpen()) return;
    if (face_.HostDriven()) controller_->LendUiLoop(false);
    if (Vst3Phaser* effect = controller_->Effect()) face_.Close(*effect);
    controller_->ReleaseView(this);
}

tresult PlugView::onWheel(float) {
    controller_->Roles().Check("IPlugView::onWheel", ThreadRole::Main);
    return kResultFalse;  // the window takes wheel turns itself
}

tresult PlugView::onKeyDown(char16 key, int16 keyCode, int16) {
    controller_->Roles().Check("IPlugView::onKeyDown", ThreadRole::Main);
    if (!face_.IsOpen() || Editor() == nullptr) return kResultFalse;
    return PlatformKey(key, keyCode);
}

tresult PlugView::onKeyUp(char16, int16, int16) {
    controller_->Roles().Check("IPlugView::onKeyUp", ThreadRole::Main);
    return kResultFalse;  // the editor acts on presses only
}

tresult PlugView::getSize(ViewRect* size) {
    controller_->Roles().Check("IPlugView::getSize", ThreadRole::Main);
    if (size == nullptr) return kInvalidArgument;
    IEditorLink* editor = Editor();
    if (editor == nullptr) return kResultFalse;
    editor->SettleScale();
    // A host that reads the size while it resizes for us gets the size it was asked for.
    *size = resizing_ ? pendingSize_ : ViewRect{0, 0, editor->Width(), editor->Height()};
    return kResultOk;
}

tresult PlugView::onSize(ViewRect* newSize) {
    controller_->Roles().Check("IPlugView::onSize", ThreadRole::Main);
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
    controller_->Roles().Check("IPlugView::onFocus", ThreadRole::Main);
    return kResultOk;
}

tresult PlugView::setFrame(IPlugFrame* frame) {
    controller_->Roles().Check("IPlugView::setFrame", ThreadRole::Main);
    frame_.Reset(frame);
    return kResultOk;
}

tresult PlugView::canResize() {
    controller_->Roles().Check("IPlugView::canResize", ThreadRole::Main);
    return kResultFalse;
}

tresult PlugView::checkSizeConstraint(ViewRect* rect) {
    controller_->Roles().Check("IPlugView::checkSizeConstraint", ThreadRole::Main);
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
    controller_->Roles().Check("IPlugViewContentScaleSupport::setContentScaleFactor",
                               ThreadRole::Main);
    const int percent = NearestEditorScale(factor);
    if (percent == 0) return kInvalidArgument;
    if (Editor() == nullptr) return kResultFalse;
    return ApplyScale(percent) ? kResultOk : kResultFalse;
}

bool PlugView::ApplyScale(int percent) {
    Vst3Phaser* effect = controller_->Effect();
    if (effect == nullptr) return false;
    return face_.ApplyScale(*effect, percent, [this](int width, int height) {
        if (frame_.Get() == nullptr) return false;
        ViewRect size{0, 0, width, height};
        pendingSize_ = size;
        resizing_ = true;
        const tresult answer = frame_.Get()->resizeView(this, &size);
        resizing_ = false;
        return answer == kResultOk;
    });
}

void PlugView::onFDIsSet(int) {
    controller_->Roles().Check("IEventHandler::onFDIsSet", ThreadRole::Main);
    if (Vst3Phaser* effect = controller_->Effect()) face_.HostIdle(*effect);
}

void PlugView::onTimer() {
    controller_->Roles().Check("ITimerHandler::onTimer", ThreadRole::Main);
    Vst3Phaser* effect = controller_->Effect();
    if (effect == nullptr || !face_.HostDriven()) return;
    face_.HostIdle(*effect);
    controller_->SendNotices();
}

bool PlugView::StartTimer(uint32_t milliseconds) {
    return runLoop_ && runLoop_.Get()->registerTimer(this, milliseconds) == kResultOk;
}

bool PlugView::WatchDescriptor(int fd) {
    return runLoop_ && runLoop_.Get()->registerEventHandler(this, fd) == kResultOk;
}

void PlugView::StopAll() {
    if (runLoop_) {
        runLoop_.Get()->unregisterTimer(this);
        runLoop_.Get()->unregisterEventHandler(this);
    }
    runLoop_.Reset();
}

}  // namespace tav::vst3
