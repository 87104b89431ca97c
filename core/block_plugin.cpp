#include "core/block_plugin.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include "core/plugin_state.h"

namespace tav {

// A state another thread checked and prepared: the audio thread loads it without
// allocating, into scratch already grown to its size.
struct PreparedState {
    std::vector<uint8_t> bytes;
    StateChunk scratch;
};

namespace {

enum class ModelChange { None, Values, Bank };

// One change to a model of the effect, the audio thread's or one rebuilt from it.
template <class SetBypass>
ModelChange ApplyTo(TransportCore& core, const TimedChange& change, SetBypass&& setBypass) {
    switch (change.kind) {
        case ChangeKind::Param:
            core.ApplyHostParamChange(change.index, change.value);
            return ModelChange::Values;
        case ChangeKind::Bypass:
            setBypass(change.value >= 0.5);
            return ModelChange::Values;
        case ChangeKind::Setting:
            core.ApplySetting(change.index, change.value);
            return ModelChange::Values;
        case ChangeKind::Program:
            // As a VST 2 host's program change: edits stay with the program left.
            core.StoreCurrentPreset(nullptr);
            core.SelectPreset(change.index);
            return ModelChange::Bank;
        case ChangeKind::Tempo:
            core.SetTempo(change.value);
            return ModelChange::None;  // the transport's, not the model's
    }
    return ModelChange::None;
}

}  // namespace

struct BlockPlugin::Published {
    static constexpr size_t kBankHeader = 16;  // serial, size

