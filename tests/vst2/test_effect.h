// A small effect over the VST adapter, for testing the adapter and the module
// entry without the phaser: out = in x Gain, with every hook call recorded.
#pragma once

#include <atomic>

#include "vst2/ivst_effect.h"

namespace tav {

class TestEffect : public IVstEffect {
  public:
    enum Params { kGain, kRate, kMirror, kFreq, kParamCount };
    static constexpr int kPresets = 4;

    explicit TestEffect(audioMasterCallback host, const char* channelIo = "1-1 2-2",
                        int presets = kPresets);

    void ProcessBlock(double** inputs, double** outputs, int frames) override;
    void ParamChanged(int index) override;
    void OnParamBurst(int highestIndex) override;
    void ActivationChanged(bool active) override;
    void ResetProcessing() override;
    bool KeyNameFor(int key, char* text, int textSize) override;
    void MidiMessageIn(const MidiMessage& msg) override;
    void SysExIn(const SysExMessage& msg) override;

    // What the hooks saw. Written under the instance lock.
    double* seenInputs[2] = {};
    double* seenOutputs[2] = {};
    int seenFrames = -1;
    int blocks = 0;
    uint64_t seenFpControl = 0;
    int paramChanges[kParamCount] = {};
    int bursts = 0;
    int burstIndex = -1;
    int activations = 0;
    int deactivations = 0;
    int resets = 0;
    int midiIn = 0;
    int sysexIn = 0;
    MidiMessage lastMidi;
};

}  // namespace tav
