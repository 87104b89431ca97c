#include "editor/embedded_editor.h"

#include "core/core_lock.h"
#include "core/editor_link.h"
#include "core/effect_core.h"

namespace tav {

bool EmbeddedEditor::Open(IEffectCore& effect, void* parent, IHostLoop* loop) {
    IEditorLink* editor = effect.Editor();
    if (open_ || editor == nullptr || parent == nullptr) return false;
    editor->SettleScale();
    if (!OpenWindow(*editor, parent, loop)) return false;
    open_ = true;
    loop_ = loop;
    CoreLockGuard guard(&effect.Lock());
    effect.EditorOpened();
    return true;
}

void EmbeddedEditor::Close(IEffectCore& effect) {
    if (!open_) return;
    open_ = false;
    {
        CoreLockGuard guard(&effect.Lock());
        effect.EditorClosed();
    }
    if (loop_ != nullptr) loop_->StopAll();
    loop_ = nullptr;
    if (IEditorLink* editor = effect.Editor()) editor->CloseNative();
}

void EmbeddedEditor::HostIdle(IEffectCore& effect) const {
    if (!open_ || loop_ == nullptr) return;
    if (IEditorLink* editor = effect.Editor()) editor->Idle();
}

bool EmbeddedEditor::TakeHostLoop(IEffectCore& effect, IHostLoop* loop) {
    if (!open_ || loop == nullptr) return false;
    if (loop_ != nullptr) return true;
    IEditorLink* editor = effect.Editor();
    if (editor == nullptr || !HandOver(*editor, *loop)) return false;
    loop_ = loop;
    return true;
}

bool EmbeddedEditor::ApplyScale(IEffectCore& effect, int percent,
                                const AskHostToResize& askHost) const {
    IEditorLink* editor = effect.Editor();
    if (editor == nullptr) return false;
    if (open_ && percent != editor->ScalePercent()) {
        if (!askHost || !askHost(editor->WidthAt(percent), editor->HeightAt(percent))) return false;
    }
    // Taken even when it is the face's scale already: the host's factor stands
    // over the user's saved choice.
    editor->SetScalePercent(percent);
    return editor->ScalePercent() == percent;
}

}  // namespace tav
