// A host callback for driving an instance directly: scripted answers, and a
// record of every call the plug-in made.
#pragma once

#include <string>
#include <vector>

#include "vst2/vst2_abi.h"

namespace tav {

struct FakeHost {
    std::string product = "Fake Host";
    VstIntPtr vendorVersion = 10000;
    bool giveTime = true;
    VstTimeInfo time = {};
    VstIntPtr processEventsAnswer = 1;

    struct Call {
        VstInt32 opcode;
        VstInt32 index;
        VstIntPtr value;
        float opt;
    };
    std::vector<Call> calls;
    std::vector<VstMidiEvent> midiOut;
    std::vector<VstMidiSysexEvent> sysexOut;

    FakeHost();
    ~FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    int Count(VstInt32 opcode) const;
    static VstIntPtr Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt);
};

}  // namespace tav
