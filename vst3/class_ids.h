// The class ids hosts store in projects: fixed at release, never to change.
#pragma once

#include "vst3/vst3_abi.h"

namespace tav::vst3 {

inline constexpr Uid kProcessorCid{0x54617672, 0x656C6C69, 0x6F6E5072, 0x6F633031};
inline constexpr Uid kControllerCid{0x54617672, 0x656C6C69, 0x6F6E4374, 0x726C3031};

// What the text form of those ids reads (l1..l4 as %08X), for moduleinfo.json and tests.
inline constexpr const char* kProcessorCidText = "54617672656C6C696F6E50726F633031";
inline constexpr const char* kControllerCidText = "54617672656C6C696F6E4374726C3031";

}  // namespace tav::vst3
