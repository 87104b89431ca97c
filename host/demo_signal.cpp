#include "host/demo_signal.h"

#include <cstdint>

namespace tav {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Sine of a 32-bit phase (a full turn is 2^32): fold into [-pi/2, pi/2] and sum the
// odd series up to x^11 (error below 1e-7).
double Sine(std::uint32_t phase) {
    double x = static_cast<std::int32_t>(phase) * (kPi / 2147483648.0);
    if (x > kPi / 2) {
        x = kPi - x;
    } else if (x < -kPi / 2) {
        x = -kPi - x;
    }
    const double x2 = x * x;
    return x * (1.0 + x2 * (-1.0 / 6 +
                            x2 * (1.0 / 120 + x2 * (-1.0 / 5040 + x2 * (1.0 / 362880 +
                                                                        x2 * (-1.0 / 39916800))))));
}

// 2^(k/12), written out so no pow() is needed.
constexpr double kSemitone[12] = {1.0,
                                  1.0594630943592953,
                                  1.122462048309373,
                                  1.189207115002721,
                                  1.2599210498948732,
                                  1.3348398541700344,
                                  1.4142135623730951,
                                  1.4983070768766815,
                                  1.5874010519681994,
                                  1.6817928305074290,
                                  1.7817974362806785,
                                  1.8877486253633868};

double NoteHz(int midiNote) {
    int rel = midiNote - 69;
    int octave = rel >= 0 ? rel / 12 : -((11 - rel) / 12);
    double hz = 440.0 * kSemitone[rel - octave * 12];
    for (; octave > 0; --octave) hz *= 2.0;
    for (; octave < 0; ++octave) hz *= 0.5;
    return hz;
}

std::uint32_t PhaseStep(double hz, double sampleRate) {
    return static_cast<std::uint32_t>(hz / sampleRate * 4294967296.0 + 0.5);
}

// Deterministic white noise in [-1, 1).
struct Noise {
    std::uint32_t state = 0x9E3779B9u;
    double Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<std::int32_t>(state) / 2147483648.0;
    }
};

// Exponential decay as a per-sample factor, 1 - 1/(tau * rate): close enough to
// exp(-1/(tau * rate)) for envelopes and free of libm.
double DecayFactor(double seconds, double sampleRate) {
    return 1.0 - 1.0 / (seconds * sampleRate);
}

struct Chord {
    int bass;
    int notes[3];
};

constexpr Chord kProgression[4] = {
    {45, {57, 60, 64}},  // A minor
    {41, {53, 57, 60}},  // F major
    {48, {55, 60, 64}},  // C major
    {43, {55, 59, 62}},  // G major
};

constexpr double kMasterLevel = 0.16;
constexpr double kPanLeft[3] = {0.85, 0.65, 0.45};
constexpr double kPanRight[3] = {0.45, 0.65, 0.85};

