// The VST 3 bundle through its real exports: what hosts list, how it refuses
// nonsense, its state, texts, sample-accurate changes, programs and bypass.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <thread>

#include "host/formats/hosted_vst2.h"
#include "tests/vst3/bundle_fixture.h"
#include "tests/vst3/ui_thread_pump.h"
#include "vst3/class_ids.h"

namespace tav::vst3test {
namespace {

constexpr ParamID kBypass = 1000;
constexpr ParamID kProgram = 1001;
constexpr ParamID kSweepSync = 1002;
constexpr ParamID kWetLeft = 4;

// The text form of an id as hosts print it: l1..l4, each %08X.
std::string CidText(const char* bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    unsigned char words[16];
    std::memcpy(words, b, 16);
    if (kComGuidOrder) {
        std::swap(words[0], words[3]);
        std::swap(words[1], words[2]);
        std::swap(words[4], words[5]);
        std::swap(words[6], words[7]);
    }
    std::string text;
    char hex[3];
    for (unsigned char c : words) {
        std::snprintf(hex, sizeof hex, "%02X", c);
        text += hex;
    }
    return text;
}

std::string Narrow(const TChar* text) {
    std::string out;
    for (int i = 0; i < 128 && text[i] != 0; ++i) out += static_cast<char>(text[i]);
    return out;
}

TEST(Vst3Bundle, FactoryListsBothClassesUnderTheirFixedIds) {
    IPluginFactory* factory = Bundle::Get().Factory();
    ASSERT_NE(factory, nullptr) << Bundle::Get().Error();
    // The ids hosts store in projects: these texts must never change.
    EXPECT_STREQ(kProcessorCidText, "54617672656C6C696F6E50726F633031");
    EXPECT_STREQ(kControllerCidText, "54617672656C6C696F6E4374726C3031");

    auto factory3 = Query<IPluginFactory3>(factory);
    ASSERT_TRUE(factory3);
    PFactoryInfo info{};
    ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
    EXPECT_STREQ(info.vendor, "Qorva");
    EXPECT_EQ(info.flags & PFactoryInfo::kUnicode, PFactoryInfo::kUnicode);
    ASSERT_EQ(factory->countClasses(), 2);

    const char* categories[2] = {kAudioEffectClass, kComponentControllerClass};
    const char* ids[2] = {kProcessorCidText, kControllerCidText};
    for (int i = 0; i < 2; ++i) {
        PClassInfo2 c{};
        ASSERT_EQ(factory3->getClassInfo2(i, &c), kResultOk);
        EXPECT_EQ(CidText(c.cid), ids[i]);
        EXPECT_STREQ(c.category, categories[i]);
        EXPECT_STREQ(c.name, "Tavrellion");
        EXPECT_STREQ(c.vendor, "Qorva");
        EXPECT_STREQ(c.version, "1.0.0");
        EXPECT_STREQ(c.sdkVersion, "VST 3.7.14");
        EXPECT_EQ(c.cardinality, kManyInstances);
        PClassInfoW w{};
        ASSERT_EQ(factory3->getClassInfoUnicode(i, &w), kResultOk);
        EXPECT_EQ(Narrow(w.name), "Tavrellion");
    }
    PClassInfo2 processor{};
    factory3->getClassInfo2(0, &processor);
    EXPECT_STREQ(processor.subCategories, "Fx|Modulation");

    // moduleinfo.json beside the binary names the same ids and the VST 2 plug-in it replaces.
    std::string folder = Bundle::Get().Path();
    folder = folder.substr(0, folder.rfind('/'));
    std::ifstream file(folder + "/../Resources/moduleinfo.json");
    const std::string json((std::istreambuf_iterator<char>(file)), {});
    EXPECT_NE(json.find(kProcessorCidText), std::string::npos);
    EXPECT_NE(json.find(kControllerCidText), std::string::npos);
    EXPECT_NE(json.find("\"565354656F6F7974617672656C6C696F\""), std::string::npos);
    EXPECT_NE(json.find("\"Modulation\""), std::string::npos);
}

TEST(Vst3Bundle, NonsenseFromTheHostIsRefused) {
    IPluginFactory* factory = Bundle::Get().Factory();
    ASSERT_NE(factory, nullptr) << Bundle::Get().Error();
    void* object = reinterpret_cast<void*>(1);
    const Uid unknown{1, 2, 3, 4};
    EXPECT_EQ(factory->createInstance(unknown.Data(), FUnknown::iid.Data(), &object), kNoInterface);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->createInstance(nullptr, FUnknown::iid.Data(), &object), kInvalidArgument);
    EXPECT_EQ(factory->createInstance(kProcessorCid.Data(), unknown.Data(), &object), kNoInterface);
    EXPECT_EQ(factory->getClassInfo(2, nullptr), kInvalidArgument);
    PClassInfo c{};
    EXPECT_EQ(factory->getClassInfo(-1, &c), kInvalidArgument);

