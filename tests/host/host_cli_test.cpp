// The command-line host, run in-process on the adapter's test module.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "host/audio_buffer.h"
#include "host/host_cli.h"

namespace tav {
namespace {

std::string TestModule() {
    const char* path = std::getenv("TAV_TEST_MODULE");
    return path != nullptr && path[0] != '\0' ? path : TAV_TEST_MODULE_PATH;
}

std::string TempPath(const char* name) {
    return std::string(TAV_BINARY_DIR) + "/tests/host/" + name;
}

struct CliRun {
    int status;
    std::string out, err;
};

CliRun Host(std::vector<std::string> args) {
    std::ostringstream out, err;
    int status = HostMain(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(HostCli, ParsesOptionsAndRejectsNonsense) {
    CliOptions o;
    std::string error;
    ASSERT_TRUE(ParseCli({"m.so", "--rate", "48000", "--block", "64", "--tempo", "0", "--set",
                          "Gain=0.5", "--set-text", "3=a=b", "--process", "double", "--bank"},
                         &o, &error))
        << error;
    EXPECT_EQ(o.module, "m.so");
    EXPECT_EQ(o.host.sampleRate, 48000.0);
    EXPECT_EQ(o.host.blockSize, 64);
    EXPECT_EQ(o.host.tempo, 0.0);
    EXPECT_EQ(o.setUnit[0].first, "Gain");
    EXPECT_EQ(o.setText[0].second, "a=b");
    EXPECT_EQ(o.process, ProcessKind::Double);
    EXPECT_TRUE(o.info);  // nothing else asked: identity

    for (std::vector<std::string> bad : {std::vector<std::string>{},
                                         {"m.so", "--block", "0"},
                                         {"m.so", "--rate", "nan"},
                                         {"m.so", "--set", "Gain"},
                                         {"m.so", "--process", "fast"},
                                         {"m.so", "--frobnicate"},
                                         {"m.so", "--editor-scale", "0"},
                                         {"m.so", "--editor-scale", "-2"},
                                         {"m.so", "--in", "a.wav", "--generate", "sine"},
                                         {"m.so", "--rate"}}) {
        CliOptions ignored;
        EXPECT_FALSE(ParseCli(bad, &ignored, &error));
    }
    CliRun help = Host({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.err.find("usage: tavhost"), std::string::npos);
    EXPECT_EQ(Host({"m.so", "--bogus"}).status, 2);
}

TEST(HostCli, ParsesTransportSessionsAndRefusesBadOnes) {
    CliOptions o;
    std::string error;
    ASSERT_TRUE(
        ParseCli({"m.so", "--tempo-ramp", "90:150.5", "--start-beat", "2.25", "--loop", "4:8",
                  "--pause", "9:1.5", "--pause", "1:2", "--resend", "Gain", "--resend", "3"},
                 &o, &error))
        << error;
    const TransportPlan& plan = o.host.transport;
    EXPECT_EQ(o.host.tempo, 90.0);
    EXPECT_TRUE(plan.ramp);
    EXPECT_EQ(plan.rampTo, 150.5);
    EXPECT_EQ(plan.startBeat, 2.25);
    EXPECT_EQ(plan.loopStart, 4.0);
    EXPECT_EQ(plan.loopEnd, 8.0);
    EXPECT_EQ(plan.loopPasses, 4);  // the default
    ASSERT_EQ(plan.pauses.size(), 2u);
    EXPECT_EQ(plan.pauses[0].beats, 1.5);
    EXPECT_EQ(o.resend, (std::vector<std::string>{"Gain", "3"}));

    const std::vector<std::string> bad[] = {
        {"--tempo-ramp", "90"},
        {"--tempo-ramp", "0:100"},
        {"--tempo-ramp", "a:b"},
        {"--tempo", "100", "--tempo-ramp", "90:100"},
        {"--start-beat", "-1"},
        {"--start-beat", "1x"},
        {"--loop", "4:4"},
        {"--loop", "5:4"},
        {"--loop", "-1:4"},
        {"--loop", "1:"},
        {"--loop-passes", "2"},
        {"--loop", "1:2", "--loop-passes", "0"},
        {"--loop", "1:2", "--loop-passes", "1.5"},
        {"--pause", "1:0"},
        {"--pause", "-1:1"},
        {"--pause", "1"},
        {"--tempo", "0", "--loop", "1:2"},
        {"--start-beat", "1", "--tempo", "0"},
        {"--resend"},
    };
    for (std::vector<std::string> args : bad) {
        const std::string option = args[0];
        args.insert(args.begin(), "m.so");
        CliRun run = Host(args);
        EXPECT_EQ(run.status, 2) << option;
        EXPECT_NE(run.err.find("tavhost: "), std::string::npos) << option;
    }
    EXPECT_EQ(Host({TestModule(), "--generate", "impulse", "--resend", "Nope"}).status, 1);
}

TEST(HostCli, ParsesAutomationTempoMapsAndReactivationsAndRefusesBadOnes) {
    CliOptions o;
    std::string error;
    ASSERT_TRUE(
        ParseCli({"m.so", "--ramp", "Wet Left=0.8:0.2@2s:8b", "--step", "1000=1@300",
                  "--tempo-step", "160@24b", "--tempo-map-ramp", "100:140@4:20b",
                  "--report-ramp-start-tempo", "--reactivate", "48000@10s", "--sample-accurate"},
                 &o, &error))
        << error;
    ASSERT_EQ(o.automation.size(), 2u);
    const AutomationMove& ramp = o.automation[0];
    EXPECT_EQ(ramp.param, "Wet Left");
    EXPECT_EQ(ramp.from, 0.8);
    EXPECT_EQ(ramp.to, 0.2);
    EXPECT_EQ(ramp.start.unit, HostTime::Unit::Seconds);
    EXPECT_EQ(ramp.end.unit, HostTime::Unit::Beats);
    EXPECT_EQ(ramp.end.value, 8.0);
    const AutomationMove& step = o.automation[1];
    EXPECT_EQ(step.from, 1.0);
    EXPECT_EQ(step.end.unit, HostTime::Unit::Frames);
    EXPECT_EQ(step.end.value, 300.0);
    const TransportPlan& plan = o.host.transport;
    ASSERT_EQ(plan.tempoSteps.size(), 1u);
    EXPECT_EQ(plan.tempoSteps[0].atBeat, 24.0);
    EXPECT_EQ(plan.tempoSteps[0].bpm, 160.0);
    EXPECT_TRUE(plan.mapRamp && plan.reportRampStartTempo);
    EXPECT_EQ(plan.mapRampStart, 4.0);
    EXPECT_EQ(plan.mapRampTo, 140.0);
    ASSERT_EQ(o.reactivations.size(), 1u);
    EXPECT_EQ(o.reactivations[0].rate, 48000.0);
    EXPECT_TRUE(o.sampleAccurate);

    const std::vector<std::string> bad[] = {
        {"--ramp", "Gain=0.1:0.2@2s"},
        {"--ramp", "Gain=0.1:0.2@4s:2s"},
        {"--ramp", "Gain=0.1:0.2@2s:2s"},
        {"--ramp", "Gain=0.1:1.5@1s:2s"},
        {"--ramp", "Gain=0.1@1s:2s"},
        {"--ramp", "0.1:0.2@1s:2s"},
        {"--ramp", "Gain=0.1:0.2@1x:2s"},
        {"--step", "Gain=0.5"},
        {"--step", "Gain=-0.1@1s"},
        {"--step", "Gain=0.5@-1s"},
        {"--step", "Gain=0.5@2b", "--tempo", "0"},
        {"--tempo-step", "160"},
        {"--tempo-step", "0@8b"},
        {"--tempo-step", "160@-1b"},
        {"--tempo-step", "160@8b", "--tempo", "0"},
        {"--tempo-step", "160@8b", "--tempo-ramp", "90:100"},
        {"--tempo-map-ramp", "100:140@20b:4b"},
        {"--tempo-map-ramp", "100:0@4b:20b"},
        {"--tempo-map-ramp", "100:140"},
        {"--tempo-map-ramp", "100:140@4b:20b", "--tempo-map-ramp", "90:100@30b:40b"},
        {"--tempo-map-ramp", "100:140@4b:20b", "--tempo-step", "90@8b"},
        {"--report-ramp-start-tempo"},
        {"--reactivate", "48000"},
        {"--reactivate", "0@2s"},
        {"--reactivate", "48000@8b"},
    };
    for (std::vector<std::string> args : bad) {
        const std::string option = args[0] + " " + args.back();
        args.insert(args.begin(), "m.so");
        CliRun run = Host(args);
        EXPECT_EQ(run.status, 2) << option;
        EXPECT_NE(run.err.find("tavhost: "), std::string::npos) << option;
    }
    // What only the plug-in and the render can refuse.
    for (std::vector<std::string> args : {std::vector<std::string>{"--step", "Nope=1@1s"},
                                          {"--step", "Gain=1@1000b"},
                                          {"--step", "Gain=1@1s", "--ramp", "Gain=0:1@0s:2s"}}) {
        const std::string option = args[0] + " " + args[1];
        args.insert(args.begin(), {TestModule(), "--generate", "impulse"});
        EXPECT_EQ(Host(args).status, 1) << option;
    }
}

TEST(HostCli, ReportsIdentityParametersAndPrograms) {
    CliRun run =
        Host({TestModule(), "--info", "--params", "--programs", "--set", "Gain=0.25", "--set-text",
              "3=440", "--program", "1", "--product", "REAPER", "--requests"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("effect        Adapter Test Effect With A Long\n"), std::string::npos);
    EXPECT_NE(run.out.find("flags         0x1038 (mono replacing chunks double)"),
              std::string::npos);
    EXPECT_NE(run.out.find("Right Sweep Rate"), std::string::npos);
    EXPECT_NE(run.out.find("440"), std::string::npos);       // typed text reached the plug-in
    EXPECT_NE(run.out.find("0.250000"), std::string::npos);  // and so did the unit value
    EXPECT_NE(run.out.find("  * 1  Half"), std::string::npos);
    EXPECT_NE(run.out.find("audioMasterGetProductString          1"), std::string::npos);

    EXPECT_EQ(Host({TestModule(), "--set", "Nope=1"}).status, 1);
    EXPECT_EQ(Host({TestModule(), "--program", "99"}).status, 1);
    EXPECT_EQ(Host({TempPath("no-such-module.so")}).status, 1);
}

TEST(HostCli, RendersSignalsAndFilesAndKeepsChunks) {
    const std::string chunk = TempPath("cli.chunk"), dry = TempPath("cli_in.wav"),
                      wet = TempPath("cli_out.wav"), again = TempPath("cli_again.wav");
    for (const char* kind : {"replacing", "accumulating", "double"}) {
        CliRun run =
            Host({TestModule(), "--generate", "impulse", "--write-input", dry, "--out", wet,
                  "--set", "0=0.25", "--block", "100", "--process", kind, "--save-chunk", chunk});
        ASSERT_EQ(run.status, 0) << run.err;
        AudioBuffer out;
        std::string error;
        ASSERT_TRUE(ReadAudioFile(wet, &out, &error)) << error;
        ASSERT_EQ(out.NumFrames(), 44100);
        EXPECT_EQ(out.channels[0][0], 0.5f + 0.125f) << kind;  // gain 0.5, plus the other side
        EXPECT_EQ(out.channels[0][1], 0.0f);
    }
    // The saved chunk brings the gain back; the dry file goes through again.
    CliRun run =
        Host({TestModule(), "--load-chunk", chunk, "--in", dry, "--out", again, "--params"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("0.250000"), std::string::npos);
    AudioBuffer out;
    std::string error;
    ASSERT_TRUE(ReadAudioFile(again, &out, &error));
    EXPECT_EQ(out.channels[1][0], 0.625f);

    EXPECT_EQ(Host({TestModule(), "--in", TempPath("missing.wav")}).status, 1);
    EXPECT_EQ(Host({TestModule(), "--generate", "nothing"}).status, 1);
    for (const std::string& path : {chunk, dry, wet, again}) std::remove(path.c_str());
}

TEST(HostCli, KeepsProgramsAndBanksInPresetFiles) {
    // The test module keeps its programs in chunks: "FPCh" and "FBCh" files.
    const std::string fxp = TempPath("cli.fxp"), fxb = TempPath("cli.fxb");
    CliRun save = Host({TestModule(), "--program", "1", "--set", "Gain=0.125", "--save-fxp", fxp,
                        "--save-fxb", fxb});
    ASSERT_EQ(save.status, 0) << save.err;
    // The program lands in the current one; the bank keeps it as program 1.
    for (std::vector<std::string> load :
         {std::vector<std::string>{"--load-fxp", fxp}, {"--load-fxb", fxb, "--program", "1"}}) {
        load.insert(load.begin(), TestModule());
        load.push_back("--params");
        CliRun run = Host(load);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find("0.125000"), std::string::npos) << load[1];
    }
    // A bank is no program, and the other way round.
    EXPECT_EQ(Host({TestModule(), "--load-fxp", fxb}).status, 1);
    EXPECT_EQ(Host({TestModule(), "--load-fxb", fxp}).status, 1);
    for (const std::string& path : {fxp, fxb}) std::remove(path.c_str());
}

}  // namespace
}  // namespace tav
