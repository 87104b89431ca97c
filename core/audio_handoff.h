// What crosses between the audio thread and the others where the audio callback
// takes no lock: a bounded queue one thread writes and one reads, and a box of
// words one thread writes and any reads. Neither side ever waits for the other.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

namespace tav {

// Items in order from one writer thread to one reader thread; full is refused.
template <class T, int Capacity>
class SpscQueue {
  public:
    bool Push(const T& item) {
        const uint64_t write = write_.load(std::memory_order_relaxed);
        if (write - read_.load(std::memory_order_acquire) >= Capacity) return false;
        items_[write % Capacity] = item;
        write_.store(write + 1, std::memory_order_release);
        return true;
    }
    bool Pop(T& item) {
        const uint64_t read = read_.load(std::memory_order_relaxed);
        if (read == write_.load(std::memory_order_acquire)) return false;
        item = items_[read % Capacity];
        read_.store(read + 1, std::memory_order_release);
        return true;
    }
    // Items pushed and popped so far, counted from the start.
    uint64_t Pushed() const { return write_.load(std::memory_order_acquire); }
    uint64_t Popped() const { return read_.load(std::memory_order_acquire); }
    // The writer's look back at an item it pushed and nothing has overwritten yet.
    const T& Item(uint64_t serial) const { return items_[serial % Capacity]; }

  private:
    T items_[Capacity] = {};
    alignas(64) std::atomic<uint64_t> write_{0};
    alignas(64) std::atomic<uint64_t> read_{0};
};

// Bytes one thread writes whole and others read whole: a reader that meets a write
// under way reads again. Every word is an atomic, so no reader ever sees a torn value.
class SeqBox {
  public:
    explicit SeqBox(size_t bytes = 0) { Reserve(bytes); }

    // Only while no thread writes or reads; false without memory.
    bool Reserve(size_t bytes) {
        const size_t words = (bytes + 7) / 8;
        if (words <= words_) return true;
        std::unique_ptr<std::atomic<uint64_t>[]> grown(new (std::nothrow)
                                                           std::atomic<uint64_t>[words]);
        if (!grown) return false;
        data_ = std::move(grown);
        words_ = words;
        return true;
    }
    size_t Capacity() const { return words_ * 8; }

    // The writer's: a head and a body back to back; false (nothing written) when
    // they do not fit.
    bool Write(const void* head, size_t headSize, const void* body = nullptr, size_t bodySize = 0) {
        const size_t size = headSize + bodySize;
        if (size > Capacity()) return false;
        const uint64_t seq = seq_.load(std::memory_order_relaxed);
        seq_.store(seq + 1, std::memory_order_relaxed);
        const auto* first = static_cast<const uint8_t*>(head);
        const auto* second = static_cast<const uint8_t*>(body);
        for (size_t w = 0; w * 8 < size; ++w) {
            const size_t at = w * 8;
            const size_t count = size - at < 8 ? size - at : 8;
            uint64_t word = 0;
            if (at + count <= headSize) {
                std::memcpy(&word, first + at, count);
            } else if (at >= headSize) {
                std::memcpy(&word, second + (at - headSize), count);
            } else {
                auto* bytes = reinterpret_cast<uint8_t*>(&word);
                for (size_t b = 0; b < count; ++b)
                    bytes[b] = at + b < headSize ? first[at + b] : second[at + b - headSize];
            }
            // Released, so a reader that sees this word sees the write begun too.
            data_[w].store(word, std::memory_order_release);
        }
        seq_.store(seq + 2, std::memory_order_release);
        return true;
    }

    // A whole write's first size bytes; false when a write got in the way.
    bool TryRead(void* bytes, size_t size) const {
        if (size > Capacity()) return false;
        const uint64_t before = seq_.load(std::memory_order_acquire);
        if ((before & 1) != 0) return false;
        auto* to = static_cast<uint8_t*>(bytes);
        for (size_t w = 0; w * 8 < size; ++w) {
            const uint64_t word = data_[w].load(std::memory_order_acquire);
            std::memcpy(to + w * 8, &word, size - w * 8 < 8 ? size - w * 8 : 8);
        }
        return seq_.load(std::memory_order_relaxed) == before;
    }

  private:
    std::atomic<uint64_t> seq_{0};
    std::unique_ptr<std::atomic<uint64_t>[]> data_;
    size_t words_ = 0;
};

}  // namespace tav
