// Runs the effect over the host's buffers for the plug-in formats that bring
// their own bypass (VST 3, CLAP): any sample size, in place or not, in slices no
// longer than the scratch holds, with a short fade into and out of bypass.
#pragma once

#include <cstdint>

#include "core/effect_core.h"

namespace tav {

class BlockRunner {
  public:
    static constexpr double kBypassFadeSeconds = 0.005;

    explicit BlockRunner(IEffectCore& core) : core_(core) {}

    bool Bypassed() const { return bypass_; }
    // Before any audio since Reset there is nothing to fade from: the switch is at once.
    void SetBypass(bool on);
    // Activation: the next audio starts the fade afresh.
    void Reset();
    // Whether a fade into or out of bypass is still running.
    bool Fading() const { return bypassMix_ != (bypass_ ? 1.0 : 0.0); }

    // Frames offset .. offset + frames of two channels; a missing input is silence,
    // a missing output is left alone. The caller holds the instance lock.
    template <class Sample>
    void Run(Sample* const* in, Sample* const* out, int32_t offset, int32_t frames);

  private:
    template <class Sample>
    void RunSlice(Sample* const* in, Sample* const* out, int32_t offset, int32_t frames);
    void MixBypass(const double* const* dry, double* const* wet, int32_t frames);

    IEffectCore& core_;
    bool bypass_ = false;
    double bypassMix_ = 0.0;  // 0 processed .. 1 dry
    bool audioSinceReset_ = false;
};

}  // namespace tav