void DemoLoop(double rate, AudioBuffer* out) {
    const double eighth = rate * 0.25;  // 120 bpm: a beat is half a second
    const std::int64_t barFrames = static_cast<std::int64_t>(rate * 2.0);
    const std::int64_t frames = barFrames * 4;
    out->sampleRate = rate;
    out->Resize(2, frames);

    std::uint32_t padPhase[3][2] = {};
    std::uint32_t bassPhase = 0, kickPhase = 0, snarePhase = 0;
    double bassEnv = 0.0, kickEnv = 0.0, kickPitch = 0.0, snareEnv = 0.0, hatEnv = 0.0;
    double hatDecay = 1.0, hatPrev = 0.0;
    Noise noise;

    const double bassDecay = DecayFactor(0.18, rate);
    const double kickDecay = DecayFactor(0.12, rate);
    const double kickPitchDecay = DecayFactor(0.03, rate);
    const double snareDecay = DecayFactor(0.07, rate);
    const double attack = rate * 0.25, release = rate * 0.15;
    const std::uint32_t snareStep = PhaseStep(185.0, rate);

    std::int64_t nextEighth = 0;
    int eighthIndex = 0;
    for (std::int64_t f = 0; f < frames; ++f) {
        const int bar = static_cast<int>(f / barFrames);
        const std::int64_t inBar = f - bar * barFrames;
        const Chord& chord = kProgression[bar];

        if (f == nextEighth) {
            const int step = eighthIndex % 8;  // eighth within the bar
            if (step == 0 || step == 4 || (step == 7 && bar % 2 == 1)) {
                kickEnv = 0.8;
                kickPitch = 1.0;
                kickPhase = 0;
            }
            if (step == 2 || step == 6) snareEnv = 0.5;
            // Closed hats on every eighth, an open one at the end of each bar.
            hatEnv = step == 7 ? 0.16 : 0.11;
            hatDecay = DecayFactor(step == 7 ? 0.09 : 0.018, rate);
            if (step != 1 && step != 4 && step != 7) bassEnv = 0.32;
            ++eighthIndex;
            nextEighth = static_cast<std::int64_t>(eighthIndex * eighth);
        }

        // Pad: three notes, two slightly detuned six-harmonic voices each.
        double padGain = 1.0;
        if (inBar < attack) padGain = inBar / attack;
        if (barFrames - inBar < release) padGain = (barFrames - inBar) / release;
        double left = 0.0, right = 0.0;
        for (int n = 0; n < 3; ++n) {
            const double hz = NoteHz(chord.notes[n]);
            double voice = 0.0;
            for (int v = 0; v < 2; ++v) {
                const std::uint32_t phase = padPhase[n][v];
                for (std::uint32_t h = 1; h <= 6; ++h) voice += Sine(phase * h) / h;
                padPhase[n][v] += PhaseStep(hz * (v == 0 ? 0.998 : 1.002), rate);
            }
            voice *= 0.035 * padGain;
            left += voice * kPanLeft[n];
            right += voice * kPanRight[n];
        }

        double centre = 0.0;
        const double bassHz = NoteHz(chord.bass);
        centre += bassEnv * (Sine(bassPhase) + 0.3 * Sine(bassPhase * 2));
        bassPhase += PhaseStep(bassHz, rate);
        bassEnv *= bassDecay;

        centre += kickEnv * Sine(kickPhase);
        kickPhase += PhaseStep(45.0 + 110.0 * kickPitch, rate);
        kickEnv *= kickDecay;
        kickPitch *= kickPitchDecay;

        const double snare = snareEnv * (0.6 * noise.Next() + 0.5 * Sine(snarePhase));
        snarePhase += snareStep;
        snareEnv *= snareDecay;

        const double white = noise.Next();
        const double hat = hatEnv * (white - hatPrev) * 0.5;  // first difference: bright
        hatPrev = white;
        hatEnv *= hatDecay;

        left += centre + 0.95 * snare + 0.7 * hat;
        right += centre + snare + hat;
        // About -14 dBFS at the peaks: the phaser adds its wet signal to the dry one
        // at up to 1.5 times, with resonance, and its renders should stay below
        // full scale so they play back cleanly.
        out->channels[0][static_cast<size_t>(f)] = static_cast<float>(left * kMasterLevel);
        out->channels[1][static_cast<size_t>(f)] = static_cast<float>(right * kMasterLevel);
    }
}

}  // namespace

std::vector<std::string> SignalNames() {
    return {"demo-loop", "impulse", "sine", "noise", "silence", "chord", "long-noise"};
}

bool GenerateSignal(const std::string& name, double sampleRate, AudioBuffer* out) {
    if (!(sampleRate >= 1000.0 && sampleRate <= 1536000.0)) return false;
    const auto seconds = [&](double s) { return static_cast<std::int64_t>(s * sampleRate); };
    out->sampleRate = sampleRate;
    if (name == "demo-loop") {
        DemoLoop(sampleRate, out);
    } else if (name == "impulse") {
        out->Resize(2, seconds(1.0));
        out->channels[0][0] = out->channels[1][0] = 1.0f;
    } else if (name == "sine") {
        out->Resize(2, seconds(2.0));
        std::uint32_t phase = 0;
        const std::uint32_t step = PhaseStep(440.0, sampleRate);
        for (size_t f = 0; f < out->channels[0].size(); ++f, phase += step) {
            out->channels[0][f] = out->channels[1][f] = static_cast<float>(0.5 * Sine(phase));
        }
    } else if (name == "noise" || name == "long-noise") {
        // The long one lasts sixteen bars at 120 bpm, or a tempo ramp's worth.
        out->Resize(2, seconds(name == "noise" ? 2.0 : 32.0));
        Noise noise;
        for (size_t f = 0; f < out->channels[0].size(); ++f) {
            out->channels[0][f] = static_cast<float>(0.25 * noise.Next());
            out->channels[1][f] = static_cast<float>(0.25 * noise.Next());
        }
    } else if (name == "chord") {
        // 32 s of an A minor triad: smooth, so a click anywhere shows.
        out->Resize(2, seconds(32.0));
        std::uint32_t phases[3] = {};
        const std::uint32_t steps[3] = {PhaseStep(220.0, sampleRate), PhaseStep(261.63, sampleRate),
                                        PhaseStep(329.63, sampleRate)};
        for (size_t f = 0; f < out->channels[0].size(); ++f) {
            double v = 0.0;
            for (int i = 0; i < 3; ++i) {
                v += 0.2 * Sine(phases[i]);
                phases[i] += steps[i];
            }
            out->channels[0][f] = out->channels[1][f] = static_cast<float>(v);
        }
    } else if (name == "silence") {
        out->Resize(2, seconds(1.0));
    } else {
        return false;
    }
    return true;
}

}  // namespace tav
