// The DSP binary's one export: hosts find the plug-in through it.
#include <lv2/core/lv2.h>

#include "lv2/lv2_plugin.h"

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? tav::lv2::PluginDescriptor() : nullptr;
}
