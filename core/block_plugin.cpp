#include "core/block_plugin.h"

#include <algorithm>
#include <cmath>

#include "core/plugin_state.h"

namespace tav {

bool BlockPlugin::SetUp(double sampleRate, int64_t maxFrames) {
    if (!(sampleRate > 0.0) || !std::isfinite(sampleRate) || maxFrames < 1) return false;
    CoreLockGuard guard(&core_.Lock());
    const auto frames = static_cast<int>(std::min<int64_t>(maxFrames, kMaxScratchFrames));
    if (!core_.SetBlockFrames(frames)) return false;
    core_.SetSampleRate(sampleRate);
    core_.ResetProcessing();
    return true;
}

void BlockPlugin::SetActive(bool active) {
    CoreLockGuard guard(&core_.Lock());
    active_ = active;
    core_.ActivationChanged(active);
    if (active) {
        runner_.Reset();
    } else {
        core_.ResetProcessing();
    }
}

void BlockPlugin::Restart() {
    CoreLockGuard guard(&core_.Lock());
    core_.ResetProcessing();
    runner_.Reset();
}

void BlockPlugin::BeginChanges(int32_t frames) {
    changes_.Clear();
    frames_ = std::max(frames, 0);
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
    switch (change.kind) {
        case ChangeKind::Param:
            core_.ApplyHostParamChange(change.index, change.value);
            break;
        case ChangeKind::Bypass:
            runner_.SetBypass(change.value >= 0.5);
            break;
        case ChangeKind::Setting:
            core_.ApplySetting(change.index, change.value);
            break;
        case ChangeKind::Program:
            // As a VST 2 host's program change: edits stay with the program left.
            core_.StoreCurrentPreset(nullptr);
            core_.SelectPreset(change.index);
            break;
        case ChangeKind::Tempo:
            core_.SetTempo(change.value);
            break;
    }
}

void BlockPlugin::ApplyChanges() {
    changes_.Sort();
    for (int i = 0; i < changes_.Count(); ++i) Apply(changes_.At(i));
}

template <class Sample>
void BlockPlugin::Render(Sample* const* in, Sample* const* out, int32_t frames) {
    // Hosts send changes in time order; one that does not gets them sorted, not lost.
    changes_.Sort();
    changes_.Play(
        frames, [this](const TimedChange& change) { Apply(change); },
        [&](int32_t offset, int32_t count) { runner_.Run<Sample>(in, out, offset, count); });
}

bool BlockPlugin::SaveState(std::vector<uint8_t>& out) {
    try {
        CoreLockGuard guard(&core_.Lock());
        return SavePluginState(core_, chunk_, runner_.Bypassed(), out);
    } catch (...) {
        return false;  // no memory for the bytes: nothing saved, nothing changed
    }
}

bool BlockPlugin::LoadState(const std::vector<uint8_t>& bytes) {
    CoreLockGuard guard(&core_.Lock());
    LoadedState loaded;
    if (!LoadPluginState(core_, chunk_, bytes.data(), bytes.size(), loaded)) return false;
    if (loaded.hasBypass) runner_.SetBypass(loaded.bypass);
    return true;
}

template void BlockPlugin::Render<float>(float* const*, float* const*, int32_t);
template void BlockPlugin::Render<double>(double* const*, double* const*, int32_t);

}  // namespace tav