    Instance plugin;
    ASSERT_TRUE(plugin.Component());
    EXPECT_EQ(plugin.Component()->queryInterface(unknown.Data(), &object), kNoInterface);
    EXPECT_EQ(plugin.Component()->getBusInfo(kAudio, kInput, 1, nullptr), kInvalidArgument);
    EXPECT_EQ(plugin.Component()->setState(nullptr), kInvalidArgument);
    EXPECT_EQ(plugin.Processor()->process(nullptr), kInvalidArgument);
    EXPECT_EQ(plugin.Processor()->setupProcessing(nullptr), kInvalidArgument);
    IEditController* controller = plugin.Controller();
    ParameterInfo info{};
    EXPECT_EQ(controller->getParameterInfo(controller->getParameterCount(), &info),
              kInvalidArgument);
    EXPECT_EQ(controller->setParamNormalized(77, 0.5), kInvalidArgument);
    EXPECT_EQ(controller->setParamNormalized(kWetLeft, std::nan("")), kInvalidArgument);
    String128 text{};
    EXPECT_EQ(controller->getParamStringByValue(77, 0.5, text), kInvalidArgument);
    EXPECT_EQ(controller->getParamValueByString(kWetLeft, nullptr, nullptr), kInvalidArgument);

    // Only stereo in and out; a refused request leaves the buses stereo.
    SpeakerArrangement mono = kMono;
    SpeakerArrangement stereo = kStereo;
    SpeakerArrangement pair[2] = {kStereo, kStereo};
    struct Request {
        SpeakerArrangement* ins;
        int32 numIns;
        SpeakerArrangement* outs;
        int32 numOuts;
    } refused[] = {{&mono, 1, &mono, 1},
                   {&stereo, 1, &mono, 1},
                   {pair, 2, &stereo, 1},
                   {nullptr, 1, &stereo, 1},
                   {&stereo, 0, &stereo, 1}};
    for (const Request& r : refused) {
        EXPECT_EQ(plugin.Processor()->setBusArrangements(r.ins, r.numIns, r.outs, r.numOuts),
                  kResultFalse);
        SpeakerArrangement now = 0;
        plugin.Processor()->getBusArrangement(kOutput, 0, &now);
        EXPECT_EQ(now, kStereo);
    }

