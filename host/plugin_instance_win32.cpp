// LV2 is hosted on Linux only: on Windows no path is an LV2 plug-in.
#include "host/plugin_instance.h"

namespace tav {

bool IsLv2Plugin(const std::string&) {
    return false;
}

std::unique_ptr<PluginInstance> OpenLv2Plugin(const std::string& path, const HostSettings&,
                                              std::string* error) {
    *error = path + ": LV2 plug-ins are hosted on Linux only";
    return nullptr;
}

}  // namespace tav
