// The phaser as hosts hear it: the built module loaded through the VST 2.4
// interface by our host, compared bit for bit with the engine driven directly
// (whose numbers the engine tests pin down), and checked by ear-like measures.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "effect/phaser_engine.h"
#include "effect/phaser_params.h"
#include "host/formats/hosted_vst2.h"
#include "host/render.h"
#include "tests/effect/phaser_test_util.h"

#ifndef TAV_PRODUCT_MODULE_PATH
#define TAV_PRODUCT_MODULE_PATH ""
#endif

namespace tav {
namespace {

constexpr int kBlock = 512;
constexpr double kPi = 3.14159265358979323846;

struct FloatStereo {
    std::vector<float> l, r;
    explicit FloatStereo(size_t n = 0) : l(n), r(n) {}
    size_t size() const { return l.size(); }
};

FloatStereo ToFloat(const test::Stereo& s) {
    FloatStereo f(s.size());
    for (size_t i = 0; i < s.size(); ++i) f.l[i] = float(s.l[i]), f.r[i] = float(s.r[i]);
    return f;
}

class Module {
  public:
    explicit Module(double rate = 44100.0, double tempo = 120.0) {
        HostSettings settings;
        settings.sampleRate = rate;
        settings.blockSize = kBlock;
        settings.tempo = tempo;
        std::string error;
        plugin_ = HostedVst2::Load(TAV_PRODUCT_MODULE_PATH, settings, &error);
        if (plugin_ != nullptr) plugin_->Start();
        loadError_ = error;
    }
    HostedVst2* operator->() { return plugin_.get(); }
    bool Loaded() const { return plugin_ != nullptr; }
    const std::string& Error() const { return loadError_; }

    // Part of the input through processReplacing, as our host renders files.
    FloatStereo Render(const FloatStereo& in, size_t from = 0, size_t to = SIZE_MAX) {
        to = std::min(to, in.size());
        AudioBuffer part;
        part.channels = {{in.l.begin() + from, in.l.begin() + to},
                         {in.r.begin() + from, in.r.begin() + to}};
        RenderOptions options;
        options.blockSize = kBlock;
        AudioBuffer out = tav::Render(*plugin_, part, options);
        FloatStereo result;
        result.l = std::move(out.channels[0]);
        result.r = std::move(out.channels[1]);
        return result;
    }
    void Set(int index, const std::string& text) {
        ASSERT_TRUE(plugin_->SetParameterText(index, text));
    }

  private:
    std::unique_ptr<HostedVst2> plugin_;
    std::string loadError_;
};

// The engine as the module drives it: opened (every setting applied), then the
// sample rate, block size and resume each reset it.
struct DirectEngine {
    PhaserEngine engine;
    double rate;
    explicit DirectEngine(const int (&values)[ParamCount], double sampleRate = 44100.0)
        : rate(sampleRate) {
        engine.SetGlide(true);  // as the effect has it
        test::ApplyAll(engine, values);
        for (int i = 0; i < 3; ++i) engine.ResetProcessing(rate);
    }
    FloatStereo Render(const FloatStereo& in, double tempo, size_t from = 0, size_t to = SIZE_MAX) {
        to = std::min(to, in.size());
        test::Stereo part(to - from);
        for (size_t i = from; i < to; ++i) part.l[i - from] = in.l[i], part.r[i - from] = in.r[i];
        const double perBeat = tempo > 0 ? rate * 60.0 / tempo : 0.0;
        test::Stereo out = test::Render(engine, part, kBlock, perBeat, rate);
        FloatStereo f(out.size());
        for (size_t i = 0; i < out.size(); ++i) f.l[i] = float(out.l[i]), f.r[i] = float(out.r[i]);
        return f;
    }
};

void ExpectSameBits(const FloatStereo& a, const FloatStereo& b, const char* what) {
    ASSERT_EQ(a.size(), b.size()) << what;
    size_t differing = 0, first = SIZE_MAX;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::memcmp(&a.l[i], &b.l[i], 4) != 0 || std::memcmp(&a.r[i], &b.r[i], 4) != 0) {
            ++differing;
            first = std::min(first, i);
        }
    }
    EXPECT_EQ(differing, 0u) << what << ": first difference at frame " << first;
}

