#include "vst3/stream_io.h"

#include "core/plugin_state.h"

namespace tav::vst3 {

bool ReadToEnd(IBStream* stream, std::vector<uint8_t>& out) {
    if (stream == nullptr) return false;
    return ReadStateStream(
        [stream](uint8_t* into, size_t most) -> int64_t {
            int32 got = 0;
            const tresult result = stream->read(into, static_cast<int32>(most), &got);
            // Some hosts answer kResultFalse at the end; a truncated state is then
            // refused by the reader, which checks every length.
            if (result != kResultOk && !(result == kResultFalse && got == 0)) return -1;
            return got;
        },
        out);
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