    // Points out of order, beyond the block and not finite are taken in their
    // order, clamped or dropped, and the audio stays finite.
    ParamChanges changes;
    changes.Add(kWetLeft, 400, 0.2);
    changes.Add(kWetLeft, -5, 0.9);
    changes.Add(kWetLeft, 100000, 0.4);
    changes.Add(3, 10, std::nan(""));
    changes.Add(99, 0, 0.5);
    std::vector<std::vector<float>> out;
    ASSERT_EQ(plugin.Run(TestSignal(512), out, &changes), kResultOk);
    for (const auto& channel : out) {
        EXPECT_TRUE(
            std::all_of(channel.begin(), channel.end(), [](float s) { return std::isfinite(s); }));
    }
}

// The editor's view without a window: every call a host can get wrong.
TEST(Vst3Bundle, TheViewRefusesNonsenseAndOutlivesNothing) {
    Instance plugin;
    IEditController* controller = plugin.Controller();
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->createView("something else"), nullptr);
    EXPECT_EQ(controller->createView(nullptr), nullptr);
    Owned<IPlugView> view(controller->createView("editor"));
    ASSERT_TRUE(view);
    EXPECT_EQ(view->isPlatformTypeSupported("NSView"), kResultFalse);
    EXPECT_EQ(view->attached(nullptr, kComGuidOrder ? "HWND" : "X11EmbedWindowID"),
              kInvalidArgument);
    int parent = 0;
    EXPECT_EQ(view->attached(&parent, "NSView"), kInvalidArgument);
    EXPECT_EQ(view->removed(), kResultFalse);
    EXPECT_EQ(view->canResize(), kResultFalse);
    ViewRect size{};
    ASSERT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.right - size.left, 520);
    EXPECT_EQ(size.bottom - size.top, 335);
    ViewRect odd{10, 10, 900, 20};
    EXPECT_EQ(view->onSize(nullptr), kInvalidArgument);
    EXPECT_EQ(view->onSize(&odd), kResultFalse);
    EXPECT_EQ(view->checkSizeConstraint(&odd), kResultTrue);
    EXPECT_EQ(odd.right - odd.left, 520);
    EXPECT_EQ(view->onKeyDown(0, 999, 0), kResultFalse);
    auto scale = Query<IPlugViewContentScaleSupport>(view.get());
    ASSERT_TRUE(scale);
    // Factors round to the nearest face; nonsense leaves the size as it was.
    struct Factor {
        float factor;
        tresult answer;
        int width;
    };
    for (const Factor f :
         {Factor{1.4f, kResultOk, 780}, Factor{0.0f, kInvalidArgument, 780},
          Factor{-2.0f, kInvalidArgument, 780}, Factor{std::nanf(""), kInvalidArgument, 780},
          Factor{INFINITY, kInvalidArgument, 780}, Factor{1e9f, kInvalidArgument, 780},
          Factor{2.2f, kResultOk, 1040}, Factor{0.8f, kResultOk, 520}}) {
        EXPECT_EQ(scale->setContentScaleFactor(f.factor), f.answer) << f.factor;
        ASSERT_EQ(view->getSize(&size), kResultOk);
        EXPECT_EQ(size.right - size.left, f.width) << f.factor;
    }
    // The controller goes first: the view holds it, and refuses what it no longer can.
    controller->terminate();
    EXPECT_EQ(view->getSize(&size), kResultFalse);
    EXPECT_EQ(view->attached(&parent, kComGuidOrder ? "HWND" : "X11EmbedWindowID"), kResultFalse);
}

TEST(Vst3Bundle, ProcessBeforeActivationIsRefusedWithSilence) {
    IPluginFactory* factory = Bundle::Get().Factory();
    ASSERT_NE(factory, nullptr);
    void* object = nullptr;
    factory->createInstance(kProcessorCid.Data(), IAudioProcessor::iid.Data(), &object);
    Owned<IAudioProcessor> processor(static_cast<IAudioProcessor*>(object));
    ASSERT_TRUE(processor);
    auto component = Query<IComponent>(processor.get());
    HostApplication host;
    ASSERT_EQ(component->initialize(&host), kResultOk);
    std::vector<float> left(64, 1.0f), right(64, 1.0f);
    float* channels[2] = {left.data(), right.data()};
    AudioBusBuffers bus{};
    bus.numChannels = 2;
    bus.channelBuffers32 = channels;
    ProcessData data{};
    data.numSamples = 64;
    data.numInputs = data.numOutputs = 1;
    data.inputs = &bus;
    data.outputs = &bus;
    EXPECT_EQ(processor->process(&data), kNotInitialized);
    EXPECT_EQ(*std::max_element(left.begin(), left.end()), 0.0f);
    component->terminate();
}

// The controller follows the component's state (the round trip and its refusals
// are checked for every format in tests/formats).
TEST(Vst3Bundle, TheControllerFollowsTheComponentState) {
    Instance source;
    ASSERT_TRUE(source.Component());
    ParamChanges changes;
    changes.Add(kWetLeft, 0, 0.25);
    changes.Add(kBypass, 0, 1.0);
    changes.Add(kProgram, 0, 3.0 / 6.0);
    changes.Add(kSweepSync, 0, 1.0);
    ASSERT_EQ(source.Flush(changes), kResultOk);
    changes.Clear();
    changes.Add(kWetLeft, 0, 0.25);  // an edit of the program just chosen
    source.Flush(changes);
    const std::vector<uint8_t> saved = source.State();
    ASSERT_FALSE(saved.empty());

    Instance copy;
    EXPECT_EQ(copy.Controller()->getParamNormalized(kSweepSync), 0.0);
    MemoryStream stream(saved);
    ASSERT_EQ(copy.Controller()->setComponentState(&stream), kResultOk);
    EXPECT_DOUBLE_EQ(copy.Controller()->getParamNormalized(kWetLeft), 0.25);
    EXPECT_EQ(copy.Controller()->getParamNormalized(kBypass), 1.0);
    EXPECT_DOUBLE_EQ(copy.Controller()->getParamNormalized(kProgram), 0.5);
    EXPECT_EQ(copy.Controller()->getParamNormalized(kSweepSync), 1.0);
    MemoryStream breaking(saved);
    breaking.FailAfter(static_cast<int64>(saved.size() / 2));
    const std::vector<uint8_t> fresh = copy.State();
    EXPECT_EQ(copy.Component()->setState(&breaking), kResultFalse);
    EXPECT_EQ(copy.State(), fresh);
}