const int kDefaults[ParamCount] = {2500, 60, 30, 12, 80, 2500, 60, 30, 12, 80, 2, 1, -60};

#define REQUIRE_MODULE(m) \
    ASSERT_TRUE((m).Loaded()) << "cannot load " << TAV_PRODUCT_MODULE_PATH << ": " << (m).Error()

TEST(PhaserModule, EveryFactoryProgramSoundsAsTheEngineDoes) {
    const FloatStereo in = ToFloat(test::NoiseSignal(3 * 44100, 7, 0.4));
    const int programs[7][ParamCount] = {{2500, 60, 30, 12, 80, 2500, 60, 30, 12, 80, 2, 1, -60},
                                         {1000, 90, 50, 17, 80, 2000, 60, 100, 18, 80, 0, 1, -60},
                                         {4000, 60, 55, 18, 80, 4000, 60, 55, 18, 80, 0, 1, -60},
                                         {2500, 60, 30, 21, 80, 2500, 60, 30, 21, 80, 0, 1, -60},
                                         {3000, 60, 40, 24, 80, 3000, 60, 40, 24, 80, 0, 1, -60},
                                         {2500, 60, 20, 15, 80, 2500, 60, 20, 15, 80, 0, 1, -60},
                                         {2500, 60, 20, 12, 80, 2500, 60, 20, 12, 80, 0, 1, -60}};
    for (int p = 0; p < 7; ++p) {
        SCOPED_TRACE("program " + std::to_string(p));
        Module m;
        REQUIRE_MODULE(m);
        m->SetProgram(p);
        DirectEngine direct(programs[p]);
        ExpectSameBits(m.Render(in), direct.Render(in, 120.0), "program");
    }
}

TEST(PhaserModule, TempoChangesRestartBothOscillators) {
    const FloatStereo in = ToFloat(test::NoiseSignal(2 * 44100, 11, 0.4));
    Module m;
    REQUIRE_MODULE(m);
    m.Set(ParamLeftSweepRate, "1/4");
    m.Set(ParamRightSweepRate, "1/8D");
    int values[ParamCount];
    std::memcpy(values, kDefaults, sizeof values);
    values[ParamLeftSweepRate] = 9;
    values[ParamRightSweepRate] = 8;
    DirectEngine direct(values);
    const size_t cut = 20 * kBlock;
    ExpectSameBits(m.Render(in, 0, cut), direct.Render(in, 120.0, 0, cut), "before");
    m->SetTempo(97.0);
    ExpectSameBits(m.Render(in, cut), direct.Render(in, 97.0, cut), "after the tempo change");
}

TEST(PhaserModule, SampleRateChangeWhileRunning) {
    const FloatStereo in = ToFloat(test::NoiseSignal(44100, 3, 0.4));
    Module m;
    REQUIRE_MODULE(m);
    DirectEngine direct(kDefaults);
    const size_t cut = 30 * kBlock;
    ExpectSameBits(m.Render(in, 0, cut), direct.Render(in, 120.0, 0, cut), "at 44100");
    m->SetSampleRate(48000.0);
    direct.rate = 48000.0;
    direct.engine.ResetProcessing(48000.0);
    ExpectSameBits(m.Render(in, cut), direct.Render(in, 120.0, cut), "at 48000");
}

