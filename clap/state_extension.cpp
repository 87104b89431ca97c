// The saved state: the same bytes as the VST 3 component's. Loading reads the
// whole stream first and applies it completely or not at all.
#include <vector>

#include "clap/clap_plugin.h"
#include "clap/extensions.h"
#include "core/plugin_state.h"

namespace tav::clap {
namespace {

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
    ClapPlugin* self = ClapPlugin::From(plugin, "state.save");
    if (self == nullptr || !self->Ready() || stream == nullptr || stream->write == nullptr)
        return false;
    std::vector<uint8_t> bytes;
    return self->Plugin().SaveState(bytes) && WriteAll(stream, bytes);
}

bool Load(const clap_plugin* plugin, const clap_istream* stream) {
    ClapPlugin* self = ClapPlugin::From(plugin, "state.load");
    if (self == nullptr || !self->Ready() || stream == nullptr || stream->read == nullptr)
        return false;
    std::vector<uint8_t> bytes;
    try {
        // The stream is read before the lock is taken: the audio waits only for the load.
        const auto read = [stream](uint8_t* into, size_t most) {
            return stream->read(stream, into, most);
        };
        if (!ReadStateStream(read, bytes)) return false;
    } catch (...) {
        return false;
    }
    if (!self->Plugin().LoadState(bytes)) return false;
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
