#include "wam/web_face_edits.h"

#include <algorithm>

#include "core/edit_fold.h"

namespace tav {

bool FaceEditQueue::Push(const FaceEdit& edit) {
    if (edit.kind == FaceEditValue && count_ > 0) {
        FaceEdit& last = edits_[count_ - 1];
        if (last.kind == FaceEditValue && last.id == edit.id) {
            last.plain = edit.plain;
            return true;
        }
    }
    if (count_ == kCapacity) Fold();
    if (count_ == kCapacity) return false;
    edits_[count_++] = edit;
    return true;
}

void FaceEditQueue::Drop(int count) {
    if (count <= 0) return;
    count = std::min(count, count_);
    std::copy(edits_ + count, edits_ + count_, edits_);
    count_ -= count;
}

void FaceEditQueue::Fold() {
    static constexpr int32_t kKinds[] = {FaceEditBegin, FaceEditValue, FaceEditEnd};
    FaceEdit scratch[kCapacity];
    count_ = FoldEdits(
        edits_, count_, scratch,
        [](const FaceEdit& edit) {
            return edit.kind == FaceEditBegin   ? EditStep::Begin
                   : edit.kind == FaceEditValue ? EditStep::Value
                                                : EditStep::End;
        },
        [](const FaceEdit& edit) { return edit.id; },
        [](const FaceEdit& edit) { return edit.plain; },
        [](EditStep step, uint32_t id, double plain) {
            return FaceEdit{kKinds[static_cast<int>(step)], id, plain};
        });
}

}  // namespace tav
