// The engine against a plain, unoptimised model of the phaser written from its
// description, and a rendering hash that every platform must reproduce.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "effect/factory_presets.h"
#include "tests/effect/phaser_test_util.h"

namespace tav {
namespace {

using test::kBeat120;
using test::kRate;
using test::Stereo;

// Reads setting values the way the effect does (re-reading them on the first
// block and on tempo changes) and keeps every field of the data model.
class ReferencePhaser {
  public:
    int values[ParamCount] = {};

    void Set(int index, int value) {
        values[index] = value;
        Apply(index);
    }

    void Block(const double* inL, const double* inR, double* outL, double* outR, int n, double rate,
               double samplesPerBeat) {
        const double whole = samplesPerBeat * 4;
        if (!initialised_) {
            wholeNote_ = whole;
            fs_ = rate;
            initialised_ = true;
            ResetState();
            hold_ = R(fs_ * 0.2);
            quiet_ = hold_;
            Apply(0);
            Apply(5);
            Apply(3);
            Apply(8);
        } else if (whole != wholeNote_) {
            wholeNote_ = whole;
            ResetState();
            Apply(3);
            Apply(8);
        }
        if (!ready_) return;
        for (int k = 0; k < n; ++k) {
            if (std::abs(inL[k]) > threshold_ || std::abs(inR[k]) > threshold_ ||
                std::abs(side_[0].out[3]) > threshold_ || std::abs(side_[1].out[3]) > threshold_) {
                quiet_ = 0;
            }
            if (quiet_ >= hold_) {
                outL[k] = inL[k];
                outR[k] = inR[k];
                continue;
            }
            const double eL = Step(side_[0], inL[k]);
            const double eR = Step(side_[1], inR[k]);
            const double wL = side_[0].wet;
            const double wR = side_[1].wet;
            if (accent_ == 0) {
                outL[k] = inL[k] + wL * eL;
                outR[k] = inR[k] - wR * eR;
            } else if (accent_ == 1) {
                outL[k] = inL[k] - wL * eL;
                outR[k] = inR[k] + wR * eR;
            } else {
                outL[k] = inL[k] + wL * eL;
                outR[k] = inR[k] + wR * eR;
            }
            quiet_ = quiet_ + 1;
        }
    }

  private:
    struct Side {
        double in[4] = {};
        double out[4] = {};
        float feedback = 0;
        float wet = 0;
        double base = 0;
        double span = 0;
        unsigned period = 0;
        int half = 0;
        int counter = 0;
        int centre = 0;
        int width = 0;
    };

    static int R(double x) { return static_cast<int>(x >= 0 ? x + 0.5 : x - 0.5); }

    double A(int twoF) const { return (1 - twoF * (1 / fs_)) / (twoF * (1 / fs_) + 1); }

    void Range(Side& s) {
        const int half = R(s.width * 0.5);
        int low = s.centre - half;
        if (low >= 20000 - s.width) low = 20000 - s.width;
        if (low < 40) low = 40;
        const int high = low + s.width;
        s.base = A(2 * low);
        s.span = (A(2 * high) - A(2 * low)) * 2.0;
    }

    void Period(Side& s, int i) {
        const float q = 1.0f / 32.0f;
        double f;
        if (i % 3 == 0) {
            f = std::pow(2.0, i * 0.3333333333333333) * q;
        } else if (i % 3 == 1) {
            f = std::pow(2.0, (i + 2) * 0.3333333333333333) * q * 2 / 3;
        } else {
            f = std::pow(2.0, (i - 2) * 0.3333333333333333) * q * 1.5;
        }
        const float factor = static_cast<float>(f);
        s.period = static_cast<unsigned>(R(factor * wholeNote_));
        s.half = static_cast<int>(s.period / 2);
    }

    void Apply(int index) {
        const int p = R(values[index]);
        Side& s = side_[index < 5 ? 0 : 1];
        switch (index) {
            case 0:
            case 5:
                s.centre = p;
                Range(s);
                break;
            case 1:
            case 6:
                s.feedback = static_cast<float>(p) * 0.009f;
                break;
            case 2:
            case 7:
                s.width = R(static_cast<float>(p * 19960) * 0.006666667f);
                Range(s);
                break;
            case 3:
            case 8:
                Period(s, p);
                ResetState();
                break;
            case 4:
            case 9:
                s.wet = static_cast<float>(p) * 0.015f;
                break;
            case 10:
                accent_ = p;
                break;
            case 11:
                mirror_ = p > 0;
                ResetState();
                break;
            case 12:
                threshold_ = static_cast<float>(std::exp(p * 0.11512925464970228));
                ready_ = true;
                break;
        }
    }

    void ResetState() {
        for (Side& s : side_) {
            for (int i = 0; i < 4; ++i) s.in[i] = s.out[i] = 0;
        }
        side_[0].counter = 0;
        side_[1].counter = mirror_ ? side_[1].half : 0;
    }