// What hosts kept of the VST 2 plug-in: its chunk, bare or behind a wrapper's header.
TEST(Vst3Bundle, SettingsSavedWithTheVst2PluginOpenInTheVst3One) {
    std::string error;
    auto vst2 = HostedVst2::Load(TAV_VST2_MODULE, HostSettings{}, &error);
    ASSERT_TRUE(vst2) << error;
    vst2->Start();
    vst2->SetProgram(4);
    vst2->SetParameter(kWetLeft, 0.25f);
    vst2->SetParameter(0, 0.6f);
    const std::vector<uint8_t> bank = vst2->GetChunk(true);
    const std::vector<uint8_t> program = vst2->GetChunk(false);
    ASSERT_FALSE(bank.empty());
    auto wrapped = [](const std::vector<uint8_t>& chunk, uint8_t bypass) {
        static const uint8_t header[16] = {'V', 's', 't', 'W', 0, 0, 0, 8, 0, 0, 0, 1, 0, 0, 0, 0};
        std::vector<uint8_t> bytes(std::begin(header), std::end(header));
        bytes[15] = bypass;
        bytes.reserve(bytes.size() + chunk.size());
        for (uint8_t b : chunk) bytes.push_back(b);
        return bytes;
    };
    // A bare bank does not say which program was current (hosts keep that apart):
    // the edited program is then chosen as a host would.
    const struct {
        const char* form;
        std::vector<uint8_t> bytes;
        double bypass;
        bool choose;
    } forms[] = {{"program chunk", program, 0.0, false},
                 {"wrapped program chunk", wrapped(program, 1), 1.0, false},
                 {"bank chunk", bank, 0.0, true},
                 {"wrapped bank chunk", wrapped(bank, 1), 1.0, true}};
    for (const auto& form : forms) {
        Instance plugin;
        ASSERT_EQ(plugin.SetState(form.bytes), kResultOk) << form.form;
        ParamChanges choose;
        choose.Add(kProgram, 0, 4.0 / 6.0);
        if (form.choose) plugin.Flush(choose);
        MemoryStream state(plugin.State());
        plugin.Controller()->setComponentState(&state);
        for (ParamID id = 0; id < 13; ++id) {
            EXPECT_NEAR(plugin.Controller()->getParamNormalized(id),
                        vst2->GetParameter(static_cast<int>(id)), 1e-6)
                << form.form << ", parameter " << id;
        }
        EXPECT_EQ(plugin.Controller()->getParamNormalized(kBypass), form.bypass) << form.form;
    }
}

// Texts round-trip for every format in tests/formats; here what only VST 3 has:
// the program selector among the parameters, and one of them flagged as bypass.
TEST(Vst3Bundle, ParametersHoldTheProgramSelectorAndOneBypass) {
    Instance plugin;
    IEditController* controller = plugin.Controller();
    ASSERT_NE(controller, nullptr);
    ASSERT_EQ(controller->getParameterCount(), 17);
    int bypassCount = 0;
    bool program = false;
    for (int32 i = 0; i < controller->getParameterCount(); ++i) {
        ParameterInfo info{};
        ASSERT_EQ(controller->getParameterInfo(i, &info), kResultOk);
        if ((info.flags & ParameterInfo::kIsBypass) != 0) ++bypassCount;
        program =
            program || ((info.flags & ParameterInfo::kIsProgramChange) != 0 && info.id == kProgram);
    }
    EXPECT_EQ(bypassCount, 1);
    EXPECT_TRUE(program);
}

