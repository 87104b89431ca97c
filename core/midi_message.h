#pragma once

#include <cstdint>

namespace tav {

struct MidiMessage {
    int32_t offset = 0;  // frame within the block
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
};

struct SysExMessage {
    int32_t offset = 0;
    int32_t size = 0;
    const uint8_t* bytes = nullptr;
};

}  // namespace tav
