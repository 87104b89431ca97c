// tavwav's click figures: the band above a cutoff, its peak and RMS.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "demo/band_picture.h"
#include "demo/high_band.h"

namespace tav {
namespace {

double Db(double level) {
    return 20.0 * std::log10(level);
}

AudioBuffer Sine(double hz, double seconds) {
    AudioBuffer audio;
    audio.Resize(2, static_cast<std::int64_t>(seconds * audio.sampleRate));
    for (size_t i = 0; i < audio.channels[0].size(); ++i) {
        // The right channel only: the figures are the largest channel's.
        audio.channels[1][i] =
            static_cast<float>(0.5 * std::sin(2.0 * std::numbers::pi * hz * i / 44100.0));
    }
    return audio;
}

TEST(HighBand, PassesWhatLiesAboveTheCutoffOnly) {
    struct Case {
        double hz, cutoff, lowestDb, highestDb;
    };
    // Half-scale sines (-9.03 dBFS RMS): -48 dB an octave below the cutoff.
    for (const Case& c : {Case{12000.0, 8000.0, -9.2, -8.9}, Case{1000.0, 8000.0, -400.0, -120.0},
                          Case{6000.0, 8000.0, -40.0, -25.0}, Case{15000.0, 10000.0, -9.2, -8.9},
                          Case{5000.0, 10000.0, -70.0, -45.0}}) {
        SCOPED_TRACE(c.hz);
        const auto band = HighBand(Sine(c.hz, 1.0), c.cutoff);
        const double rms = Db(BandRms(band, 22050, 44100));  // past the filter's start
        EXPECT_GT(rms, c.lowestDb);
        EXPECT_LT(rms, c.highestDb);
        // A sine still, where it passes: its peak 3 dB above its RMS.
        if (rms > -60.0) {
            EXPECT_NEAR(Db(BandPeak(band, 22050, 44100)), rms + 3.01, 0.2);
        }
    }
}

TEST(HighBand, FindsAClickInItsWindowAndNowhereElse) {
    AudioBuffer audio = Sine(1000.0, 2.0);
    audio.channels[0][66150] = 0.25f;  // 1.5 s, on the other channel
    const auto band = HighBand(audio, 8000.0);
    const std::int64_t window = 441;  // 10 ms
    EXPECT_GT(Db(BandPeak(band, 66150, 66150 + window)), -30.0);
    for (std::int64_t at : {std::int64_t{44100}, std::int64_t{66150 - window}, std::int64_t{77175}})
        EXPECT_LT(Db(BandPeak(band, at, at + window)), -110.0) << at;
}

// The picture: a click's column rises over the goal line in its own band only.
TEST(HighBand, ThePictureShowsAClickInItsRenderOnly) {
    const AudioBuffer quiet = Sine(1000.0, 2.0);
    AudioBuffer clicked = quiet;
    clicked.channels[0][44100] = 0.25f;  // 1 s: the middle column
    RgbImage picture;
    std::string error;
    ASSERT_TRUE(DrawBandPicture({clicked, quiet}, {}, &picture, &error)) << error;
    const auto blue = [&](int x, int y) {
        const uint8_t* p = &picture.rgb[(size_t(y) * size_t(picture.width) + size_t(x)) * 3];
        return p[0] == 0x2F && p[1] == 0x5F && p[2] == 0xA8;
    };
    const int column = 150 + 480, aboveGoal = 62 + 80;  // -70 dBFS in the first band
    EXPECT_TRUE(blue(column, aboveGoal) || blue(column - 1, aboveGoal));
    EXPECT_FALSE(blue(column, aboveGoal + 186) || blue(column - 1, aboveGoal + 186));
    EXPECT_FALSE(DrawBandPicture({clicked, Sine(1000.0, 1.0)}, {}, &picture, &error));
}

}  // namespace
}  // namespace tav
