// Whole-state reads and writes through a host's IBStream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vst3/vst3_abi.h"

namespace tav::vst3 {

// Reads from the current position to the end (a read of 0 bytes); false when the
// stream fails or holds more than a state may (kMaxStateBytes).
bool ReadToEnd(IBStream* stream, std::vector<uint8_t>& out);
// Writes every byte; false when the stream takes fewer.
bool WriteAll(IBStream* stream, const std::vector<uint8_t>& bytes);

}  // namespace tav::vst3
