// tavhost with the VST 3 bundle, the CLAP module and (Linux) the LV2 bundle beside
// the VST 2 module: the same sound from the same settings, in sessions too, the
// VST 2 module's preset files opening in VST 3 and CLAP, each format's own state
// kept, and what only VST 2 does refused.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "host/audio_buffer.h"
#include "host/host_cli.h"

namespace tav {
namespace {

using Args = std::vector<std::string>;

const std::string kVst2 = TAV_PRODUCT_MODULE_PATH;

struct Format {
    const char* name;  // as tavhost's messages say it
    const char* tag;
    std::string module;
    const char* wideProcess;  // "double" where the format has 64-bit processing
    // The parameter a state test edits, and the line --params then shows.
    const char* edit;
    const char* editedLine;
};
void PrintTo(const Format& format, std::ostream* out) {
    *out << format.name;
}

// One file per test and format: CTest runs the tests of this program side by side.
std::string TempPath(const std::string& name) {
    std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : test) c = c == '/' ? '_' : c;
    return std::string(TAV_BINARY_DIR) + "/tests/host/format_host_" + test + "_" + name;
}

int Host(const std::string& module, Args args, std::string* err = nullptr,
         std::string* out = nullptr) {
    args.insert(args.begin(), module);
    std::ostringstream printed, errors;
    const int status = HostMain(args, printed, errors);
    if (err != nullptr) *err = errors.str();
    if (out != nullptr) *out = printed.str();
    return status;
}

// Two seconds of noise through the plug-in with these settings.
AudioBuffer Rendered(const std::string& module, Args args) {
    const std::string wav = TempPath("out.wav");
    args.insert(args.end(), {"--generate", "noise", "--quiet", "--out", wav});
    std::string err;
    AudioBuffer audio;
    EXPECT_EQ(Host(module, args, &err), 0) << module << ": " << err;
    EXPECT_TRUE(ReadAudioFile(wav, &audio, &err)) << err;
    std::remove(wav.c_str());
    return audio;
}

// The VST 2 module hears "Song" from a program chunk that carries the setting, the
// others from their Sweep Sync parameter.
Args SongLocked(const std::string& module) {
    if (module != kVst2) return {"--set-text", "Sweep Sync=Song"};
    const std::string chunk = TempPath("song.chunk");
    EXPECT_EQ(Host(kVst2, {"--save-chunk", chunk}), 0);
    std::ofstream file(chunk, std::ios::binary | std::ios::app);
    const char trailer[12] = {'T', 'v', 'S', 'y', 1, 0, 0, 0, 1, 0, 0, 0};
    file.write(trailer, sizeof trailer);
    return {"--load-chunk", chunk};
}

double LargestDifference(const AudioBuffer& a, const AudioBuffer& b) {
    if (a.NumChannels() != b.NumChannels() || a.NumFrames() != b.NumFrames() ||
        a.NumFrames() == 0) {
        return INFINITY;
    }
    double largest = 0.0;
    for (int c = 0; c < a.NumChannels(); ++c) {
        for (size_t i = 0; i < a.channels[c].size(); ++i) {
            largest = std::fmax(largest, std::fabs(a.channels[c][i] - b.channels[c][i]));
        }
    }
    return largest;
}

class TavhostFormat : public ::testing::TestWithParam<Format> {
  protected:
    const std::string& Module() const { return GetParam().module; }
};

TEST_P(TavhostFormat, RendersBitForBitAsTheVst2Module) {
    const std::string wide = GetParam().wideProcess;
    const Args cases[] = {
        {"--program", "1", "--process", "replacing", "--tempo", "120", "--block", "512"},
        {"--program", "3", "--process", wide, "--tempo", "97.5", "--block", "100"},
        {"--program", "6", "--process", "replacing", "--tempo", "140", "--block", "1024",
         "--set-text", "Left Depth=77"},
        // A session: the transport ramps, starts late, loops and pauses.
        {"--program", "5", "--process", "replacing", "--tempo-ramp", "100:140", "--start-beat",
         "1.5", "--loop", "2:3", "--loop-passes", "2", "--pause", "4:1", "--block", "300"},
    };
    for (const Args& args : cases) {
        SCOPED_TRACE(args[1] + " " + args[3] + " " + args[5]);
        EXPECT_EQ(LargestDifference(Rendered(kVst2, args), Rendered(Module(), args)), 0.0);
    }
    // Locked to the song under a tempo ramp, and through a loop's jumps back.
    const Args songs[] = {{"--tempo-ramp", "100:140", "--start-beat", "1.5", "--block", "300"},
                          {"--tempo", "120", "--start-beat", "1.5", "--loop", "2:3",
                           "--loop-passes", "2", "--block", "300"}};
    for (const Args& song : songs) {
        SCOPED_TRACE("song " + song[0]);
        Args vst2 = song, module = song;
        for (auto [args, path] : {std::pair{&vst2, kVst2}, {&module, Module()}}) {
            const Args lock = SongLocked(path);
            args->insert(args->end(), lock.begin(), lock.end());
            args->insert(args->end(), {"--set-text", "Left Sweep Rate=1/4"});
        }
        EXPECT_EQ(LargestDifference(Rendered(kVst2, vst2), Rendered(Module(), module)), 0.0);
    }
    std::remove(TempPath("song.chunk").c_str());
}

// VST 3 and CLAP take the VST 2 module's files as their state; LV2 keeps none of it.
using TavhostVst2Successor = TavhostFormat;

TEST_P(TavhostVst2Successor, OpensTheVst2ModulesProgramAndBankFiles) {
    const std::string fxp = TempPath("edited.fxp"), fxb = TempPath("edited.fxb"),
                      foreign = TempPath("foreign.fxp");
    const Args edits = {"--program",     "2",          "--set-text",
                        "Left Depth=77", "--set-text", "Accent=Right"};
    Args save = edits;
    save.insert(save.end(), {"--save-fxp", fxp, "--save-fxb", fxb});
    ASSERT_EQ(Host(kVst2, save), 0);
    const AudioBuffer expected = Rendered(kVst2, edits);

    // The program lands in the current program; the bank keeps the edits in program 2.
    for (const Args& load : {Args{"--load-fxp", fxp}, Args{"--load-fxb", fxb, "--program", "2"}}) {
        SCOPED_TRACE(load[0]);
        EXPECT_EQ(LargestDifference(Rendered(Module(), load), expected), 0.0);
        EXPECT_EQ(LargestDifference(Rendered(kVst2, load), expected), 0.0);
    }

    // Another plug-in's program: refused by both, before anything changes.
    std::ifstream in(fxp, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    ASSERT_GT(bytes.size(), 20u);
    bytes[19] = static_cast<char>(bytes[19] ^ 1);  // the low byte of the plug-in's id
    std::ofstream(foreign, std::ios::binary) << bytes;
    std::string err;
    EXPECT_EQ(Host(kVst2, {"--load-fxp", foreign}, &err), 1);
    EXPECT_NE(err.find("is for the plug-in 'eoox'"), std::string::npos) << err;
    EXPECT_EQ(Host(Module(), {"--load-fxp", foreign}, &err), 1);
    EXPECT_EQ(Host(kVst2, {"--load-fxp", fxb}, &err), 1);  // a bank is no program
    for (const std::string& path : {fxp, fxb, foreign}) std::remove(path.c_str());
}

TEST_P(TavhostFormat, KeepsItsStateAndRefusesWhatOnlyVst2Does) {
    const std::string state = TempPath("state.bin");
    std::string saved, loaded, err;
    ASSERT_EQ(Host(Module(),
                   {"--program", "4", "--set", GetParam().edit, "--params", "--save-chunk", state},
                   &err, &saved),
              0)
        << err;
    const size_t savedAt = saved.find("saved ");
    ASSERT_NE(savedAt, std::string::npos) << saved;
    EXPECT_NE(saved.find(" bytes of state to ", savedAt), std::string::npos) << saved;
    ASSERT_EQ(Host(Module(), {"--load-chunk", state, "--params"}, &err, &loaded), 0) << err;
    EXPECT_EQ(loaded, saved.substr(0, savedAt));  // the program's values, and the edit
    EXPECT_NE(loaded.find(GetParam().editedLine), std::string::npos) << loaded;
    std::remove(state.c_str());
    // Bytes that are no state, or none: refused.
    for (const std::string& bytes : {std::string("no state at all"), std::string()}) {
        std::ofstream(state, std::ios::binary) << bytes;
        EXPECT_EQ(Host(Module(), {"--load-chunk", state}, &err), 1) << bytes;
    }
    std::remove(state.c_str());

    // Refused before the plug-in is loaded, saying which format can or cannot.
    for (const Args& args : {Args{"--generate", "impulse", "--process", "accumulating"},
                             Args{"--save-fxp", state}, Args{"--bank", "--save-chunk", state}}) {
        EXPECT_EQ(Host(Module(), args, &err), 1) << args[0];
        EXPECT_TRUE(err.find(GetParam().name) != std::string::npos ||
                    err.find("VST 2") != std::string::npos)
            << err;
    }
}

const Format kVst3 = {"VST 3",  "Vst3",     TAV_VST3_BUNDLE_PATH,
                      "double", "Bypass=1", "1000  Bypass                            On"};
const Format kClap = {"CLAP",   "Clap",     TAV_CLAP_MODULE_PATH,
                      "double", "Bypass=1", "1000  Bypass                            On"};

// LV2 where the build has it (Linux): its control ports, numbered by port index.
std::vector<Format> AllFormats() {
    std::vector<Format> formats = {kVst3, kClap};
    const std::string lv2 = TAV_LV2_BUNDLE_PATH;
    if (!lv2.empty()) {
        formats.push_back({"LV2", "Lv2", lv2, "replacing", "Enabled=0",
                           "   17  Enabled                           0                0.000000"});
    }
    return formats;
}

const auto kTag = [](const auto& test) { return std::string(test.param.tag); };
INSTANTIATE_TEST_SUITE_P(Formats, TavhostFormat, ::testing::ValuesIn(AllFormats()), kTag);
INSTANTIATE_TEST_SUITE_P(Formats, TavhostVst2Successor, ::testing::Values(kVst3, kClap), kTag);

}  // namespace
}  // namespace tav
