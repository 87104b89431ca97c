#pragma once

#include <cstdint>

namespace tav {

// One edit of the face's for the page, by the host's parameter id, plain values.
struct FaceEdit {
    int32_t kind = 0;  // FaceEditBegin, FaceEditValue or FaceEditEnd
    uint32_t id = 0;
    double plain = 0.0;
};
// The page reads them from memory at 16 bytes each.
static_assert(sizeof(FaceEdit) == 16 && alignof(FaceEdit) == 8);
inline constexpr int32_t FaceEditBegin = 1;
inline constexpr int32_t FaceEditValue = 2;
inline constexpr int32_t FaceEditEnd = 3;

// The edits waiting for the page, oldest first, which it drains after each event
// and frame. A value right after another of the same id replaces it; a begin or an
// end is never dropped, so the gestures the page sees stay balanced.
class FaceEditQueue {
  public:
    static constexpr int kCapacity = 512;

    // False when full: the edit is refused (the page has stopped draining).
    bool Push(const FaceEdit& edit);
    const FaceEdit* Data() const { return edits_; }
    int Count() const { return count_; }
    // The first count edits were taken.
    void Drop(int count);

  private:
    FaceEdit edits_[kCapacity] = {};
    int count_ = 0;
};

}  // namespace tav