TEST(PhaserModule, MirrorAndAccentThroughTheHost) {
    const FloatStereo in = ToFloat(test::NoiseSignal(44100, 5, 0.4));
    for (const char* accent : {"Left", "Right", "Both"}) {
        for (const char* mirror : {"No", "Yes"}) {
            SCOPED_TRACE(std::string(accent) + " / mirror " + mirror);
            Module m;
            REQUIRE_MODULE(m);
            m.Set(ParamAccent, accent);
            m.Set(ParamFilterMirror, mirror);
            int values[ParamCount];
            std::memcpy(values, kDefaults, sizeof values);
            values[ParamAccent] = std::string(accent) == "Left"    ? 0
                                  : std::string(accent) == "Right" ? 1
                                                                   : 2;
            values[ParamFilterMirror] = std::string(mirror) == "Yes";
            DirectEngine direct(values);
            ExpectSameBits(m.Render(in), direct.Render(in, 120.0), "mix");
        }
    }
}

TEST(PhaserModule, NoTempoFromTheHostSweepsAt120) {
    const FloatStereo in = ToFloat(test::NoiseSignal(44100, 9, 0.4));
    Module m(44100.0, 0.0);
    REQUIRE_MODULE(m);
    DirectEngine direct(kDefaults);
    ExpectSameBits(m.Render(in), direct.Render(in, 120.0), "no tempo");
}

TEST(PhaserModule, GatePassesAudioThroughUntouched) {
    // A loud burst, then a quiet signal below -60 dB: once the gate opens the
    // output is the input, bit for bit, and stays so.
    const size_t n = 44100;
    test::Stereo src = test::NoiseSignal(n, 13, 0.4);
    for (size_t i = 4000; i < n; ++i) src.l[i] *= 0.001, src.r[i] *= 0.001;
    const FloatStereo in = ToFloat(src);
    Module m;
    REQUIRE_MODULE(m);
    const FloatStereo out = m.Render(in);
    DirectEngine direct(kDefaults);
    ExpectSameBits(out, direct.Render(in, 120.0), "gate");
    size_t firstUntouched = n;
    while (firstUntouched > 0 && out.l[firstUntouched - 1] == in.l[firstUntouched - 1] &&
           out.r[firstUntouched - 1] == in.r[firstUntouched - 1]) {
        --firstUntouched;
    }
    EXPECT_GE(firstUntouched, 4000u + 8820u) << "not before 0.2 s of quiet";
    EXPECT_LT(firstUntouched, 4000u + 8820u + 4000u) << "the filter tail dies out quickly";
}

TEST(PhaserModule, WetZeroIsTheDrySignal) {
    const FloatStereo in = ToFloat(test::NoiseSignal(20000, 17, 0.7));
    Module m;
    REQUIRE_MODULE(m);
    m.Set(ParamWetLeft, "0");
    m.Set(ParamWetRight, "0");
    m.Set(ParamFBackLeft, "100");
    const FloatStereo out = m.Render(in);
    ExpectSameBits(out, in, "wet 0");
}

// All-pass stage H(w) = (c - e^-jw) / (1 - c e^-jw): its phase falls from pi at DC
// to 0 at Nyquist. Four in a row summed with the dry signal cancel where the
// chain's phase is 3 pi or pi, i.e. where one stage turns by 3 pi / 4 or pi / 4.
std::vector<double> PredictedNotches(double c, double rate) {
    auto stagePhase = [&](double f) {
        const std::complex<double> z = std::polar(1.0, -2 * kPi * f / rate);
        return std::abs(std::arg((c - z) / (1.0 - c * z)));
    };
    std::vector<double> notches;
    for (double target : {3 * kPi / 4, kPi / 4}) {
        double lo = 0.0, hi = rate / 2;
        for (int i = 0; i < 100; ++i) {
            const double mid = 0.5 * (lo + hi);
            (stagePhase(mid) > target ? lo : hi) = mid;
        }
        notches.push_back(0.5 * (lo + hi));
    }
    return notches;
}