// Sweep Sync and Glide: two-entry lists the host may set and automate (that blocks
// and states carry them is checked for every format in tests/formats).
TEST(Vst3Bundle, SettingsAreAutomatableListsTheControllerKeepsApart) {
    const struct {
        ParamID id;
        const char* title;
        ParamValue defaultValue;
        const char* texts[2];
    } settings[] = {{1002, "Sweep Sync", 0.0, {"Free", "Song"}},
                    {1003, "Glide", 1.0, {"Off", "On"}}};
    for (const auto& s : settings) {
        SCOPED_TRACE(s.title);
        Instance plugin;
        IEditController* controller = plugin.Controller();
        ASSERT_NE(controller, nullptr);
        ParameterInfo info{};
        for (int32 i = 0; i < controller->getParameterCount() && info.id != s.id; ++i)
            ASSERT_EQ(controller->getParameterInfo(i, &info), kResultOk);
        ASSERT_EQ(info.id, s.id);
        EXPECT_EQ(Narrow(info.title), s.title);
        EXPECT_EQ(info.stepCount, 1);
        EXPECT_EQ(info.defaultNormalizedValue, s.defaultValue);
        EXPECT_EQ(info.flags, ParameterInfo::kCanAutomate | ParameterInfo::kIsList);

        for (const ParamValue value : {0.0, 0.4, 0.5, 1.0}) {
            String128 text{};
            ASSERT_EQ(controller->getParamStringByValue(s.id, value, text), kResultOk);
            EXPECT_EQ(Narrow(text), s.texts[value >= 0.5 ? 1 : 0]) << value;
            EXPECT_EQ(controller->normalizedParamToPlain(s.id, value), value >= 0.5 ? 1 : 0);
        }
        EXPECT_EQ(controller->getParamNormalized(s.id), s.defaultValue);
        const std::vector<uint8_t> state = plugin.State();
        EXPECT_EQ(controller->setParamNormalized(s.id, std::nan("")), kInvalidArgument);
        ASSERT_EQ(controller->setParamNormalized(s.id, 1.0 - s.defaultValue), kResultOk);
        EXPECT_EQ(controller->getParamNormalized(s.id), 1.0 - s.defaultValue);
        EXPECT_EQ(plugin.State(), state) << "the controller's setting is not the processor's";
    }
}

TEST(Vst3Bundle, ProgramListRecallsEachFactoryProgram) {
    Instance plugin;
    auto units = Query<IUnitInfo>(plugin.Controller());
    ASSERT_TRUE(units);
    ProgramListInfo list{};
    ASSERT_EQ(units->getProgramListInfo(0, &list), kResultOk);
    ASSERT_EQ(list.programCount, 7);
    String128 name{};
    EXPECT_EQ(units->getProgramName(list.id, 7, name), kInvalidArgument);
    for (int p = 0; p < list.programCount; ++p) {
        ASSERT_EQ(units->getProgramName(list.id, p, name), kResultOk);
        // The processor recalls it ...
        ParamChanges changes;
        changes.Add(kProgram, 0, p / 6.0);
        plugin.Flush(changes);
        // ... and a controller told the same shows the same values as one that chose it.
        Instance follower;
        MemoryStream state(plugin.State());
        follower.Controller()->setComponentState(&state);
        Instance chooser;
        chooser.Controller()->setParamNormalized(kProgram, p / 6.0);
        for (ParamID id = 0; id < 13; ++id) {
            EXPECT_EQ(follower.Controller()->getParamNormalized(id),
                      chooser.Controller()->getParamNormalized(id))
                << Narrow(name) << " parameter " << id;
        }
        // The host hears of the new values once its own call has returned.
        for (int wait = 0; wait < 500 && chooser.Handler().Calls().empty(); ++wait) {
            PumpUiThread(10);
        }
        const auto calls = chooser.Handler().Calls();
        EXPECT_EQ(calls, std::vector<std::string>{"restart 4"}) << Narrow(name);
    }
}

