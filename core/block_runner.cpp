#include "core/block_runner.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace tav {
namespace {

double* Scratch(HeapBuffer& buffer) {
    return reinterpret_cast<double*>(buffer.Data());
}

}  // namespace

void BlockRunner::SetBypass(bool on) {
    bypass_ = on;
    if (!audioSinceReset_) bypassMix_ = bypass_ ? 1.0 : 0.0;
}

void BlockRunner::Reset() {
    bypassMix_ = bypass_ ? 1.0 : 0.0;
    audioSinceReset_ = false;
}

template <class Sample>
void BlockRunner::Run(Sample* const* in, Sample* const* out, int32_t offset, int32_t frames) {
    // Hosts may pass more frames than they announced: the scratch holds one block.
    const int32_t block = core_.BlockFrames();
    for (int32_t done = 0; done < frames;) {
        const int32_t n = std::min(frames - done, block);
        RunSlice<Sample>(in, out, offset + done, n);
        done += n;
    }
    if (frames > 0) audioSinceReset_ = true;
}

template <class Sample>
void BlockRunner::RunSlice(Sample* const* in, Sample* const* out, int32_t offset, int32_t frames) {
    double* dry[2];
    double* wet[2];
    for (int c = 0; c < 2; ++c) {
        // Inputs always go through scratch: in-place buffers are then safe, and
        // the dry signal is still there for the bypass fade.
        dry[c] = Scratch(core_.Input(c)->scratch);
        if (in[c] != nullptr) {
            for (int32_t f = 0; f < frames; ++f) dry[c][f] = static_cast<double>(in[c][offset + f]);
        } else {
            std::memset(dry[c], 0, static_cast<size_t>(frames) * sizeof(double));
        }
        *core_.Input(c)->slot = dry[c];
        wet[c] = Scratch(core_.Output(c)->scratch);
        if constexpr (std::is_same_v<Sample, double>) {
            if (out[c] != nullptr) wet[c] = out[c] + offset;
        }
        *core_.Output(c)->slot = wet[c];
    }
    core_.ProcessBlock(core_.InputPointers(), core_.OutputPointers(), frames);
    core_.SliceProcessed(frames);
    MixBypass(dry, wet, frames);
    if constexpr (std::is_same_v<Sample, float>) {
        for (int c = 0; c < 2; ++c) {
            if (out[c] == nullptr) continue;
            for (int32_t f = 0; f < frames; ++f) out[c][offset + f] = static_cast<float>(wet[c][f]);
        }
    }
}

void BlockRunner::MixBypass(const double* const* dry, double* const* wet, int32_t frames) {
    const double target = bypass_ ? 1.0 : 0.0;
    if (bypassMix_ == target && target == 0.0) return;  // the plain path, untouched
    const double step = 1.0 / std::max(1.0, kBypassFadeSeconds * core_.SampleRate());
    for (int32_t f = 0; f < frames; ++f) {
        if (bypassMix_ < target) bypassMix_ = std::min(target, bypassMix_ + step);
        if (bypassMix_ > target) bypassMix_ = std::max(target, bypassMix_ - step);
        // At a mix of 1 the product with the wet signal is 0: the dry signal exactly.
        for (int c = 0; c < 2; ++c)
            wet[c][f] = wet[c][f] * (1.0 - bypassMix_) + dry[c][f] * bypassMix_;
    }
}

template void BlockRunner::Run<float>(float* const*, float* const*, int32_t, int32_t);
template void BlockRunner::Run<double>(double* const*, double* const*, int32_t, int32_t);

}  // namespace tav
