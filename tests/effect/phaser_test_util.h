#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "effect/phaser_engine.h"
#include "effect/phaser_params.h"

namespace tav::test {

inline constexpr double kRate = 44100.0;
inline constexpr double kBeat120 = kRate * 60.0 / 120.0;  // samples per beat at 120 bpm

// Deterministic white noise in [-amp, amp): integer generator, exact scaling,
// so every platform feeds the same bits.
class Noise {
  public:
    explicit Noise(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    double Next(double amp = 1.0) {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        const uint64_t bits = (state_ * 0x2545F4914F6CDD1Dull) >> 11;
        return (static_cast<double>(bits) * 0x1.0p-52 - 1.0) * amp;
    }

  private:
    uint64_t state_;
};

struct Stereo {
    std::vector<double> l;
    std::vector<double> r;
    explicit Stereo(size_t n = 0, double fill = 0.0) : l(n, fill), r(n, fill) {}
    size_t size() const { return l.size(); }
};

inline Stereo NoiseSignal(size_t n, uint64_t seed, double amp = 0.5) {
    Noise noise(seed);
    Stereo s(n);
    for (size_t k = 0; k < n; ++k) {
        s.l[k] = noise.Next(amp);
        s.r[k] = noise.Next(amp);
    }
    return s;
}

// Applies all thirteen values in index order, as opening the effect does.
inline void ApplyAll(PhaserEngine& engine, const int (&values)[ParamCount]) {
    for (int i = 0; i < ParamCount; ++i) engine.ApplySetting(i, values[i]);
}

inline void ApplyDefaults(PhaserEngine& engine) {
    for (int i = 0; i < ParamCount; ++i) {
        engine.ApplySetting(i, kPhaserParamRanges[i].defaultValue);
    }
}

// Renders a signal (or part of it) through the engine in blocks of `block`.
inline Stereo Render(PhaserEngine& engine, const Stereo& in, int block,
                     double samplesPerBeat = kBeat120, double rate = kRate) {
    Stereo out(in.size());
    for (size_t pos = 0; pos < in.size(); pos += static_cast<size_t>(block)) {
        const int n =
            static_cast<int>(std::min<size_t>(static_cast<size_t>(block), in.size() - pos));
        const double* ins[2] = {in.l.data() + pos, in.r.data() + pos};
        double* outs[2] = {out.l.data() + pos, out.r.data() + pos};
        engine.ProcessBlock(ins, outs, n, rate, samplesPerBeat);
    }
    return out;
}

}  // namespace tav::test
