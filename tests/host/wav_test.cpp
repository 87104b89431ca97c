// WAV files: our own float reader and writer, and (natively) libsndfile agreeing with it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "host/audio_buffer.h"
#include "host/demo_signal.h"
#include "host/float_wav.h"

namespace tav {
namespace {

std::string TempPath(const char* name) {
    return std::string(TAV_BINARY_DIR) + "/tests/host/" + name;
}

TEST(FloatWav, RoundTripsExactly) {
    AudioBuffer noise;
    ASSERT_TRUE(GenerateSignal("noise", 22050.0, &noise));
    const std::string path = TempPath("roundtrip.wav");
    std::string error;
    ASSERT_TRUE(WriteFloatWav(path, noise, &error)) << error;
    AudioBuffer back;
    ASSERT_TRUE(ReadFloatWav(path, &back, &error)) << error;
    EXPECT_EQ(back.sampleRate, 22050.0);
    EXPECT_EQ(back.channels, noise.channels);

    // The platform's reader reads what we wrote, and we read what it writes.
    AudioBuffer viaPlatform;
    ASSERT_TRUE(ReadAudioFile(path, &viaPlatform, &error)) << error;
    EXPECT_EQ(viaPlatform.channels, noise.channels);
    ASSERT_TRUE(WriteAudioFile(path, noise, &error)) << error;
    ASSERT_TRUE(ReadFloatWav(path, &back, &error)) << error;
    EXPECT_EQ(back.channels, noise.channels);
    std::remove(path.c_str());
}

TEST(FloatWav, ReadsSixteenBitPcmAndRefusesGarbage) {
    // A hand-made mono 16-bit file: 0, half scale, -full scale.
    const unsigned char bytes[] = {
        'R', 'I', 'F', 'F', 42,  0,   0, 0,    'W',  'A', 'V', 'E',  'f',  'm',  't',  ' ', 16,
        0,   0,   0,   1,   0,   1,   0, 0x44, 0xAC, 0,   0,   0x88, 0x58, 0x01, 0,    2,   0,
        16,  0,   'd', 'a', 't', 'a', 6, 0,    0,    0,   0,   0,    0x00, 0x40, 0x00, 0x80};
    const std::string path = TempPath("pcm16.wav");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes), sizeof bytes);
    AudioBuffer audio;
    std::string error;
    ASSERT_TRUE(ReadFloatWav(path, &audio, &error)) << error;
    EXPECT_EQ(audio.sampleRate, 44100.0);
    ASSERT_EQ(audio.NumFrames(), 3);
    EXPECT_EQ(audio.channels[0][1], 0.5f);
    EXPECT_EQ(audio.channels[0][2], -1.0f);

    std::ofstream(path, std::ios::binary) << "RIFF....WAVEjunk";
    EXPECT_FALSE(ReadFloatWav(path, &audio, &error));
    EXPECT_FALSE(ReadFloatWav(TempPath("missing.wav"), &audio, &error));
    std::remove(path.c_str());
}

// A chord is smooth everywhere; a step shows where it is, at a block start or not.
TEST(AudioSteps, FindStepsAtBlockStartsAndElsewhere) {
    struct Case {
        size_t stepAt;  // 0: no step
        bool atStart;
    };
    for (const Case c : {Case{0, false}, Case{1024, true}, Case{3584, true}, Case{1500, false}}) {
        AudioBuffer audio;
        audio.Resize(2, 4096);
        for (size_t k = 0; k < 4096; ++k) {
            const float v = 0.5f * static_cast<float>(std::sin(0.03 * static_cast<double>(k)));
            audio.channels[0][k] = v;
            audio.channels[1][k] = v + (c.stepAt != 0 && k >= c.stepAt ? 0.01f : 0.0f);
        }
        const StepLevels steps = MeasureSteps(audio, 512);
        const double quiet = 1e-5;  // the sine's own fourth difference is 4e-7
        EXPECT_EQ(steps.atBlockStarts > quiet, c.stepAt != 0 && c.atStart) << c.stepAt;
        EXPECT_EQ(steps.elsewhere > quiet, c.stepAt != 0 && !c.atStart) << c.stepAt;
        if (c.stepAt != 0) {
            EXPECT_NEAR(std::max(steps.atBlockStarts, steps.elsewhere), 0.03, 0.001)
                << c.stepAt;  // three times the step
        }
    }
}

}  // namespace
}  // namespace tav