// A host that holds a lock while it selects a program and takes the same lock in
// its restartComponent handler (Ardour 7 does) hangs for good if the notice comes
// from inside the selection: it must come after the host's call has returned.
TEST(Vst3Bundle, ProgramChangeNoticeWaitsUntilTheHostsCallReturns) {
    struct LockingHost final : HostObject<IComponentHandler> {
        tresult beginEdit(ParamID) override { return kResultOk; }
        tresult performEdit(ParamID, ParamValue) override { return kResultOk; }
        tresult endEdit(ParamID) override { return kResultOk; }
        tresult restartComponent(int32) override {
            if (std::this_thread::get_id() == selector && inSelection) {
                reentered = true;  // the host's own lock, taken again: it would hang here
                return kResultOk;
            }
            std::lock_guard<std::mutex> lock(selecting);
            ++notices;
            return kResultOk;
        }
        std::mutex selecting;
        std::thread::id selector = std::this_thread::get_id();
        std::atomic<bool> inSelection{false};
        std::atomic<bool> reentered{false};
        std::atomic<int> notices{0};
    } host;
    Instance plugin;
    plugin.Controller()->setComponentHandler(&host);
    for (int p : {2, 5}) {
        std::lock_guard<std::mutex> lock(host.selecting);
        host.inSelection = true;
        plugin.Controller()->setParamNormalized(kProgram, p / 6.0);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the host still busy
        host.inSelection = false;
    }
    for (int wait = 0; wait < 500 && host.notices < 1; ++wait) {
        PumpUiThread(10);
    }
    EXPECT_GE(host.notices, 1);
    EXPECT_FALSE(host.reentered);
    plugin.Controller()->setComponentHandler(nullptr);
}

// The tail is the engine's estimate for the program's feedback and gate, as
// CLAP hosts get it, not one length for every setting.
TEST(Vst3Bundle, TailFollowsTheProgram) {
    Instance plugin;
    ASSERT_TRUE(plugin.Component());
    uint32 tails[2] = {};
    for (int program : {0, 1}) {
        ParamChanges changes;
        changes.Add(kProgram, 0, program / 6.0);
        plugin.Flush(changes);
        tails[program] = plugin.Processor()->getTailSamples();
    }
    EXPECT_NE(tails[0], tails[1]);
    // "Psy Asymetric": its feedback rings on for about 1.1 s at 44.1 kHz.
    EXPECT_NEAR(tails[1] / 44100.0, 1.1, 0.05);
}

TEST(Vst3Bundle, BypassFadesWithoutClicksAndPassesDryWhenOn) {
    const int frames = 8192;
    const auto input = TestSignal(frames);
    auto largestStep = [](const std::vector<float>& s, int from, int to) {
        float step = 0.0f;
        for (int f = std::max(from, 1); f < to; ++f)
            step = std::max(step, std::fabs(s[f] - s[f - 1]));
        return step;
    };
    Instance processed;
    std::vector<std::vector<float>> wet;
    processed.Run(input, wet);

    Instance switching;
    std::vector<std::vector<float>> out;
    ParamChanges changes;
    changes.Add(kBypass, 1000, 1.0);
    switching.Run(input, out, &changes);
    for (int c = 0; c < 2; ++c) {
        const float allowed =
            std::max(largestStep(input[c], 0, frames), largestStep(wet[c], 0, frames));
        EXPECT_LE(largestStep(out[c], 900, 2000), allowed) << "channel " << c;
        // Once the fade is over, the output is the input exactly.
        EXPECT_TRUE(std::equal(out[c].begin() + 2000, out[c].end(), input[c].begin() + 2000));
    }
    // Bypassed before the first block: dry from the first sample, nothing to fade.
    Instance bypassed;
    ParamChanges before;
    before.Add(kBypass, 0, 1.0);
    bypassed.Flush(before);
    bypassed.Run(input, out);
    EXPECT_EQ(out[0], input[0]);
}

TEST(Vst3Bundle, StateLoadsAndProgramsChangeWhileAudioRuns) {
    Instance plugin;
    ASSERT_TRUE(plugin.Component());
    const std::vector<uint8_t> saved = plugin.State();
    std::atomic<bool> done{false};
    std::atomic<bool> finite{true};
    std::thread audio([&] {
        const auto input = TestSignal(Instance::kMaxBlock);
        std::vector<std::vector<float>> out;
        while (!done) {
            plugin.Run(input, out);
            for (const auto& channel : out) {
                for (float s : channel) finite = finite && std::isfinite(s);
            }
        }
    });
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(plugin.SetState(saved), kResultOk);
        plugin.Controller()->setParamNormalized(kProgram, (i % 7) / 6.0);
        EXPECT_FALSE(plugin.State().empty());
    }
    done = true;
    audio.join();
    EXPECT_TRUE(finite);
}

}  // namespace
}  // namespace tav::vst3test
