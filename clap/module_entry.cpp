// The module's one export, clap_entry, and the plug-in factory behind it.
#include <cstring>
#include <new>

#include "clap/clap_plugin.h"
#include "clap/factory_programs.h"
#include "core/module_handle.h"

namespace tav::clap {
namespace {

constexpr const char* kFeatures[] = {"audio-effect", "phaser", "stereo", nullptr};

constexpr clap_plugin_descriptor kDescriptor = {CLAP_VERSION,
                                                kPluginId,
                                                "Tavrellion",
                                                "Qorva",
                                                "",
                                                "",
                                                "",
                                                TAV_VERSION_STRING,
                                                "Stereo phaser with tempo-synchronised sweeps",
                                                kFeatures};

// Nothing is set up at init nor torn down at deinit: instances hold all they
// use. Hosts may call them more than once; a missing path is still refused.
bool EntryInit(const char* path) {
    return path != nullptr;
}

void EntryDeinit() {}

uint32_t PluginCount(const clap_plugin_factory* factory) {
    return factory != nullptr ? 1 : 0;
}

const clap_plugin_descriptor* Descriptor(const clap_plugin_factory* factory, uint32_t index) {
    return factory != nullptr && index == 0 ? &kDescriptor : nullptr;
}

const clap_plugin* Create(const clap_plugin_factory* factory, const clap_host* host,
                          const char* id) {
    if (factory == nullptr || host == nullptr || id == nullptr) return nullptr;
    if (!clap_version_is_compatible(host->clap_version) || host->get_extension == nullptr) {
        return nullptr;
    }
    if (std::strcmp(id, kPluginId) != 0) return nullptr;
    auto* plugin = new (std::nothrow) ClapPlugin(host);
    return plugin != nullptr ? plugin->Record() : nullptr;
}

const clap_plugin_factory kFactory = {PluginCount, Descriptor, Create};

const void* Factory(const char* id) {
    if (id == nullptr) return nullptr;
    if (std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0) return &kFactory;
    if (std::strcmp(id, CLAP_PRESET_DISCOVERY_FACTORY_ID) == 0 ||
        std::strcmp(id, CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT) == 0) {
        return &kPresetDiscoveryFactory;
    }
    return nullptr;
}

}  // namespace

const clap_plugin_descriptor* PluginDescriptor() {
    return &kDescriptor;
}

}  // namespace tav::clap

extern "C" const tav::clap::clap_plugin_entry clap_entry = {
    tav::clap::CLAP_VERSION, tav::clap::EntryInit, tav::clap::EntryDeinit, tav::clap::Factory};
