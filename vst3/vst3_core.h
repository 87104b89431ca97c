// The host side of the plug-in core for VST 3: time and tempo come from the
// process context the processor hands in; gestures and notices go to the edit
// controller, the EditSink it attaches. Each of the two VST 3 classes owns one
// core of its own.
#pragma once

#include "core/transport_core.h"
#include "vst3/vst3_abi.h"

namespace tav::vst3 {

class Vst3Core : public TransportCore {
  public:
    explicit Vst3Core(const EffectIdentity& identity) : TransportCore(identity) {}

    // The transport of the block about to run; none (or invalid fields) means no
    // tempo, as a VST 2 host without time info.
    void SetTransport(const ProcessContext* context);
    using TransportCore::SetTransport;
};

}  // namespace tav::vst3
