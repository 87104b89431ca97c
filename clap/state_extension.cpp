// The saved state: the same bytes as the VST 3 component's. Loading reads the
// whole stream first and applies it completely or not at all.
#include <vector>

#include "clap/clap_plugin.h"
#include "clap/extensions.h"
#include "core/plugin_state.h"

namespace tav::clap {
namespace {

// False when the stream fails, claims more than it was asked for, or passes the limit.
bool ReadAll(const clap_istream* stream, std::vector<uint8_t>& bytes) {
    constexpr size_t kStep = 64 * 1024;
    for (;;) {
        const size_t at = bytes.size();
        if (at >= static_cast<size_t>(IEffectCore::kMaxChunkBytes)) return false;
        bytes.resize(at + kStep);
        const int64_t got = stream->read(stream, bytes.data() + at, kStep);
        if (got < 0 || got > static_cast<int64_t>(kStep)) return false;
        bytes.resize(at + static_cast<size_t>(got));
        if (got == 0) return true;
    }
}

bool WriteAll(const clap_ostream* stream, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const uint64_t left = bytes.size() - done;
        const int64_t put = stream->write(stream, bytes.data() + done, left);
        if (put <= 0 || static_cast<uint64_t>(put) > left) return false;
        done += static_cast<size_t>(put);
    }
    return true;
}

bool Save(const clap_plugin* plugin, const clap_ostream* stream) {
    ClapPlugin* self = ClapPlugin::From(plugin);
    if (self == nullptr || !self->Ready() || stream == nullptr || stream->write == nullptr)
        return false;
    std::vector<uint8_t> bytes;
    try {
        CoreLockGuard guard(&self->Effect().Lock());
        if (!SavePluginState(self->Effect(), self->Chunk(), self->Runner().Bypassed(), bytes))
            return false;
    } catch (...) {
        return false;
    }
    return WriteAll(stream, bytes);
}

bool Load(const clap_plugin* plugin, const clap_istream* stream) {
    ClapPlugin* self = ClapPlugin::From(plugin);
    if (self == nullptr || !self->Ready() || stream == nullptr || stream->read == nullptr)
        return false;
    std::vector<uint8_t> bytes;
    try {
        if (!ReadAll(stream, bytes)) return false;
    } catch (...) {
        return false;
    }
    {
        // The stream is read before the lock is taken: the audio waits only for the load.
        CoreLockGuard guard(&self->Effect().Lock());
        LoadedState loaded;
        if (!LoadPluginState(self->Effect(), self->Chunk(), bytes.data(), bytes.size(), loaded))
            return false;
        if (loaded.hasBypass) self->Runner().SetBypass(loaded.bypass);
    }
    const clap_host* host = self->Host();
    const auto* params =
        static_cast<const clap_host_params*>(host->get_extension(host, CLAP_EXT_PARAMS));
    if (params != nullptr && params->rescan != nullptr)
        params->rescan(host, CLAP_PARAM_RESCAN_VALUES);
    return true;
}

}  // namespace

const clap_plugin_state kStateExtension = {Save, Load};

}  // namespace tav::clap
