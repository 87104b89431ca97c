#include "tests/vst2/test_effect.h"

#include "core/fp_control.h"
#include "core/number_text.h"
#include "vst2/module_entry.h"

namespace tav {
namespace {

EffectIdentity Identity(const char* channelIo, int presets) {
    EffectIdentity id;
    id.paramCount = TestEffect::kParamCount;
    id.channelIo = channelIo;
    id.presetCount = presets;
    id.effectName = "Adapter Test Effect With A Long Name";
    id.productName = "";
    id.vendorName = "Tavrellion Tests";
    id.version = 0x10203;
    id.uniqueId = 0x54657374;  // 'Test'
    id.doesChunks = true;
    return id;
}

}  // namespace

TestEffect::TestEffect(audioMasterCallback host, const char* channelIo, int presets)
    : IVstEffect(host, Identity(channelIo, presets)) {
    Param(kGain)->DefineContinuous("Gain", 1.0, 0.0, 2.0, 0.01, "x");
    Param(kRate)->DefineInteger("Right Sweep Rate", 3, 0, 30, "");
    Param(kMirror)->DefineChoice("Mirror", 0, 2, "");
    Param(kMirror)->AddValueLabel(0, "Off");
    Param(kMirror)->AddValueLabel(1, "On");
    Param(kFreq)->DefineContinuous("Frequency", 1000.0, 40.0, 20000.0, 1.0, "Hertz!!!!");
    FillPresetsFromCurrent("Init", 1);
    AddPreset("Half", {0.5, 7, 1, 500.0});
    AddPreset("A Program Name Longer Than Twenty-Four Bytes", {2.0, 30, 0, 20000.0});
}

void TestEffect::ProcessBlock(double** inputs, double** outputs, int frames) {
    ++blocks;
    seenFrames = frames;
    seenFpControl = ReadFpControl();
    for (int c = 0; c < 2; ++c) {
        seenInputs[c] = inputs != nullptr && c < InputCount() ? inputs[c] : nullptr;
        seenOutputs[c] = outputs != nullptr && c < OutputCount() ? outputs[c] : nullptr;
    }
    const double gain = Param(kGain)->value;
    for (int c = 0; c < OutputCount() && outputs != nullptr; ++c) {
        const double* in = inputs != nullptr && c < InputCount() ? inputs[c] : nullptr;
        double* out = outputs[c];
        if (out == nullptr) continue;
        // Channel by channel, mixing in the other input: wrong unless every input
        // can still be read while outputs are written.
        const double* other = inputs != nullptr && InputCount() > 1 ? inputs[1 - c % 2] : nullptr;
        for (int i = 0; i < frames; ++i) {
            out[i] =
                (in != nullptr ? in[i] * gain : 0.0) + (other != nullptr ? other[i] * 0.125 : 0.0);
        }
    }
}

void TestEffect::ParamChanged(int index) {
    if (index >= 0 && index < kParamCount) ++paramChanges[index];
}

void TestEffect::OnParamBurst(int highestIndex) {
    ++bursts;
    burstIndex = highestIndex;
}

void TestEffect::ActivationChanged(bool active) {
    ++(active ? activations : deactivations);
}

void TestEffect::ResetProcessing() {
    ++resets;
}

bool TestEffect::KeyNameFor(int key, char* text, int textSize) {
    if (key != 60) return IEffectCore::KeyNameFor(key, text, textSize);
    CopyText(text, static_cast<size_t>(textSize),
             "Middle C, and a key name far longer than the sixty-four bytes a host gives");
    return true;
}

void TestEffect::MidiMessageIn(const MidiMessage& msg) {
    ++midiIn;
    lastMidi = msg;
}

void TestEffect::SysExIn(const SysExMessage&) {
    ++sysexIn;
}

// The test module's instances.
IVstEffect* CreateEffectInstance(audioMasterCallback hostCallback) {
    return new TestEffect(hostCallback);
}

}  // namespace tav
