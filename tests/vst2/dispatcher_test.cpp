// The dispatcher's opcodes as a host uses them, including bad input.
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "tests/vst2/adapter_fixture.h"
#include "vst2/host_identify.h"

namespace tav {
namespace {

constexpr unsigned char kGuard = 0xA5;

TEST_F(AdapterTest, OpenIdentifiesTheHostOnce) {
    host.product = "REAPER";
    host.vendorVersion = 40012;
    Dispatch(effOpen);
    EXPECT_EQ(fx->HostId(), 1);
    EXPECT_EQ(fx->HostVersion(), 0x4000C);
    EXPECT_EQ(host.Count(audioMasterGetProductString), 1);
    EXPECT_EQ(host.Count(audioMasterGetVendorVersion), 1);
    for (int p = 0; p < TestEffect::kParamCount; ++p) EXPECT_EQ(fx->paramChanges[p], 1);

    // Some hosts open twice: nothing is asked again.
    host.calls.clear();
    Dispatch(effOpen);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(AdapterTest, HostWithoutProductStringIsUnidentifiedWithoutVersion) {
    host.product = "";
    Dispatch(effOpen);
    EXPECT_EQ(fx->HostId(), 0);
    EXPECT_EQ(fx->HostVersion(), 0);
    EXPECT_EQ(host.Count(audioMasterGetVendorVersion), 0);
}

TEST(IdentifyHost, FirstKnownNameInTableOrderWins) {
    EXPECT_EQ(IdentifyHost("REAPER"), 1);
    EXPECT_EQ(IdentifyHost("reaper64"), 1);
    EXPECT_EQ(IdentifyHost("Steinberg CUBASE with Reaper inside"), 3);
    EXPECT_EQ(IdentifyHost("Ableton Live"), 9);
    EXPECT_EQ(IdentifyHost("Deliverance"), 9);  // any text containing "live"
    EXPECT_EQ(IdentifyHost("Ardour"), 27);
    EXPECT_EQ(IdentifyHost("Something Else"), 0);
    EXPECT_EQ(IdentifyHost(""), 0);
    EXPECT_EQ(IdentifyHost(nullptr), 0);
    EXPECT_EQ(PackHostVersion(40012), 0x4000C);
    EXPECT_EQ(PackHostVersion(-5), 0);
}

// Every text answer, written into a buffer full of guard bytes: the text must end
// inside the opcode's length and nothing after it may change.
TEST_F(AdapterTest, TextAnswersStayInsideTheirLengths) {
    struct Case {
        VstInt32 opcode;
        VstInt32 index;
        size_t limit;
        const char* expected;
    } cases[] = {
        {effGetProgramName, 0, 24, "Init"},
        {effGetProgramNameIndexed, 2, 24, "A Program Name Longer T"},
        {effGetParamLabel, TestEffect::kFreq, 8, "Hertz!!"},
        {effGetParamDisplay, TestEffect::kFreq, 8, "1000"},
        {effGetParamDisplay, TestEffect::kMirror, 8, "Off"},
        {effGetParamName, TestEffect::kRate, 32, "Right Sweep Rate"},
        {effGetEffectName, 0, 32, "Adapter Test Effect With A Long"},
        {effGetVendorString, 0, 64, "Tavrellion Tests"},
        {effGetProductString, 0, 64, ""},
    };
    for (const Case& c : cases) {
        unsigned char buffer[256];
        std::memset(buffer, kGuard, sizeof buffer);
        Dispatch(c.opcode, c.index, -1, buffer);
        const size_t length = strnlen(reinterpret_cast<char*>(buffer), sizeof buffer);
        EXPECT_LT(length, c.limit) << "opcode " << c.opcode;
        EXPECT_STREQ(reinterpret_cast<char*>(buffer), c.expected) << "opcode " << c.opcode;
        for (size_t i = c.limit; i < sizeof buffer; ++i) {
            ASSERT_EQ(buffer[i], kGuard) << "opcode " << c.opcode << " wrote byte " << i;
        }
    }

    // Pin labels and key names live inside records.
    VstPinProperties pin;
    std::memset(&pin, kGuard, sizeof pin);
    ASSERT_EQ(Dispatch(effGetOutputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Output 2");
    EXPECT_EQ(pin.flags, kVstPinIsActive);
    EXPECT_EQ(static_cast<unsigned char>(pin.shortLabel[0]), kGuard);  // left as given

    MidiKeyName key;
    std::memset(&key, kGuard, sizeof key);
    key.thisKeyNumber = 60;
    ASSERT_EQ(Dispatch(effGetMidiKeyName, 0, 0, &key), 1);
    EXPECT_EQ(std::strlen(key.keyName), 63u);
    EXPECT_EQ(static_cast<unsigned char>(key.reserved & 0xFF), kGuard);
    key.thisKeyNumber = 61;
    EXPECT_EQ(Dispatch(effGetMidiKeyName, 0, 0, &key), 0);
    EXPECT_STREQ(key.keyName, "");
}

TEST_F(AdapterTest, NullPointerGetsZeroAndNoWrite) {
    const VstInt32 opcodes[] = {
        effGetProgramName,     effGetParamLabel,        effGetParamDisplay,
        effGetParamName,       effEditGetRect,          effGetChunk,
        effSetChunk,           effProcessEvents,        effGetProgramNameIndexed,
        effGetInputProperties, effGetOutputProperties,  effGetEffectName,
        effGetVendorString,    effGetProductString,     effCanDo,
        effGetMidiKeyName,     effGetSpeakerArrangement};
    for (VstInt32 opcode : opcodes) EXPECT_EQ(Dispatch(opcode, 0, 0, nullptr), 0) << opcode;
    EXPECT_EQ(Dispatch(effVendorSpecific, effGetParamDisplay, 0, nullptr, 0.5f), 0);
    EXPECT_EQ(Dispatch(effVendorSpecific, effString2Parameter, 0, nullptr), 0);
    EXPECT_EQ(Dispatch(effString2Parameter, 0, 0, nullptr), 1);  // "can you parse?": yes
}

TEST_F(AdapterTest, MidiProgramOpcodesAnswerZeroAndChangeNothing) {
    const VstInt32 opcodes[] = {62, 63, 64, 65, 67, 68};
    for (VstInt32 opcode : opcodes) {
        for (VstIntPtr value : {0, 1}) EXPECT_EQ(Dispatch(opcode, 0, value), 0);
    }
    EXPECT_EQ(fx->activations + fx->deactivations + fx->resets, 0);
    // The opcodes with nothing to do, and those past the table, answer 0 too.
    for (VstInt32 opcode : {9,  16, 17, 18, 20, 21, 28, 30, 31, 32, 36, 37, 38, 39,   40,
                            41, 43, 46, 52, 54, 55, 56, 57, 59, 60, 61, 70, 79, 1000, -1}) {
        EXPECT_EQ(Dispatch(opcode, 0, 0, nullptr), 0) << opcode;
    }
}

TEST_F(AdapterTest, FixedAnswers) {
    EXPECT_EQ(Dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(Dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(Dispatch(effGetPlugCategory), kPlugCategEffect);
    EXPECT_EQ(Dispatch(effGetVendorVersion), 10203);
    EXPECT_EQ(Dispatch(effCanBeAutomated, 3), 1);
    EXPECT_EQ(Dispatch(effCanBeAutomated, 4), 0);
    EXPECT_EQ(Dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstTimeInfo")), 1);
    EXPECT_EQ(Dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstEvents")), 0);
    EXPECT_EQ(Dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstTimeInfoX")), 0);
    EXPECT_EQ(fx->HostExtensionFlags(), 0);
    EXPECT_EQ(Dispatch(effCanDo, 0, 0, const_cast<char*>("hasHostExtensions")), 0xBEEF0000);
    EXPECT_EQ(Dispatch(effCanDo, 0, 0, const_cast<char*>("hasHostViewAsConfig")), 0xBEEF0000);
    EXPECT_EQ(fx->HostExtensionFlags(), 3);
}

TEST_F(AdapterTest, BadSampleRatesAndBlockSizesAreRefused) {
    Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    Dispatch(effSetBlockSize, 0, 256);
    const int resets = fx->resets;
    for (float rate : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                       std::numeric_limits<float>::infinity()}) {
        Dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    }
    for (VstIntPtr frames : {VstIntPtr{0}, VstIntPtr{-1}, VstIntPtr{1} << 40}) {
        Dispatch(effSetBlockSize, 0, frames);
    }
    EXPECT_EQ(fx->SampleRate(), 48000.0);
    EXPECT_EQ(fx->BlockFrames(), 256);
    EXPECT_EQ(fx->resets, resets);
}

TEST_F(AdapterTest, MainsAndBypassReachActivation) {
    Dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(fx->activations, 1);
    Dispatch(effMainsChanged, 0, 0);
    EXPECT_EQ(fx->deactivations, 1);
    EXPECT_EQ(fx->resets, 1);
    Dispatch(effSetBypass, 0, 1);
    EXPECT_EQ(fx->deactivations, 2);
    Dispatch(effSetBypass, 0, 0);
    EXPECT_EQ(fx->activations, 2);
}

TEST_F(AdapterTest, ProgramSwitchKeepsTheOutgoingProgramsEdits) {
    effect->setParameter(effect, TestEffect::kGain, 0.75f);
    const double edited = fx->Param(TestEffect::kGain)->value;
    Dispatch(effSetProgram, 0, 1);
    EXPECT_EQ(Dispatch(effGetProgram), 1);
    EXPECT_EQ(fx->Param(TestEffect::kGain)->value, 0.5);
    Dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(fx->Param(TestEffect::kGain)->value, edited);

    Dispatch(effSetProgram, 0, 99);
    Dispatch(effSetProgram, 0, VstIntPtr{1} << 33);
    EXPECT_EQ(Dispatch(effGetProgram), 0);

    char name[] = "Renamed";
    Dispatch(effSetProgramName, 0, 0, name);
    char text[64] = {};
    Dispatch(effGetProgramName, 0, 0, text);
    EXPECT_STREQ(text, "Renamed");
    EXPECT_EQ(Dispatch(effGetProgramNameIndexed, 9, -1, text), 0);
    EXPECT_STREQ(text, "");
}

TEST_F(AdapterTest, TypedValuesAreClampedAndNonFiniteOnesRefused) {
    PluginParam* freq = fx->Param(TestEffect::kFreq);
    char above[] = "25000";
    EXPECT_EQ(Dispatch(effString2Parameter, TestEffect::kFreq, 0, above), 1);
    EXPECT_EQ(freq->value, 20000.0);
    EXPECT_EQ(fx->paramChanges[TestEffect::kFreq], 1);
    EXPECT_EQ(host.Count(audioMasterAutomate), 0);

    char huge[] = "1e999";
    EXPECT_EQ(Dispatch(effString2Parameter, TestEffect::kFreq, 0, huge), 0);
    EXPECT_EQ(freq->value, 20000.0);
    EXPECT_EQ(fx->paramChanges[TestEffect::kFreq], 1);

    char label[] = "On";
    EXPECT_EQ(Dispatch(effString2Parameter, TestEffect::kMirror, 0, label), 1);
    EXPECT_EQ(fx->Param(TestEffect::kMirror)->value, 1.0);
    EXPECT_EQ(Dispatch(effString2Parameter, 4, 0, label), 0);
}

TEST_F(AdapterTest, VendorExtensionsForDisplayParseAndSwitches) {
    EXPECT_EQ(Dispatch(effVendorSpecific, effGetParamName, TestEffect::kMirror), 0xBEEF);
    EXPECT_EQ(Dispatch(effVendorSpecific, effGetParamName, TestEffect::kRate), 0);
    EXPECT_EQ(Dispatch(effVendorSpecific, effGetParamName, 17), 0);

    char display[64];
    std::memset(display, kGuard, sizeof display);
    EXPECT_EQ(Dispatch(effVendorSpecific, effGetParamDisplay, TestEffect::kMirror, display, 1.0f),
              0xBEEF);
    EXPECT_STREQ(display, "On");
    EXPECT_EQ(static_cast<unsigned char>(display[8]), kGuard);
    EXPECT_EQ(fx->Param(TestEffect::kMirror)->value, 0.0);  // only a preview

    char typed[64] = "1";
    EXPECT_EQ(Dispatch(effVendorSpecific, effString2Parameter, TestEffect::kGain, typed), 0xBEEF);
    EXPECT_STREQ(typed, "0.50000000000000000");
    EXPECT_EQ(fx->Param(TestEffect::kGain)->value, 1.0);
    EXPECT_EQ(Dispatch(effVendorSpecific, effString2Parameter, 99, typed), 0);
    EXPECT_EQ(Dispatch(effVendorSpecific, 12345, 0, typed), 0);
}

TEST_F(AdapterTest, PinPropertiesDescribeStereoPairs) {
    VstPinProperties pin = {};
    ASSERT_EQ(Dispatch(effGetInputProperties, 0, 0, &pin), 1);
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    EXPECT_STREQ(pin.label, "Input 1");
    ASSERT_EQ(Dispatch(effGetInputProperties, 1, 0, &pin), 1);
    EXPECT_EQ(pin.flags, kVstPinIsActive);
    EXPECT_STREQ(pin.label, "Input 2");
    EXPECT_EQ(Dispatch(effGetInputProperties, 2, 0, &pin), 0);
    EXPECT_EQ(Dispatch(effGetInputProperties, -1, 0, &pin), 0);
}

TEST_F(AdapterTest, SpeakerArrangementConnectsOnlyTheChannelsGiven) {
    VstSpeakerArrangement mono = {};
    mono.numChannels = 1;
    VstSpeakerArrangement stereo = {};
    stereo.numChannels = 2;
    EXPECT_EQ(Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &stereo),
              1);
    EXPECT_TRUE(fx->Input(0)->connected);
    EXPECT_FALSE(fx->Input(1)->connected);
    EXPECT_TRUE(fx->Output(1)->connected);
    VstSpeakerArrangement silly = {};
    silly.numChannels = 1000;
    Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&silly), nullptr);
    EXPECT_TRUE(fx->Input(1)->connected);
    // The reported arrangements stay as they were.
    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out);
    EXPECT_EQ(in->numChannels, 2);
}

TEST_F(AdapterTest, ParameterBurstIsReportedOnceWithItsHighestIndex) {
    effect->setParameter(effect, 1, 0.5f);
    effect->setParameter(effect, 3, 0.5f);
    effect->setParameter(effect, 2, 0.5f);
    Dispatch(effEditIdle);  // idle calls do not count
    Dispatch(effIdle);
    EXPECT_EQ(fx->bursts, 0);
    Dispatch(effGetProgram);
    EXPECT_EQ(fx->bursts, 1);
    EXPECT_EQ(fx->burstIndex, 3);
    effect->setParameter(effect, 0, 0.5f);
    effect->setParameter(effect, 1, 0.5f);
    Dispatch(effGetProgram);
    EXPECT_EQ(fx->bursts, 1);
}

TEST_F(AdapterTest, SingleSetsBetweenCallsAreNoBurst) {
    for (int i = 0; i < 4; ++i) {
        effect->setParameter(effect, i, 0.5f);
        Dispatch(effGetProgram);
    }
    EXPECT_EQ(fx->bursts, 0);
}

std::vector<uint8_t> GetChunk(AEffect* effect, int index) {
    void* data = nullptr;
    VstIntPtr size = effect->dispatcher(effect, effGetChunk, index, 0, &data, 0.0f);
    if (size <= 0 || data == nullptr) return {};
    return std::vector<uint8_t>(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

TEST_F(AdapterTest, ChunksRoundTripAndBadChunksChangeNothing) {
    effect->setParameter(effect, TestEffect::kFreq, 0.3f);
    std::vector<uint8_t> program = GetChunk(effect, 1);
    ASSERT_EQ(program.size(), 8u + 4 * 8);
    EXPECT_EQ(std::memcmp(program.data(), "\x74\x66\x66\x70\x00\x00\x01\x00", 8), 0);
    const double freq = fx->Param(TestEffect::kFreq)->value;

    effect->setParameter(effect, TestEffect::kFreq, 0.9f);
    ASSERT_EQ(Dispatch(effSetChunk, 1, static_cast<VstIntPtr>(program.size()), program.data()), 1);
    EXPECT_EQ(fx->Param(TestEffect::kFreq)->value, freq);
    EXPECT_EQ(GetChunk(effect, 1), program);

    // A host may hand back the very pointer it was given.
    void* own = nullptr;
    VstIntPtr size = Dispatch(effGetChunk, 1, 0, &own);
    EXPECT_EQ(Dispatch(effSetChunk, 1, size, own), 1);
    EXPECT_EQ(Dispatch(effSetChunk, 1, size + 1000, own), 0);
    EXPECT_EQ(GetChunk(effect, 1), program);

    std::vector<uint8_t> truncated(program.begin(), program.end() - 3);
    EXPECT_EQ(Dispatch(effSetChunk, 1, static_cast<VstIntPtr>(truncated.size()), truncated.data()),
              0);
    EXPECT_EQ(Dispatch(effSetChunk, 1, -1, program.data()), 0);
    EXPECT_EQ(fx->Param(TestEffect::kFreq)->value, freq);

    std::vector<uint8_t> bank = GetChunk(effect, 0);
    ASSERT_GT(bank.size(), program.size());
    Dispatch(effSetProgram, 0, 2);
    ASSERT_EQ(Dispatch(effSetChunk, 0, static_cast<VstIntPtr>(bank.size()), bank.data()), 1);
    EXPECT_EQ(GetChunk(effect, 0), bank);
}

TEST_F(AdapterTest, EventsReachTheMidiHooks) {
    VstMidiEvent note = {};
    note.type = kVstMidiType;
    note.byteSize = sizeof note;
    note.deltaFrames = 5;
    note.midiData[0] = static_cast<char>(0x90);
    note.midiData[1] = 64;
    VstMidiSysexEvent sysex = {};
    sysex.type = kVstSysExType;
    sysex.byteSize = sizeof sysex;
    VstMidiSysexEvent olderSysex = sysex;  // its size leaves out type and byteSize
    olderSysex.byteSize = sizeof sysex - 8;
    // Only 32 bytes, though its type says SysEx: the dump pointer lies past its end.
    auto shortSysex = std::make_unique<VstEvent>();
    shortSysex->type = kVstSysExType;
    shortSysex->byteSize = sizeof(VstEvent);
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[5];
    } list = {5,
              0,
              {reinterpret_cast<VstEvent*>(&note), nullptr, reinterpret_cast<VstEvent*>(&sysex),
               reinterpret_cast<VstEvent*>(&olderSysex), shortSysex.get()}};
    EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, &list), 1);
    EXPECT_EQ(fx->midiIn, 1);
    EXPECT_EQ(fx->sysexIn, 2);
    EXPECT_EQ(fx->lastMidi.status, 0x90);
    EXPECT_EQ(fx->lastMidi.data1, 64);
    EXPECT_EQ(fx->lastMidi.offset, 5);
}

}  // namespace
}  // namespace tav
