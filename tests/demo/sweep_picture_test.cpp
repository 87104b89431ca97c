// The demo's sweep picture: every label drawn, none over another or over the plot.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "demo/sweep_picture.h"
#include "host/demo_signal.h"

namespace tav {
namespace {

// Pixels of r unlike the paper at the picture's top-left corner.
int Inked(const RgbImage& picture, const PixelRect& r) {
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (!std::equal(picture.At(x, y), picture.At(x, y) + 3, picture.At(0, 0))) ++count;
    return count;
}

TEST(SweepPicture, LabelsAreInkedApartAndTheBandsShowTheGain) {
    AudioBuffer dry;
    ASSERT_TRUE(GenerateSignal("noise", 44100.0, &dry));
    AudioBuffer wet = dry;
    for (float& s : wet.channels[1]) s *= 0.25f;  // right: -12 dB
    RgbImage picture;
    SweepPictureParts parts;
    std::string error;
    ASSERT_TRUE(DrawTransferPicture(dry, wet, {"Noise", 120.0, {}}, &picture, &parts, &error))
        << error;
    ASSERT_EQ(parts.bands.size(), 2u);
    ASSERT_EQ(parts.bandNames.size(), 2u);
    EXPECT_EQ(parts.bands[0].Width(), (dry.NumFrames() + 511) / 512);  // a column per hop

    const std::vector<std::pair<const char*, PixelRect>> regions = {
        {"title", parts.title},          {"Left", parts.bandNames[0]},
        {"Right", parts.bandNames[1]},   {"frequency ticks", parts.frequencyTicks},
        {"time ticks", parts.timeTicks}, {"colour bar", parts.colourBar},
        {"left band", parts.bands[0]},   {"right band", parts.bands[1]}};
    const PixelRect whole{0, 0, picture.width, picture.height};
    for (size_t i = 0; i < regions.size(); ++i) {
        const auto& [name, r] = regions[i];
        SCOPED_TRACE(name);
        EXPECT_EQ(Intersection(r, whole), r);
        EXPECT_GT(Inked(picture, r), 60);  // a few glyphs at least
        for (size_t j = i + 1; j < regions.size(); ++j)
            EXPECT_TRUE(Intersection(r, regions[j].second).IsEmpty()) << regions[j].first;
    }

    // The same gain everywhere: one colour across a band, another for the quieter side.
    const int y = parts.bands[0].Height() / 2;
    const uint8_t* left = picture.At(parts.bands[0].left + 10, parts.bands[0].top + y);
    const uint8_t* right = picture.At(parts.bands[1].left + 10, parts.bands[1].top + y);
    EXPECT_TRUE(
        std::equal(left, left + 3, picture.At(parts.bands[0].right - 10, parts.bands[0].top + y)));
    EXPECT_FALSE(std::equal(left, left + 3, right));
}

}  // namespace
}  // namespace tav
