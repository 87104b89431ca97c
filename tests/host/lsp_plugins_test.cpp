// Third-party VST 2.4 plug-ins in our host: LSP's Linux builds, where installed.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>

#include "host/demo_signal.h"
#include "host/formats/hosted_vst2.h"
#include "host/render.h"

namespace tav {
namespace {

const char* const kDir = "/usr/lib/vst/lsp-plugins/";

class LspPlugin : public ::testing::TestWithParam<const char*> {};

TEST_P(LspPlugin, LoadsRendersAndKeepsItsState) {
    const std::string path = std::string(kDir) + GetParam() + ".so";
    if (!std::ifstream(path)) GTEST_SKIP() << path << " is not installed";
    std::string error;
    auto plugin = HostedVst2::Load(path, HostSettings(), &error);
    ASSERT_TRUE(plugin) << error;
    plugin->Start();
    EXPECT_FALSE(plugin->EffectName().empty());
    ASSERT_GT(plugin->NumParams(), 0);
    for (int i = 0; i < plugin->NumParams(); ++i) EXPECT_FALSE(plugin->ParamName(i).empty());

    AudioBuffer input;
    ASSERT_TRUE(GenerateSignal("demo-loop", 44100.0, &input));
    RenderOptions options;
    options.blockSize = 512;
    const AudioBuffer output = Render(*plugin, input, options);
    ASSERT_EQ(output.NumChannels(), plugin->Effect()->numOutputs);
    double energy = 0.0;
    for (const auto& channel : output.channels) {
        for (float v : channel) {
            ASSERT_TRUE(std::isfinite(v));
            energy += static_cast<double>(v) * v;
        }
    }
    EXPECT_GT(energy, 0.0);

    // Its own state, handed back, is taken.
    if (plugin->Effect()->flags & effFlagsProgramChunks) {
        const std::vector<std::uint8_t> chunk = plugin->GetChunk(false);
        ASSERT_FALSE(chunk.empty());
        EXPECT_TRUE(plugin->SetChunk(false, chunk));
    }
    EXPECT_GT(
        plugin->Requests().Count(audioMasterGetTime) + plugin->Requests().Count(audioMasterVersion),
        0);
}

INSTANTIATE_TEST_SUITE_P(Installed, LspPlugin,
                         ::testing::Values("comp-delay-stereo", "compressor-stereo",
                                           "para-equalizer-x16-stereo", "gate-mono",
                                           "slap-delay-stereo"));

}  // namespace
}  // namespace tav
