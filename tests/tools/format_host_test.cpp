// tavhost with the VST 3 bundle and the CLAP module beside the VST 2 module: the
// same sound from the same settings, the VST 2 module's preset files opening in
// each, their own state kept, and what only VST 2 does refused.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tools/audio_buffer.h"
#include "tools/host_cli.h"

namespace tav {
namespace {

using Args = std::vector<std::string>;

const std::string kVst2 = TAV_PRODUCT_MODULE_PATH;

struct Format {
    const char* name;  // as tavhost's messages say it
    const char* tag;
    std::string module;
};
void PrintTo(const Format& format, std::ostream* out) {
    *out << format.name;
}

// One file per test and format: CTest runs the tests of this program side by side.
std::string TempPath(const std::string& name) {
    std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : test) c = c == '/' ? '_' : c;
    return std::string(TAV_BINARY_DIR) + "/tests/tools/format_host_" + test + "_" + name;
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
    const Args cases[] = {
        {"--program", "1", "--process", "replacing", "--tempo", "120", "--block", "512"},
        {"--program", "3", "--process", "double", "--tempo", "97.5", "--block", "100"},
        {"--program", "6", "--process", "replacing", "--tempo", "140", "--block", "1024",
         "--set-text", "Left Depth=77"},
    };
    for (const Args& args : cases) {
        SCOPED_TRACE(args[1] + " " + args[3]);
        EXPECT_EQ(LargestDifference(Rendered(kVst2, args), Rendered(Module(), args)), 0.0);
    }
}

TEST_P(TavhostFormat, OpensTheVst2ModulesProgramAndBankFiles) {
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
    ASSERT_EQ(
        Host(Module(), {"--program", "4", "--set", "Bypass=1", "--params", "--save-chunk", state},
             &err, &saved),
        0)
        << err;
    const size_t savedAt = saved.find("saved ");
    ASSERT_NE(savedAt, std::string::npos) << saved;
    EXPECT_NE(saved.find(" bytes of state to ", savedAt), std::string::npos) << saved;
    ASSERT_EQ(Host(Module(), {"--load-chunk", state, "--params"}, &err, &loaded), 0) << err;
    EXPECT_EQ(loaded, saved.substr(0, savedAt));  // the program's values, and the edit
    EXPECT_NE(loaded.find("1000  Bypass                            On"), std::string::npos);
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

INSTANTIATE_TEST_SUITE_P(Formats, TavhostFormat,
                         ::testing::Values(Format{"VST 3", "Vst3", TAV_VST3_BUNDLE_PATH},
                                           Format{"CLAP", "Clap", TAV_CLAP_MODULE_PATH}),
                         [](const auto& test) { return std::string(test.param.tag); });

}  // namespace
}  // namespace tav
