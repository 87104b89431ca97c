// The built-in signals: deterministic to the bit on every build, and musical in shape.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "host/demo_signal.h"

namespace tav {
namespace {

// FNV-1a over the samples' bit patterns, channel after channel.
std::uint64_t Fingerprint(const AudioBuffer& audio) {
    std::uint64_t hash = 1469598103934665603ull;
    for (const auto& channel : audio.channels) {
        for (float v : channel) {
            std::uint32_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            for (int i = 0; i < 4; ++i) {
                hash ^= (bits >> (8 * i)) & 0xFF;
                hash *= 1099511628211ull;
            }
        }
    }
    return hash;
}

double Rms(const std::vector<float>& samples, size_t from, size_t to) {
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) sum += static_cast<double>(samples[i]) * samples[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

TEST(DemoSignal, DemoLoopIsTheSameToTheBitOnEveryBuild) {
    AudioBuffer loop;
    ASSERT_TRUE(GenerateSignal("demo-loop", 44100.0, &loop));
    EXPECT_EQ(loop.NumChannels(), 2);
    EXPECT_EQ(loop.NumFrames(), 8 * 44100);
    EXPECT_EQ(loop.sampleRate, 44100.0);
    // The same number is expected natively and under Wine.
    EXPECT_EQ(Fingerprint(loop), 0x3040C9F1B06B3BEull);

    AudioBuffer again;
    GenerateSignal("demo-loop", 44100.0, &again);
    EXPECT_EQ(again.channels, loop.channels);
}

TEST(DemoSignal, DemoLoopHasHeadroomAndABeat) {
    AudioBuffer loop;
    ASSERT_TRUE(GenerateSignal("demo-loop", 44100.0, &loop));
    for (const auto& channel : loop.channels) {
        float peak = 0.0f;
        for (float v : channel) peak = std::fmax(peak, std::fabs(v));
        EXPECT_GT(peak, 0.1f);
        EXPECT_LT(peak, 0.25f);  // room for a resonant effect that adds to the dry signal
    }
    // Kicks land on beats 1 and 3: the first 50 ms after a kick are louder than
    // the 50 ms before the next beat.
    const auto& left = loop.channels[0];
    for (size_t beat = 0; beat < 16; beat += 2) {
        const size_t start = beat * 22050;
        EXPECT_GT(Rms(left, start, start + 2205), Rms(left, start + 19845, start + 22050));
    }
    // Left and right differ: the pad is spread across the stereo field.
    EXPECT_NE(loop.channels[0], loop.channels[1]);
}

TEST(DemoSignal, OtherSignalsAndBadRequests) {
    AudioBuffer audio;
    ASSERT_TRUE(GenerateSignal("impulse", 48000.0, &audio));
    EXPECT_EQ(audio.NumFrames(), 48000);
    EXPECT_EQ(audio.channels[0][0], 1.0f);
    EXPECT_EQ(audio.channels[1][1], 0.0f);
    ASSERT_TRUE(GenerateSignal("sine", 44100.0, &audio));
    EXPECT_NEAR(audio.channels[0][25], 0.5 * std::sin(2 * 3.14159265358979 * 440 * 25 / 44100),
                1e-6);
    ASSERT_TRUE(GenerateSignal("noise", 44100.0, &audio));
    EXPECT_NE(audio.channels[0], audio.channels[1]);
    ASSERT_TRUE(GenerateSignal("chord", 44100.0, &audio));
    EXPECT_EQ(audio.NumFrames(), 32 * 44100);
    EXPECT_NEAR(audio.channels[0][25],
                0.2 * (std::sin(2 * 3.14159265358979 * 220 * 25 / 44100) +
                       std::sin(2 * 3.14159265358979 * 261.63 * 25 / 44100) +
                       std::sin(2 * 3.14159265358979 * 329.63 * 25 / 44100)),
                1e-5);
    EXPECT_FALSE(GenerateSignal("nope", 44100.0, &audio));
    EXPECT_FALSE(GenerateSignal("sine", 0.0, &audio));
    EXPECT_FALSE(GenerateSignal("sine", std::nan(""), &audio));
    EXPECT_EQ(SignalNames().size(), 7u);
}

}  // namespace
}  // namespace tav
