#include "vst3/stream_io.h"

namespace tav::vst3 {

bool ReadToEnd(IBStream* stream, std::vector<uint8_t>& out, size_t limit) {
    if (stream == nullptr) return false;
    constexpr int32 kPiece = 64 * 1024;
    out.clear();
    for (;;) {
        const size_t start = out.size();
        if (start > limit) return false;
        out.resize(start + kPiece);
        int32 got = 0;
        const tresult result = stream->read(out.data() + start, kPiece, &got);
        if (got < 0 || got > kPiece) return false;
        // Some hosts answer kResultFalse at the end; a truncated state is then
        // refused by the reader, which checks every length.
        if (result != kResultOk && !(result == kResultFalse && got == 0)) return false;
        out.resize(start + static_cast<size_t>(got));
        if (got == 0) break;
    }
    return out.size() <= limit;
}

bool WriteAll(IBStream* stream, const std::vector<uint8_t>& bytes) {
    if (stream == nullptr) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t left = bytes.size() - done;
        const auto piece = static_cast<int32>(left < (1u << 30) ? left : (1u << 30));
        int32 written = 0;
        auto* data = const_cast<uint8_t*>(bytes.data() + done);
        if (stream->write(data, piece, &written) != kResultOk || written <= 0 || written > piece) {
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

}  // namespace tav::vst3
