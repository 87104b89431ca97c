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

// Per id, in the order the page must learn it: the end of a gesture it saw begin,
// the last value, a gesture still running. Values fold, never a begin or an end
// alone, so at most three edits remain per id.
void FaceEditQueue::Fold() {
    FaceEdit folded[kCapacity];
    int count = 0;
    for (int i = 0; i < count_; ++i) {
        const uint32_t id = edits_[i].id;
        bool seen = false;
        for (int k = 0; k < i && !seen; ++k) seen = edits_[k].id == id;
        if (seen) continue;
        bool endsEarlier = false, began = false, open = false, hasValue = false;
        double last = 0.0;
        for (int k = i; k < count_; ++k) {
            const FaceEdit& edit = edits_[k];
            if (edit.id != id) continue;
            if (edit.kind == FaceEditValue) {
                hasValue = true;
                last = edit.plain;
            } else if (edit.kind == FaceEditBegin) {
                began = open = true;
            } else if (open) {
                open = false;
            } else {
                endsEarlier = true;
            }
        }
        const auto put = [&](int32_t kind, double plain) { folded[count++] = {kind, id, plain}; };
        if (began && !endsEarlier) put(FaceEditBegin, 0.0);
        if (hasValue) put(FaceEditValue, last);
        if (endsEarlier || (began && !open)) put(FaceEditEnd, 0.0);
        if (endsEarlier && open) put(FaceEditBegin, 0.0);
    }
    std::copy(folded, folded + count, edits_);
    count_ = count;
}

}  // namespace tav
