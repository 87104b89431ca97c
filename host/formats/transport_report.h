// The host transport as each format reports it to a plug-in: the VST 2 time
// info, the VST 3 process context and the CLAP transport event.
#pragma once

#include "clap/clap_abi.h"
#include "host/host_transport.h"
#include "vst2/vst2_abi.h"
#include "vst3/vst3_abi.h"

namespace tav {

VstTimeInfo Vst2TimeInfo(const TransportState& t);
vst3::ProcessContext Vst3Context(const TransportState& t);
clap::clap_event_transport ClapTransport(const TransportState& t);

}  // namespace tav
