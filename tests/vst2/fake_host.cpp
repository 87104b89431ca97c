#include "tests/vst2/fake_host.h"

#include <cstring>

namespace tav {
namespace {

FakeHost* current = nullptr;  // one fake host at a time per test

}  // namespace

FakeHost::FakeHost() {
    time.sampleRate = 44100.0;
    time.tempo = 120.0;
    time.timeSigNumerator = 3;
    time.timeSigDenominator = 4;
    time.samplePos = 1234.4;
    time.flags = kVstTempoValid | kVstTimeSigValid;
    current = this;
}

FakeHost::~FakeHost() {
    current = nullptr;
}

int FakeHost::Count(VstInt32 opcode) const {
    int n = 0;
    for (const Call& call : calls) n += call.opcode == opcode;
    return n;
}

VstIntPtr FakeHost::Callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                             float opt) {
    FakeHost* host = current;
    if (host == nullptr) return 0;
    host->calls.push_back({opcode, index, value, opt});
    switch (opcode) {
        case audioMasterGetProductString:
            std::strncpy(static_cast<char*>(ptr), host->product.c_str(), 63);
            return 1;
        case audioMasterGetVendorVersion:
            return host->vendorVersion;
        case audioMasterGetTime:
            return host->giveTime ? reinterpret_cast<VstIntPtr>(&host->time) : 0;
        case audioMasterProcessEvents: {
            const auto* events = static_cast<const VstEvents*>(ptr);
            const VstEvent* event = events->events[0];
            if (event->type == kVstMidiType) {
                host->midiOut.push_back(*reinterpret_cast<const VstMidiEvent*>(event));
            } else {
                host->sysexOut.push_back(*reinterpret_cast<const VstMidiSysexEvent*>(event));
            }
            return host->processEventsAnswer;
        }
        default:
            return 0;
    }
}

}  // namespace tav
