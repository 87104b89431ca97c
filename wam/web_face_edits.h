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
// and frame. A value right after another of the same id replaces it. A page that
// stops draining finds each id's edits folded into what it must still learn (as
// clap/clap_core.cpp folds a host's): the gestures stay balanced and the last value
// of each id stays.
class FaceEditQueue {
  public:
    static constexpr int kCapacity = 512;

    // False only when folding leaves no room (hundreds of ids at once).
    bool Push(const FaceEdit& edit);
    const FaceEdit* Data() const { return edits_; }
    int Count() const { return count_; }
    // The first count edits were taken.
    void Drop(int count);

  private:
    void Fold();

    FaceEdit edits_[kCapacity] = {};
    int count_ = 0;
};

}  // namespace tav
