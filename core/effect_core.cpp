#include "core/effect_core.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/number_text.h"

namespace tav {

IEffectCore::IEffectCore(const EffectIdentity& id)
    : uniqueId_(id.uniqueId),
      manufacturerCode_(id.manufacturerCode),
      version_(id.version),
      doesChunks_(id.doesChunks),
      isInstrument_(id.isInstrument),
      midiMode_(id.midiMode),
      latency_(id.latency) {
    for (int i = 0; i < id.paramCount; ++i) {
        auto* param = new PluginParam();
        if (!params_.Append(param)) delete param;
    }
    for (int i = 0; i < id.presetCount; ++i) {
        auto* preset = new PresetSlot();
        std::snprintf(preset->name, sizeof preset->name, "- %d -", i + 1);
        if (!presets_.Append(preset)) delete preset;
    }
    CopyText(effectName_, sizeof effectName_, id.effectName);
    CopyText(productName_, sizeof productName_, id.productName);
    CopyText(vendorName_, sizeof vendorName_, id.vendorName);
    ParseChannelConfigs(id.channelIo);
}

void IEffectCore::ParseChannelConfigs(const char* channelIo) {
    int maxInputs = 0;
    int maxOutputs = 0;
    const char* p = channelIo != nullptr ? channelIo : "";
    for (;;) {
        auto* config = new ChannelConfig();
        if (std::sscanf(p, "%d-%d", &config->inputs, &config->outputs) != 2) {
            config->inputs = 0;
            config->outputs = 0;
        }
        // Channel counts are small; anything absurd or negative is not a layout.
        config->inputs = std::clamp(config->inputs, 0, 64);
        config->outputs = std::clamp(config->outputs, 0, 64);
        maxInputs = std::max(maxInputs, config->inputs);
        maxOutputs = std::max(maxOutputs, config->outputs);
        if (!channelConfigs_.Append(config)) delete config;
        p = std::strchr(p, ' ');
        if (p == nullptr) break;
        ++p;
    }

    inputPointers_.SetExactSize(maxInputs * static_cast<int32_t>(sizeof(double*)));
    outputPointers_.SetExactSize(maxOutputs * static_cast<int32_t>(sizeof(double*)));
    if (inputPointers_.Size() != maxInputs * static_cast<int32_t>(sizeof(double*))) maxInputs = 0;
    if (outputPointers_.Size() != maxOutputs * static_cast<int32_t>(sizeof(double*)))
        maxOutputs = 0;
    for (int i = 0; i < maxInputs; ++i) {
        auto* channel = new InputChannel();
        channel->slot = InputPointers() + i;
        *channel->slot = nullptr;
        if (!inputChannels_.Append(channel)) delete channel;
    }
    for (int i = 0; i < maxOutputs; ++i) {
        auto* channel = new OutputChannel();
        channel->slot = OutputPointers() + i;
        *channel->slot = nullptr;
        if (!outputChannels_.Append(channel)) delete channel;
    }
}

IEffectCore::~IEffectCore() {
    delete editor_;
    editor_ = nullptr;
    params_.DeleteAll();
    presets_.DeleteAll();
    inputChannels_.DeleteAll();
    outputChannels_.DeleteAll();
    channelConfigs_.DeleteAll();
}

void IEffectCore::ResetProcessing() {
    CoreLockGuard guard(&lock_);
}
void IEffectCore::OnParamBurst(int) {
    CoreLockGuard guard(&lock_);
}
void IEffectCore::ParamChanged(int) {
    CoreLockGuard guard(&lock_);
}
void IEffectCore::ActivationChanged(bool) {
    CoreLockGuard guard(&lock_);
}

bool IEffectCore::KeyNameFor(int, char* text, int textSize) {
    if (text != nullptr && textSize > 0) text[0] = '\0';
    return false;
}

bool IEffectCore::SaveState(StateChunk& chunk) {
    return WriteParams(chunk);
}
int32_t IEffectCore::LoadState(const StateChunk& chunk, int32_t pos) {
    return ReadParams(chunk, pos);
}

void IEffectCore::ProcessBlock(double** inputs, double** outputs, int frames) {
    if (outputs == nullptr || frames <= 0) return;
    const int passed = inputs != nullptr ? std::min(InputCount(), OutputCount()) : 0;
    const size_t bytes = static_cast<size_t>(frames) * sizeof(double);
    for (int i = 0; i < OutputCount(); ++i) {
        if (outputs[i] == nullptr) continue;
        if (i < passed && inputs[i] != nullptr) {
            if (outputs[i] != inputs[i]) std::memmove(outputs[i], inputs[i], bytes);
        } else {
            std::memset(outputs[i], 0, bytes);
        }
    }
}

void IEffectCore::ApplyHostParamChange(int index, double unit) {
    CoreLockGuard guard(&lock_);
    PluginParam* param = Param(index);
    if (param == nullptr || !std::isfinite(unit)) return;
    if (editor_ != nullptr) editor_->PushParamToControls(index, unit, true);
    param->SetFromUnit(unit);
    ParamChanged(index);
}

void IEffectCore::SetParamFromEditor(int index, double unit) {
    CoreLockGuard guard(&lock_);
    PluginParam* param = Param(index);
    if (param == nullptr || !std::isfinite(unit)) return;
    param->SetFromUnit(unit);
    HostAutomate(index, unit);
    ParamChanged(index);
}

void IEffectCore::HostBeginEditOnce(int index) {
    CoreLockGuard guard(&lock_);
    if (index == pendingEditIndex_) return;  // the wheel gesture is still open
    EndPendingEdit();
    HostBeginEdit(index);
}

void IEffectCore::ScheduleEndEdit(int index) {
    CoreLockGuard guard(&lock_);
    if (editor_ == nullptr) {
        HostEndEdit(index);
        return;
    }
    pendingEditIndex_ = index;
    editor_->SetGestureTimeout(std::max(1, editor_->FrameRate() / 2));
}

void IEffectCore::EndPendingEdit() {
    CoreLockGuard guard(&lock_);
    if (editor_ != nullptr) editor_->CancelGestureTimeout();
    if (pendingEditIndex_ >= 0) {
        const int index = pendingEditIndex_;
        pendingEditIndex_ = -1;
        HostEndEdit(index);
    }
}

void IEffectCore::AttachEditor(IEditorLink* editor) {
    CoreLockGuard guard(&lock_);
    if (editor == editor_) return;
    delete editor_;
    editor_ = nullptr;
    if (editor == nullptr) return;
    for (int i = 0; i < ParamCount(); ++i)
        editor->PushParamToControls(i, Param(i)->CurrentUnit(), true);
    editor->CreateCanvas();
    editor_ = editor;
}

void IEffectCore::PushParamsToEditor() {
    CoreLockGuard guard(&lock_);
    if (editor_ == nullptr) return;
    for (int i = 0; i < ParamCount(); ++i) editor_->PushParamToControls(i, Param(i)->value, false);
}

void IEffectCore::NotifyAllParamsChanged() {
    CoreLockGuard guard(&lock_);
    AllParamsChanged();
}

void IEffectCore::AllParamsChanged() {
    for (int i = 0; i < ParamCount(); ++i) ParamChanged(i);
}

namespace {
// Exactly one block each: a host that announces a smaller block gets the
// difference back, and an instance holds no more than its host asked for.
template <class Channel>
bool ResizeScratch(const PtrList<Channel>& channels, int32_t bytes) {
    bool ok = true;
    for (int i = 0; i < channels.Count(); ++i) {
        HeapBuffer& scratch = channels.Get(i)->scratch;
        scratch.SetExactSize(bytes);
        ok = ok && scratch.Size() == bytes;
    }
    return ok;
}

// Zero-fills the scratch buffers; a disconnected channel's slot follows its
// scratch, which may have moved.
template <class Channel>
void ClearScratch(const PtrList<Channel>& channels) {
    for (int i = 0; i < channels.Count(); ++i) {
        Channel* channel = channels.Get(i);
        uint8_t* data = channel->scratch.Data();
        if (data != nullptr) std::memset(data, 0, static_cast<size_t>(channel->scratch.Size()));
        if (!channel->connected) *channel->slot = reinterpret_cast<double*>(data);
    }
}
}  // namespace

bool IEffectCore::SetBlockFrames(int frames) {
    CoreLockGuard guard(&lock_);
    if (frames == blockSize_) return true;
    const int64_t bytes = static_cast<int64_t>(frames) * static_cast<int64_t>(sizeof(double));
    if (frames < 1 || bytes > kMaxChunkBytes) return false;
    const auto wanted = static_cast<int32_t>(bytes);
    bool ok = ResizeScratch(inputChannels_, wanted);
    ok = ResizeScratch(outputChannels_, wanted) && ok;
    if (!ok) {
        // Out of memory: back to the old size, which every buffer had room for.
        const auto old = static_cast<int32_t>(blockSize_ * sizeof(double));
        ResizeScratch(inputChannels_, old);
        ResizeScratch(outputChannels_, old);
    }
    ClearScratch(inputChannels_);
    ClearScratch(outputChannels_);
    if (ok) blockSize_ = frames;
    return ok;
}

namespace {
// Marks a range of channels; a disconnected one reads and writes its own scratch.
template <class Channel>
void ConnectRange(const PtrList<Channel>& channels, int start, int count, bool connected) {
    if (start < 0 || count <= 0) return;
    const int end =
        static_cast<int>(std::min<int64_t>(static_cast<int64_t>(start) + count, channels.Count()));
    for (int i = start; i < end; ++i) {
        Channel* channel = channels.Get(i);
        channel->connected = connected;
        if (!connected) *channel->slot = reinterpret_cast<double*>(channel->scratch.Data());
    }
}
}  // namespace

void IEffectCore::ConnectInputs(int start, int count, bool connected) {
    CoreLockGuard guard(&lock_);
    ConnectRange(inputChannels_, start, count, connected);
}

void IEffectCore::ConnectOutputs(int start, int count, bool connected) {
    CoreLockGuard guard(&lock_);
    ConnectRange(outputChannels_, start, count, connected);
}

bool IEffectCore::SupportsChannels(int inputs, int outputs) const {
    for (int i = 0; i < channelConfigs_.Count(); ++i) {
        const ChannelConfig* c = channelConfigs_.Get(i);
        if ((inputs < 0 || c->inputs == inputs) && (outputs < 0 || c->outputs == outputs))
            return true;
    }
    return false;
}

bool IEffectCore::SendMidiOutList(const MidiMessage* list, int count) {
    bool ok = true;
    for (int i = 0; list != nullptr && i < count; ++i) ok = SendMidiOut(list[i]) && ok;
    return ok;
}

double IEffectCore::SamplesPerBeat() {
    const double tempo = HostTempo();
    if (!(tempo > 0.0) || !std::isfinite(tempo)) return 0.0;
    return sampleRate_ * 60.0 / tempo;
}

bool IEffectCore::SetSampleRate(double rate) {
    if (!(rate > 0.0) || !std::isfinite(rate)) return false;
    CoreLockGuard guard(&lock_);
    sampleRate_ = rate;
    return true;
}

int IEffectCore::VersionDecimal() const {
    const int major = (version_ >> 16) & 0xFFFF;
    const int minor = (version_ >> 8) & 0xFF;
    const int patch = version_ & 0xFF;
    return major * 10000 + minor * 100 + patch;
}

void IEffectCore::VersionText(char* out, int outSize) const {
    if (out == nullptr || outSize <= 0) return;
    std::snprintf(out, static_cast<size_t>(outSize), "v%d.%02d", (version_ >> 16) & 0xFFFF,
                  (version_ >> 8) & 0xFF);
}

bool IEffectCore::ChangeEditorScale(int percent) {
    if (editor_ == nullptr) return false;
    editor_->SetScalePercent(percent);
    return editor_->ScalePercent() == percent;
}

}  // namespace tav
