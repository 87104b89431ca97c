#include "tools/plugin_library.h"

namespace tav {

VstEntryProc PluginLibrary::FindEntry() const {
    // Hosts look for VSTPluginMain first; modules from before VST 2.4 export only main.
    for (const char* name : {"VSTPluginMain", "main"}) {
        if (void* symbol = Symbol(name)) return reinterpret_cast<VstEntryProc>(symbol);
    }
    return nullptr;
}

}  // namespace tav
