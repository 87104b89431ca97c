#include "wam/web_face_edits.h"

#include <algorithm>

namespace tav {

bool FaceEditQueue::Push(const FaceEdit& edit) {
    if (edit.kind == FaceEditValue && count_ > 0) {
        FaceEdit& last = edits_[count_ - 1];
        if (last.kind == FaceEditValue && last.id == edit.id) {
            last.plain = edit.plain;
            return true;
        }
    }
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

}  // namespace tav