    static double Step(Side& s, double x) {
        const int d = std::abs(s.counter - s.half);
        const double c = s.base + s.span * static_cast<double>(static_cast<float>(d) /
                                                               static_cast<float>(s.period));
        s.counter = s.counter + 1;
        if (static_cast<unsigned>(s.counter) >= s.period) s.counter = 0;
        double u = x + s.feedback * s.out[3];
        for (int i = 0; i < 4; ++i) {
            const double y = (u + s.out[i]) * c - s.in[i];
            s.in[i] = u;
            s.out[i] = y;
            u = y;
        }
        return u;
    }

    Side side_[2];
    float threshold_ = 0;
    int accent_ = 0;
    bool mirror_ = false;
    bool ready_ = false;
    bool initialised_ = false;
    double fs_ = 0;
    double wholeNote_ = 0;
    int quiet_ = 0;
    int hold_ = 0;
};

// Noise with silent stretches long enough to open the gate, and loud returns.
Stereo GatedNoise(size_t n, uint64_t seed) {
    Stereo s = test::NoiseSignal(n, seed);
    for (size_t k = 0; k < n; ++k) {
        if ((k / 6000) % 3 == 2) s.l[k] = s.r[k] = 0.0;
        if ((k / 6000) % 3 == 1) s.r[k] *= 1e-4;  // one side below the threshold
    }
    return s;
}

struct Scenario {
    const char* name;
    int values[ParamCount];
};

const Scenario kScenarios[] = {
    {"default", {2500, 60, 30, 12, 80, 2500, 60, 30, 12, 80, 2, 1, -60}},
    {"psy asymmetric", {1000, 90, 50, 17, 80, 2000, 60, 100, 18, 80, 0, 1, -60}},
    {"accent right, fast, no mirror", {300, 100, 100, 0, 100, 15000, 20, 70, 4, 33, 1, 0, -50}},
    {"static, dry", {40, 0, 0, 30, 0, 20000, 100, 0, 29, 100, 2, 1, -100}},
    {"triplets and dots", {8000, 45, 85, 7, 60, 600, 75, 15, 11, 90, 0, 1, -80}},
};

TEST(PhaserReference, EngineMatchesPlainModelBitForBit) {
    const Stereo in = GatedNoise(40000, 21);
    const int blocks[] = {1, 17, 256, 4096};
    for (const Scenario& sc : kScenarios) {
        PhaserEngine engine;
        ReferencePhaser ref;
        for (int i = 0; i < ParamCount; ++i) {
            engine.ApplySetting(i, sc.values[i]);
            ref.Set(i, sc.values[i]);
        }
        Stereo got(in.size());
        Stereo want(in.size());
        size_t pos = 0;
        for (int b = 0; pos < in.size(); ++b) {
            const int n = static_cast<int>(std::min<size_t>(blocks[b % 4], in.size() - pos));
            // The tempo moves once, half way through.
            const double beat = pos < in.size() / 2 ? kBeat120 : kRate * 60.0 / 97.0;
            const double* ins[2] = {in.l.data() + pos, in.r.data() + pos};
            double* outs[2] = {got.l.data() + pos, got.r.data() + pos};
            engine.ProcessBlock(ins, outs, n, kRate, beat);
            ref.Block(ins[0], ins[1], want.l.data() + pos, want.r.data() + pos, n, kRate, beat);
            pos += static_cast<size_t>(n);
        }
        for (size_t k = 0; k < in.size(); ++k) {
            ASSERT_EQ(std::memcmp(&got.l[k], &want.l[k], sizeof(double)), 0)
                << sc.name << " left frame " << k;
            ASSERT_EQ(std::memcmp(&got.r[k], &want.r[k], sizeof(double)), 0)
                << sc.name << " right frame " << k;
        }
    }
}

uint64_t Fnv1a(uint64_t hash, const std::vector<double>& samples) {
    for (const double v : samples) {
        unsigned char bytes[sizeof v];
        std::memcpy(bytes, &v, sizeof v);
        for (const unsigned char b : bytes) hash = (hash ^ b) * 0x100000001B3ull;
    }
    return hash;
}

// Pins the exact output of every factory preset; native and Windows builds
// must both reproduce it.
TEST(PhaserReference, FactoryPresetRenderingHashIsStable) {
    const Stereo in = GatedNoise(2 * 44100, 22);
    uint64_t hash = 0xCBF29CE484222325ull;
    for (const FactoryPreset& preset : kFactoryPresets) {
        PhaserEngine engine;
        test::ApplyAll(engine, preset.values);
        const Stereo out = test::Render(engine, in, 512);
        hash = Fnv1a(Fnv1a(hash, out.l), out.r);
    }
    EXPECT_EQ(hash, 0x03a56e3e0660c293ull) << std::hex << hash;
}

}  // namespace
}  // namespace tav
