#include "clap/extensions.h"

#include <cstring>

#include "clap/factory_programs.h"
#include "clap/gui.h"

namespace tav::clap {

const void* FindExtension(const char* id) {
    if (id == nullptr) return nullptr;
    struct Entry {
        const char* id;
        const void* extension;
    };
    static const Entry kTable[] = {
        {CLAP_EXT_AUDIO_PORTS, &kAudioPortsExtension},
        {CLAP_EXT_PARAMS, &kParamsExtension},
        {CLAP_EXT_STATE, &kStateExtension},
        {CLAP_EXT_LATENCY, &kLatencyExtension},
        {CLAP_EXT_TAIL, &kTailExtension},
        {CLAP_EXT_RENDER, &kRenderExtension},
        {CLAP_EXT_GUI, &kGuiExtension},
        {CLAP_EXT_TIMER_SUPPORT, &kTimerExtension},
        {CLAP_EXT_POSIX_FD_SUPPORT, &kPosixFdExtension},
        {CLAP_EXT_PRESET_LOAD, &kPresetLoadExtension},
        {CLAP_EXT_PRESET_LOAD_COMPAT, &kPresetLoadExtension},
        {CLAP_EXT_REMOTE_CONTROLS, &kRemoteControlsExtension},
        {CLAP_EXT_REMOTE_CONTROLS_COMPAT, &kRemoteControlsExtension},
        {CLAP_EXT_PARAM_INDICATION, &kParamIndicationExtension},
        {CLAP_EXT_PARAM_INDICATION_COMPAT, &kParamIndicationExtension},
        {CLAP_EXT_CONTEXT_MENU, &kContextMenuExtension},
        {CLAP_EXT_CONTEXT_MENU_COMPAT, &kContextMenuExtension},
    };
    for (const Entry& entry : kTable) {
        if (std::strcmp(entry.id, id) == 0) return entry.extension;
    }
    return nullptr;
}

}  // namespace tav::clap
