// Audio, automation and user-interface threads on one instance at the same time,
// as a DAW runs them. Meant for ThreadSanitizer natively and a crash check under Wine.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "host/formats/hosted_vst2.h"
#include "tests/vst2/module_paths.h"

namespace tav {
namespace {

double StressSeconds() {
    const char* text = std::getenv("TAV_STRESS_SECONDS");
    return text != nullptr ? std::atof(text) : 2.0;
}

void Stress(const char* which) {
    const std::string path = ModulePath(which);
    if (path.empty()) GTEST_SKIP() << "no " << which << " module built";
    std::string error;
    auto plugin = HostedVst2::Load(path, HostSettings(), &error);
    ASSERT_TRUE(plugin) << error;
    plugin->Start();

    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0}, sets{0}, uiRounds{0};
    std::atomic<bool> badAudio{false}, badChunk{false};

    std::thread audio([&] {
        constexpr int kFrames = 256;
        std::vector<float> l(kFrames), r(kFrames);
        std::vector<double> dl(kFrames), dr(kFrames);
        for (long n = 0; !stop.load(); ++n) {
            for (int i = 0; i < kFrames; ++i) {
                l[static_cast<size_t>(i)] = r[static_cast<size_t>(i)] =
                    0.3f * static_cast<float>((i + n) % 64 - 32) / 32;
                dl[static_cast<size_t>(i)] = dr[static_cast<size_t>(i)] = l[static_cast<size_t>(i)];
            }
            float* io[2] = {l.data(), r.data()};
            double* dio[2] = {dl.data(), dr.data()};
            if (n % 3 == 2) {
                plugin->ProcessDouble(dio, dio, kFrames);
            } else {
                plugin->Process(n % 3 == 0 ? ProcessKind::Replacing : ProcessKind::Accumulating, io,
                                io, kFrames);
            }
            plugin->AdvanceTransport(kFrames);
            if (!std::isfinite(l[7]) || !std::isfinite(dl[7])) badAudio = true;
            ++blocks;
        }
    });
    std::thread automation([&] {
        unsigned seed = 12345;
        while (!stop.load()) {
            seed = seed * 1664525u + 1013904223u;
            const int index = static_cast<int>(seed >> 8) % plugin->NumParams();
            plugin->SetParameter(index, static_cast<float>((seed >> 16) & 0xFF) / 255.0f);
            if (plugin->GetParameter(index) < 0.0f) badAudio = true;
            ++sets;
        }
    });
    std::thread ui([&] {
        for (int round = 0; !stop.load(); ++round) {
            plugin->SetProgram(round % plugin->NumPrograms());
            const bool bank = round % 2 == 0;
            std::vector<std::uint8_t> chunk = plugin->GetChunk(bank);
            if (chunk.empty() || !plugin->SetChunk(bank, chunk)) badChunk = true;
            plugin->ParamDisplay(round % plugin->NumParams());
            plugin->Dispatch(effEditIdle);
            if (round % 16 == 0) {
                plugin->Suspend();
                plugin->Resume();
            }
            ++uiRounds;
        }
    });

    std::this_thread::sleep_for(std::chrono::duration<double>(StressSeconds()));
    stop = true;
    audio.join();
    automation.join();
    ui.join();
    EXPECT_FALSE(badAudio);
    EXPECT_FALSE(badChunk);
    EXPECT_GT(blocks.load(), 0);
    EXPECT_GT(sets.load(), 0);
    EXPECT_GT(uiRounds.load(), 0);
}

TEST(Stress, TestModuleUnderThreeThreads) {
    Stress("test");
}
TEST(Stress, ProductModuleUnderThreeThreads) {
    Stress("product");
}

}  // namespace
}  // namespace tav