    SeqBox values{sizeof(ModelValues)};
    SeqBox bank;
    // Prepared states handed on and the hand-off serial of each: kept until the
    // published values show them taken.
    std::vector<std::pair<uint64_t, std::unique_ptr<PreparedState>>> prepared;
};

BlockPlugin::BlockPlugin(TransportCore& core, ModelFactory makeModel)
    : core_(core), makeModel_(makeModel), runner_(core), published_(new Published) {
    // Nothing but the audio thread touches the core while it runs: no lock is needed.
    core_.Lock().Disable();
    // Room for the largest bank the core can write, and the chunk grown to it, so
    // that publishing never allocates; then the model as it starts.
    const size_t most = Published::kBankHeader + 2048 +
                        static_cast<size_t>(core_.PresetCount()) *
                            (8 + PresetSlot::kNameSize + 8 * ModelValues::kMaxParams);
    Published& box = *published_;
    box.bank.Reserve(most);
    box.prepared.reserve(4);
    bankChanged_ = true;
    Publish(true);
}

BlockPlugin::~BlockPlugin() = default;

bool BlockPlugin::SetUp(double sampleRate, int64_t maxFrames) {
    if (!(sampleRate > 0.0) || !std::isfinite(sampleRate) || maxFrames < 1) return false;
    const auto frames = static_cast<int>(std::min<int64_t>(maxFrames, kMaxScratchFrames));
    if (!core_.SetBlockFrames(frames)) return false;
    core_.SetSampleRate(sampleRate);
    core_.ResetProcessing();
    return true;
}

void BlockPlugin::SetActive(bool active) {
    CallerGuard callers(callers_);
    if (!active) live_.store(false, std::memory_order_release);
    valuesChanged_ = true;  // the tail follows the rate set up since
    Settle();
    active_ = active;
    core_.ActivationChanged(active);
    if (active) {
        runner_.Reset();
        live_.store(true, std::memory_order_release);
    } else {
        core_.ResetProcessing();
    }
}

void BlockPlugin::Restart() {
    core_.ResetProcessing();
    runner_.Reset();
}

void BlockPlugin::BeginChanges(int32_t frames) {
    changes_.Clear();
    frames_ = std::max(frames, 0);
    TakeHanded();
}

bool BlockPlugin::Add(int32_t offset, ChangeKind kind, int32_t index, double value) {
    return std::isfinite(value) && changes_.Add(offset, frames_, kind, index, value);
}

bool BlockPlugin::AddParam(int32_t offset, int index, double unit) {
    if (index < 0 || index >= core_.ParamCount()) return false;
    return Add(offset, ChangeKind::Param, index, std::clamp(unit, 0.0, 1.0));
}

bool BlockPlugin::AddBypass(int32_t offset, bool on) {
    return Add(offset, ChangeKind::Bypass, 0, on ? 1.0 : 0.0);
}

bool BlockPlugin::AddSetting(int32_t offset, int setting, double value) {
    return Add(offset, ChangeKind::Setting, setting, value);
}

bool BlockPlugin::AddProgram(int32_t offset, int program) {
    if (program < 0 || program >= core_.PresetCount()) return false;
    return Add(offset, ChangeKind::Program, program, 0.0);
}

bool BlockPlugin::AddTempo(int32_t offset, double bpm) {
    return Add(offset, ChangeKind::Tempo, 0, bpm);
}

void BlockPlugin::Apply(const TimedChange& change) {
    const ModelChange changed = ApplyTo(core_, change, [this](bool on) { runner_.SetBypass(on); });
    valuesChanged_ = valuesChanged_ || changed != ModelChange::None;
    bankChanged_ = bankChanged_ || changed == ModelChange::Bank;
}

void BlockPlugin::ApplyHanded(const HandedChange& change) {
    if (change.echo != 0 && echoSink_ != nullptr) echoSink_(echoContext_, change);
    if (change.kind == HandedChange::Kind::Change) {
        Apply(TimedChange{0, 0, change.change, change.index, change.value});
    } else if (change.kind == HandedChange::Kind::State && change.state != nullptr) {
        // Checked when it was handed over, and its scratch grown to its size.
        PreparedState& state = const_cast<PreparedState&>(*change.state);
        LoadedState loaded;
        if (LoadPluginState(core_, state.scratch, state.bytes.data(), state.bytes.size(), loaded) &&
            loaded.hasBypass) {
            runner_.SetBypass(loaded.bypass);
        }
        valuesChanged_ = bankChanged_ = true;
    }
}

void BlockPlugin::TakeHanded() {
    HandedChange change;
    while (handed_.Pop(change)) ApplyHanded(change);
}

void BlockPlugin::ReadCore(ModelValues& out) {
    out.program = core_.CurrentPreset();
    out.bypass = runner_.Bypassed() ? 1 : 0;
    out.tailFrames = tailFrames_;
    for (int i = 0; i < core_.ParamCount() && i < ModelValues::kMaxParams; ++i)
        out.params[i] = core_.Param(i)->value;
    for (int s = 0; s < ModelValues::kMaxSettings; ++s) out.settings[s] = core_.SettingValue(s);
}

void BlockPlugin::Publish(bool exactTail) {
    const bool changed = valuesChanged_ || bankChanged_;
    if (!changed && !tailStale_) return;
    // The tail costs logarithms: under automation it follows every few dozen blocks,
    // and at the first block that changes nothing; a program, a state or a call
    // without audio has it at once.
    if (exactTail || bankChanged_ || !changed || ++tailAge_ >= kTailEveryBlocks) {
        tailFrames_ = core_.TailFrames();
        tailAge_ = 0;
        tailStale_ = false;
    } else {
        tailStale_ = true;
    }
    Published& box = *published_;
    if (bankChanged_) {
        void* chunk = nullptr;
        const int32_t size = core_.GetChunk(0, chunk_, &chunk);
        const size_t room = box.bank.Capacity() - Published::kBankHeader;
        if (size > 0 && chunk != nullptr && static_cast<size_t>(size) <= room) {
            const uint64_t header[2] = {bankSerial_ + 1, static_cast<uint64_t>(size)};
            if (box.bank.Write(header, sizeof header, chunk, static_cast<size_t>(size)))
                ++bankSerial_;
        }
    }
    ModelValues values;
    values.handed = handed_.Popped();
    values.bankSerial = bankSerial_;
    ReadCore(values);
    box.values.Write(&values, sizeof values);
    valuesChanged_ = bankChanged_ = false;
}

void BlockPlugin::ApplyChanges() {
    changes_.Sort();
    for (int i = 0; i < changes_.Count(); ++i) Apply(changes_.At(i));
    Publish(true);
}

template <class Sample>
void BlockPlugin::Render(Sample* const* in, Sample* const* out, int32_t frames) {
    // Hosts send changes in time order; one that does not gets them sorted, not lost.
    changes_.Sort();
    changes_.Play(
        frames, [this](const TimedChange& change) { Apply(change); },
        [&](int32_t offset, int32_t count) { runner_.Run<Sample>(in, out, offset, count); });
    Publish();
}

// Inactive, the host's caller is the only thread at the core: what was handed
// lands now. Active, what the audio thread has taken is no longer needed here.
void BlockPlugin::Settle() {
    if (!live_.load(std::memory_order_acquire)) {
        TakeHanded();
        Publish(true);
        published_->prepared.clear();
        return;
    }
    ModelValues values;
    std::vector<uint8_t> bank;
    auto& prepared = published_->prepared;
    if (!prepared.empty() && ReadPublished(values, bank)) {
        std::erase_if(prepared, [&](const auto& entry) { return entry.first < values.handed; });
    }
}

bool BlockPlugin::ReadPublished(ModelValues& values, std::vector<uint8_t>& bank) {
    const Published& box = *published_;
    bank.resize(box.bank.Capacity());
    // The audio thread writes a few hundred bytes per block at most: a read that
    // meets a write reads again, and gives way to it, since a writer the system
    // has paused mid-write holds every reader back until it runs again.
    const CallerPatience patience(std::chrono::seconds(2));
    for (int attempt = 0;; ++attempt) {
        if (attempt >= 16) {
            if (patience.Expired()) return false;
            CallerPatience::GiveWay();
        }
        if (!box.values.TryRead(&values, sizeof values)) continue;
        if (!box.bank.TryRead(bank.data(), bank.size())) continue;
        uint64_t header[2] = {};
        std::memcpy(header, bank.data(), sizeof header);
        if (header[0] != values.bankSerial) continue;
        const size_t size = static_cast<size_t>(header[1]);
        if (size > bank.size() - Published::kBankHeader) return false;
        bank.erase(bank.begin(), bank.begin() + Published::kBankHeader);
        bank.resize(size);
        return true;
    }
}

// The audio thread's model as it will be once it has taken what was handed: its
// last published bank and values, then what it has not taken yet, in order.
std::unique_ptr<TransportCore> BlockPlugin::Rebuild(bool& bypass) {
    ModelValues values;
    std::vector<uint8_t> bytes;
    if (makeModel_ == nullptr || !ReadPublished(values, bytes)) return nullptr;
    std::unique_ptr<TransportCore> model = makeModel_();
    if (!model) return nullptr;
    AppendStateTrailer(bytes, values.bypass != 0, values.program);
    StateChunk scratch;
    LoadedState loaded;
    if (!LoadPluginState(*model, scratch, bytes.data(), bytes.size(), loaded)) return nullptr;
    for (int i = 0; i < model->ParamCount() && i < ModelValues::kMaxParams; ++i)
        model->Param(i)->value = values.params[i];
    for (int s = 0; s < ModelValues::kMaxSettings; ++s) model->ApplySetting(s, values.settings[s]);
    bypass = values.bypass != 0;
    for (uint64_t serial = values.handed; serial < handed_.Pushed(); ++serial) {
        const HandedChange& change = handed_.Item(serial);
        if (change.kind == HandedChange::Kind::State && change.state != nullptr) {
            const PreparedState& state = *change.state;
            if (LoadPluginState(*model, scratch, state.bytes.data(), state.bytes.size(), loaded) &&
                loaded.hasBypass)
                bypass = loaded.bypass;
        } else if (change.kind == HandedChange::Kind::Change) {
            ApplyTo(*model, TimedChange{0, 0, change.change, change.index, change.value},
                    [&bypass](bool on) { bypass = on; });
        }
    }
    return model;
}

uint32_t BlockPlugin::TailFrames() {
    if (!live_.load(std::memory_order_acquire)) return core_.TailFrames();
    // Only the audio thread writes the values: on it, the first read succeeds.
    ModelValues values;
    while (!published_->values.TryRead(&values, sizeof values)) CallerPatience::GiveWay();
    return values.tailFrames;
}

bool BlockPlugin::Hand(const HandedChange& change) {
    HandedChange checked = change;
    if (change.kind == HandedChange::Kind::Change) {
        if (!std::isfinite(change.value)) return false;
        if (change.change == ChangeKind::Param) {
            if (change.index < 0 || change.index >= core_.ParamCount()) return false;
            checked.value = std::clamp(change.value, 0.0, 1.0);
        }
        if (change.change == ChangeKind::Program &&
            (change.index < 0 || change.index >= core_.PresetCount()))
            return false;
    }
    if (change.kind == HandedChange::Kind::State) return false;  // LoadState prepares those
    // Queued even while inactive: an editor's own thread may hand it, and only
    // the host's threads may apply it (the next block, flush or host call).
    CallerGuard callers(callers_);
    return PushWaiting(checked);
}

// A full hand-off waits for the audio thread to take some: the caller waits,
// never the audio. Without audio (or with audio that stopped for good) it stays
// full until the host's next call takes it: refused.
bool BlockPlugin::PushWaiting(const HandedChange& change) {
    const CallerPatience patience(std::chrono::seconds(1));
    while (!handed_.Push(change)) {
        if (!live_.load(std::memory_order_acquire) || patience.Expired()) return false;
        CallerPatience::Pause();
    }
    return true;
}

bool BlockPlugin::ReadModel(ModelValues& out) {
    CallerGuard callers(callers_);
    std::vector<uint8_t> bank;
    if (!ReadPublished(out, bank)) return false;
    const uint64_t pushed = handed_.Pushed();
    bool simple = true;
    for (uint64_t serial = out.handed; serial < pushed && simple; ++serial) {
        const HandedChange& change = handed_.Item(serial);
        simple =
            change.kind == HandedChange::Kind::EchoOnly ||
            (change.kind == HandedChange::Kind::Change && change.change != ChangeKind::Program);
    }
    if (!simple) {
        // A program or a state still on its way: the model rebuilt says what it brings.
        bool bypass = false;
        std::unique_ptr<TransportCore> model = Rebuild(bypass);
        if (!model) return false;
        out.program = model->CurrentPreset();
        out.bypass = bypass ? 1 : 0;
        for (int i = 0; i < model->ParamCount() && i < ModelValues::kMaxParams; ++i)
            out.params[i] = model->Param(i)->value;
        for (int s = 0; s < ModelValues::kMaxSettings; ++s)
            out.settings[s] = model->SettingValue(s);
        return true;
    }
    for (uint64_t serial = out.handed; serial < pushed; ++serial) {
        const HandedChange& change = handed_.Item(serial);
        if (change.kind != HandedChange::Kind::Change) continue;
        if (change.change == ChangeKind::Param) {
            out.params[change.index] = core_.Param(change.index)->PlainForUnit(change.value);
        } else if (change.change == ChangeKind::Setting && change.index >= 0 &&
                   change.index < ModelValues::kMaxSettings) {
            out.settings[change.index] = change.value;
        } else if (change.change == ChangeKind::Bypass) {
            out.bypass = change.value >= 0.5 ? 1 : 0;
        }
    }
    return true;
}

bool BlockPlugin::SaveState(std::vector<uint8_t>& out) {
    try {
        CallerGuard callers(callers_);
        Settle();
        if (!live_.load(std::memory_order_acquire))
            return SavePluginState(core_, chunk_, runner_.Bypassed(), out);
        bool bypass = false;
        std::unique_ptr<TransportCore> model = Rebuild(bypass);
        StateChunk scratch;
        return model && SavePluginState(*model, scratch, bypass, out);
    } catch (...) {
        return false;  // no memory for the bytes: nothing saved, nothing changed
    }
}

bool BlockPlugin::LoadState(const std::vector<uint8_t>& bytes) {
    try {
        CallerGuard callers(callers_);
        Settle();
        LoadedState loaded;
        if (!live_.load(std::memory_order_acquire)) {
            if (!LoadPluginState(core_, chunk_, bytes.data(), bytes.size(), loaded)) return false;
            if (loaded.hasBypass) runner_.SetBypass(loaded.bypass);
            valuesChanged_ = bankChanged_ = true;
            Publish(true);
            return true;
        }
        // Checked here on a model of its own, so that the audio thread only applies.
        std::unique_ptr<TransportCore> model = makeModel_ != nullptr ? makeModel_() : nullptr;
        auto state = std::make_unique<PreparedState>();
        if (!model || !LoadPluginState(*model, state->scratch, bytes.data(), bytes.size(), loaded))
            return false;
        state->bytes = bytes;
        published_->prepared.reserve(published_->prepared.size() + 1);
        HandedChange change;
        change.kind = HandedChange::Kind::State;
        change.state = state.get();
        const uint64_t serial = handed_.Pushed();
        if (!PushWaiting(change)) return false;
        published_->prepared.emplace_back(serial, std::move(state));
        return true;
    } catch (...) {
        return false;
    }
}

template void BlockPlugin::Render<float>(float* const*, float* const*, int32_t);
template void BlockPlugin::Render<double>(double* const*, double* const*, int32_t);

}  // namespace tav