// Transfer magnitude at f, estimated from noise in and out (Welch, Hann windows).
double TransferDb(const FloatStereo& in, const FloatStereo& out, double f, double rate) {
    const size_t seg = 8192;
    std::complex<double> cross = 0;
    double inPower = 0;
    for (size_t start = seg; start + seg <= in.size(); start += seg / 2) {
        std::complex<double> x = 0, y = 0;
        for (size_t k = 0; k < seg; ++k) {
            const double w = 0.5 - 0.5 * std::cos(2 * kPi * double(k) / seg);
            const std::complex<double> e = std::polar(w, -2 * kPi * f * double(k) / rate);
            x += double(in.l[start + k]) * e;
            y += double(out.l[start + k]) * e;
        }
        cross += y * std::conj(x);
        inPower += std::norm(x);
    }
    return 20 * std::log10(std::abs(cross) / inPower);
}

TEST(PhaserModule, StaticFilterShowsDeepNotchesWherePredicted) {
    const FloatStereo in = ToFloat(test::NoiseSignal(4 * 44100, 23, 0.4));
    Module m;
    REQUIRE_MODULE(m);
    m.Set(ParamLeftDepth, "0");
    m.Set(ParamFBackLeft, "0");
    m.Set(ParamAccent, "Both");
    m.Set(ParamWetLeft, "67");
    m.Set(ParamFreqLeft, "1000");
    const FloatStereo out = m.Render(in);
    const double fs = 44100.0;
    const double c = (1 - 2 * 1000 * (1 / fs)) / (2 * 1000 * (1 / fs) + 1);
    const double reference = TransferDb(in, out, 5000.0, fs);
    for (double f : PredictedNotches(c, fs)) {
        SCOPED_TRACE("notch at " + std::to_string(f) + " Hz");
        EXPECT_LT(TransferDb(in, out, f, fs) - reference, -30.0);
        EXPECT_GT(TransferDb(in, out, f * 1.3, fs) - reference, -20.0) << "the notch is narrow";
    }
}

TEST(PhaserModule, SilenceAfterFullFeedbackStaysClean) {
    test::Stereo src = test::NoiseSignal(6 * 44100, 29, 0.9);
    for (size_t i = 44100; i < src.size(); ++i) src.l[i] = src.r[i] = 0.0;
    const FloatStereo in = ToFloat(src);
    Module m;
    REQUIRE_MODULE(m);
    m.Set(ParamFBackLeft, "100");
    m.Set(ParamFBackRight, "100");
    for (ProcessKind kind : {ProcessKind::Replacing, ProcessKind::Double}) {
        FloatStereo out(in.size());
        std::vector<double> dl(kBlock), dr(kBlock), ol(kBlock), orr(kBlock);
        for (size_t pos = 0; pos < in.size(); pos += kBlock) {
            const int n = int(std::min<size_t>(kBlock, in.size() - pos));
            if (kind == ProcessKind::Replacing) {
                float* ins[2] = {const_cast<float*>(&in.l[pos]), const_cast<float*>(&in.r[pos])};
                float* outs[2] = {&out.l[pos], &out.r[pos]};
                m->Process(kind, ins, outs, n);
            } else {
                for (int k = 0; k < n; ++k) dl[k] = in.l[pos + k], dr[k] = in.r[pos + k];
                double* ins[2] = {dl.data(), dr.data()};
                double* outs[2] = {ol.data(), orr.data()};
                m->ProcessDouble(ins, outs, n);
                for (int k = 0; k < n; ++k) {
                    ASSERT_TRUE(std::fpclassify(ol[k]) == FP_NORMAL || ol[k] == 0.0) << pos + k;
                    ASSERT_TRUE(std::fpclassify(orr[k]) == FP_NORMAL || orr[k] == 0.0) << pos + k;
                }
            }
        }
        for (size_t i = 0; i < out.size(); ++i) {
            ASSERT_TRUE(std::fpclassify(out.l[i]) == FP_NORMAL || out.l[i] == 0.0f) << i;
            ASSERT_TRUE(std::fpclassify(out.r[i]) == FP_NORMAL || out.r[i] == 0.0f) << i;
        }
    }
}

}  // namespace
}  // namespace tav
