#pragma once

#include <cstring>

#include "core/heap_buffer.h"

namespace tav {

// A list of owned objects, stored as pointers back to back in a HeapBuffer.
// Elements are deleted last index first.
template <class T>
class PtrList {
  public:
    PtrList() = default;
    ~PtrList() { DeleteAll(); }
    PtrList(const PtrList&) = delete;
    PtrList& operator=(const PtrList&) = delete;

    int Count() const { return buffer_.Size() / static_cast<int>(sizeof(T*)); }

    T* Get(int index) const {
        if (index < 0 || index >= Count()) return nullptr;
        T* item;
        std::memcpy(&item, buffer_.Data() + index * sizeof(T*), sizeof(T*));
        return item;
    }

    // Takes ownership only on success; on failure the caller still owns the item.
    bool Append(T* item) {
        const int count = Count();
        const int32_t wanted = static_cast<int32_t>((count + 1) * sizeof(T*));
        buffer_.SetSize(wanted);
        if (buffer_.Size() != wanted) return false;
        std::memcpy(buffer_.Data() + count * sizeof(T*), &item, sizeof(T*));
        return true;
    }

    // Inserts before index (clamped to 0..Count()); ownership as with Append.
    bool Insert(int index, T* item) {
        const int count = Count();
        if (!Append(item)) return false;
        if (index < 0) index = 0;
        if (index >= count) return true;
        uint8_t* base = buffer_.Data();
        std::memmove(base + (index + 1) * sizeof(T*), base + index * sizeof(T*),
                     static_cast<size_t>(count - index) * sizeof(T*));
        std::memcpy(base + index * sizeof(T*), &item, sizeof(T*));
        return true;
    }

    void DeleteAll() {
        for (int i = Count() - 1; i >= 0; --i) delete Get(i);
        buffer_.SetSize(0, true);
    }

  private:
    // Lists hold a handful of items: growth by half, from room for four.
    HeapBuffer buffer_{static_cast<int32_t>(4 * sizeof(T*))};
};

}  // namespace tav
