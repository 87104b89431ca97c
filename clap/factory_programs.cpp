#include "clap/factory_programs.h"

#include <cstring>
#include <new>

#include "clap/clap_plugin.h"
#include "effect/factory_presets.h"

namespace tav::clap {
namespace {

constexpr const char* kLoadKeys[kFactoryPresetCount] = {"0", "1", "2", "3", "4", "5", "6"};

constexpr clap_preset_discovery_provider_descriptor kProviderDescriptor = {
    CLAP_VERSION, "com.qorva.tavrellion.factory-programs", "Tavrellion factory programs", "Qorva"};

const clap_preset_discovery_indexer* IndexerOf(const clap_preset_discovery_provider* provider) {
    return provider != nullptr
               ? static_cast<const clap_preset_discovery_indexer*>(provider->provider_data)
               : nullptr;
}

bool ProviderInit(const clap_preset_discovery_provider* provider) {
    const clap_preset_discovery_indexer* indexer = IndexerOf(provider);
    if (indexer == nullptr || indexer->declare_location == nullptr) return false;
    const clap_preset_discovery_location location = {
        CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT, "Tavrellion factory programs",
        CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr};
    return indexer->declare_location(indexer, &location);
}

void ProviderDestroy(const clap_preset_discovery_provider* provider) {
    if (provider != nullptr && provider->desc == &kProviderDescriptor)
        delete const_cast<clap_preset_discovery_provider*>(provider);
}

bool ProviderMetadata(const clap_preset_discovery_provider* provider, uint32_t kind,
                      const char* location,
                      const clap_preset_discovery_metadata_receiver* receiver) {
    if (IndexerOf(provider) == nullptr || receiver == nullptr || receiver->begin_preset == nullptr)
        return false;
    if (kind != CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN || location != nullptr) return false;
    const clap_universal_plugin_id id = {"clap", kPluginId};
    for (int p = 0; p < kFactoryPresetCount; ++p) {
        if (!receiver->begin_preset(receiver, kFactoryPresets[p].name, kLoadKeys[p])) break;
        if (receiver->add_plugin_id != nullptr) receiver->add_plugin_id(receiver, &id);
        if (receiver->set_flags != nullptr)
            receiver->set_flags(receiver, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);
    }
    return true;
}

const void* ProviderExtension(const clap_preset_discovery_provider*, const char*) {
    return nullptr;
}

uint32_t ProviderCount(const clap_preset_discovery_factory* factory) {
    return factory != nullptr ? 1 : 0;
}

const clap_preset_discovery_provider_descriptor* ProviderDescriptor(
    const clap_preset_discovery_factory* factory, uint32_t index) {
    return factory != nullptr && index == 0 ? &kProviderDescriptor : nullptr;
}

// The indexer may not be called here: only from the provider's init on.
const clap_preset_discovery_provider* CreateProvider(const clap_preset_discovery_factory* factory,
                                                     const clap_preset_discovery_indexer* indexer,
                                                     const char* id) {
    if (factory == nullptr || indexer == nullptr || id == nullptr ||
        std::strcmp(id, kProviderDescriptor.id) != 0) {
        return nullptr;
    }
    return new (std::nothrow) clap_preset_discovery_provider{
        &kProviderDescriptor, const_cast<clap_preset_discovery_indexer*>(indexer),
        ProviderInit,         ProviderDestroy,
        ProviderMetadata,     ProviderExtension};
}

void ReportLoad(const clap_host* host, bool ok, uint32_t kind, const char* location,
                const char* key) {
    const auto* hostLoad =
        static_cast<const clap_host_preset_load*>(host->get_extension(host, CLAP_EXT_PRESET_LOAD));
    if (hostLoad == nullptr) return;
    if (ok && hostLoad->loaded != nullptr) hostLoad->loaded(host, kind, location, key);
    if (!ok && hostLoad->on_error != nullptr)
        hostLoad->on_error(host, kind, location, key, 0, "no such factory program");
}

bool FromLocation(const clap_plugin* plugin, uint32_t kind, const char* location, const char* key) {
    ClapPlugin* self = ClapPlugin::From(plugin, "preset_load.from_location");
    if (self == nullptr || !self->Ready()) return false;
    const int program = ProgramOfLoadKey(key);
    bool ok = kind == CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN && location == nullptr && program >= 0;
    if (ok) {
        // As a VST 2 host's program change (edits stay with the program left), at the
        // audio thread's next block.
        HandedChange change;
        change.change = ChangeKind::Program;
        change.index = program;
        ok = self->Plugin().Hand(change);
        self->SyncFace();
    }
    const clap_host* host = self->Host();
    if (ok) {
        const auto* params =
            static_cast<const clap_host_params*>(host->get_extension(host, CLAP_EXT_PARAMS));
        if (params != nullptr && params->rescan != nullptr)
            params->rescan(host, CLAP_PARAM_RESCAN_VALUES);
    }
    ReportLoad(host, ok, kind, location, key);
    return ok;
}

}  // namespace

int ProgramOfLoadKey(const char* key) {
    if (key == nullptr) return -1;
    for (int p = 0; p < kFactoryPresetCount; ++p) {
        if (std::strcmp(key, kLoadKeys[p]) == 0) return p;
    }
    return -1;
}

const clap_preset_discovery_factory kPresetDiscoveryFactory = {ProviderCount, ProviderDescriptor,
                                                               CreateProvider};
const clap_plugin_preset_load kPresetLoadExtension = {FromLocation};

}  // namespace tav::clap
