// The callback times the marks keep: one buffer made before the audio starts, so
// that timing a callback allocates nothing and takes no lock.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

#include "host/audio_callback_mark.h"

namespace tav {
namespace {

std::vector<float> kept;  // microseconds
std::atomic<std::size_t> count{0};
std::atomic<bool> keeping{false};

}  // namespace

void NoteCallbackTime(std::chrono::steady_clock::duration taken) {
    if (!keeping.load(std::memory_order_relaxed)) return;
    const std::size_t at = count.fetch_add(1, std::memory_order_relaxed);
    if (at < kept.size()) kept[at] = std::chrono::duration<float, std::micro>(taken).count();
}

void AudioCallbackMark::KeepCallbackTimes(std::size_t capacity) {
    kept.assign(capacity, 0.0f);
    count = 0;
    keeping = capacity > 0;
}

void AudioCallbackMark::PrintCallbackTimes(std::ostream& out) {
    if (!keeping) return;
    std::vector<float> times(kept.begin(), kept.begin() + std::min(count.load(), kept.size()));
    if (times.empty()) return;
    std::sort(times.begin(), times.end());
    const auto at = [&](double share) {
        const auto index = static_cast<std::size_t>(std::ceil(share * times.size())) - 1;
        return times[std::min(index, times.size() - 1)];
    };
    out << "callback times (us) over " << times.size() << " callbacks: median " << at(0.5)
        << ", p99 " << at(0.99) << ", p99.99 " << at(0.9999) << ", longest " << times.back()
        << "\n";
}

}  // namespace tav
