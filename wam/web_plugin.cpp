#include "wam/web_plugin.h"

#include <algorithm>
#include <cmath>

#include "effect/factory_presets.h"

namespace tav::web {
namespace {

// The song position saturates far beyond any session, as the other formats' does.
int64_t SamplesOf(double position) {
    if (!(position > 0.0)) return 0;
    return position < 4e18 ? static_cast<int64_t>(position) : int64_t{1} << 62;
}

// As MakePhaser without an editor: the page draws its own face, so the module
// carries none.
std::unique_ptr<WebPhaser> MakeWebPhaser() {
    auto effect = std::make_unique<WebPhaser>();
    effect->EnsureDefaultPreset();
    effect->HostQuirksInit();
    effect->NotifyAllParamsChanged();
    return effect;
}

}  // namespace

std::unique_ptr<WebPlugin> WebPlugin::Create(double sampleRate, int32_t maxFrames) {
    if (!(sampleRate >= 8000.0 && sampleRate <= 384000.0) || maxFrames < 1 ||
        maxFrames > kMaxFrames)
        return nullptr;
    std::unique_ptr<WebPlugin> self(new WebPlugin);
    self->effect_ = MakeWebPhaser();
    if (!self->effect_) return nullptr;
    self->plugin_ = std::make_unique<BlockPlugin>(
        *self->effect_, []() { return std::unique_ptr<TransportCore>(MakeWebPhaser()); });
    if (!self->plugin_->SetUp(sampleRate, maxFrames)) return nullptr;
    // Every buffer the audio uses, once: the blocks allocate nothing.
    const auto frames = static_cast<size_t>(maxFrames);
    for (std::vector<float>* buffer :
         {&self->inLeft_, &self->inRight_, &self->outLeft_, &self->outRight_})
        buffer->assign(frames, 0.0f);
    self->maxFrames_ = maxFrames;
    self->plugin_->SetActive(true);
    return self;
}

void WebPlugin::SetTransport(double tempo, int32_t numerator, int32_t denominator, bool playing,
                             double songBeats, double samplePosition) {
    BlockTransport block;
    block.tempo = tempo;
    block.timeSigNumerator = numerator;
    block.timeSigDenominator = denominator;
    block.samplePosition = SamplesOf(samplePosition);
    // Beats mean nothing without a tempo, and count only while the song plays.
    block.hasSongBeats = playing && std::isfinite(songBeats) && std::isfinite(tempo) && tempo > 0;
    block.songBeats = block.hasSongBeats ? songBeats : 0.0;
    effect_->SetTransport(block);
}

bool WebPlugin::AddChange(const WebChange& change, int32_t frames) {
    if (!std::isfinite(change.plain) || !std::isfinite(change.offset) || !(change.id >= 0.0) ||
        change.id > 0xFFFFFFFFu)
        return false;
    // Offsets past the block land at its end: nothing is lost.
    const auto offset = static_cast<int32_t>(std::clamp(change.offset, 0.0, double(frames)));
    const auto id = static_cast<uint32_t>(change.id);
    if (id == kProgramParamId) {
        const double program = std::floor(change.plain);
        return program >= 0 && program < ProgramCount() &&
               plugin_->AddProgram(offset, static_cast<int>(program));
    }
    const HostParamTarget target = Params().Target(id);
    switch (target.role) {
        case HostParamRole::Bypass:
            return plugin_->AddBypass(offset, change.plain >= 0.5);
        case HostParamRole::Setting:
            return plugin_->AddSetting(offset, target.index, change.plain);
        case HostParamRole::Effect:
            return plugin_->AddParam(offset, target.index,
                                     effect_->Param(target.index)->UnitOf(change.plain));
        case HostParamRole::Program:
        case HostParamRole::None:
            break;
    }
    return false;
}

bool WebPlugin::Process(int32_t frames, int32_t changeCount) {
    if (frames < 0 || frames > maxFrames_ || changeCount < 0 || changeCount > kMaxChanges) {
        std::fill(outLeft_.begin(), outLeft_.end(), 0.0f);
        std::fill(outRight_.begin(), outRight_.end(), 0.0f);
        return false;
    }
    plugin_->BeginChanges(frames);
    refused_ = 0;
    for (int32_t i = 0; i < changeCount; ++i) {
        if (!AddChange(changes_[i], frames)) ++refused_;
    }
    if (frames == 0) {
        plugin_->ApplyChanges();
        return true;
    }
    float* const in[2] = {inLeft_.data(), inRight_.data()};
    float* const out[2] = {outLeft_.data(), outRight_.data()};
    plugin_->Render<float>(in, out, frames);
    return true;
}

bool WebPlugin::Value(uint32_t id, double& plain) {
    ModelValues model;
    if (!plugin_->ReadModel(model)) return false;
    if (id == kProgramParamId) {
        plain = model.program;
        return true;
    }
    const HostParamTarget target = Params().Target(id);
    switch (target.role) {
        case HostParamRole::Effect:
            plain = effect_->Param(target.index)->EffectiveValueOf(model.params[target.index]);
            return true;
        case HostParamRole::Bypass:
            plain = model.bypass != 0 ? 1.0 : 0.0;
            return true;
        case HostParamRole::Setting:
            plain = model.settings[target.index];
            return true;
        case HostParamRole::Program:
        case HostParamRole::None:
            break;
    }
    return false;
}

bool WebPlugin::Edit(uint32_t id, double plain) {
    if (!std::isfinite(plain)) return false;
    if (id == kProgramParamId) {
        const double program = std::floor(plain);
        return program >= 0 && program < ProgramCount() && SelectProgram(static_cast<int>(program));
    }
    const HostParamTarget target = Params().Target(id);
    HandedChange change;
    change.index = target.index;
    change.value = plain;
    switch (target.role) {
        case HostParamRole::Effect:
            change.change = ChangeKind::Param;
            change.value = effect_->Param(target.index)->UnitOf(plain);
            break;
        case HostParamRole::Bypass:
            change.change = ChangeKind::Bypass;
            change.value = plain >= 0.5 ? 1.0 : 0.0;
            break;
        case HostParamRole::Setting:
            change.change = ChangeKind::Setting;
            break;
        case HostParamRole::Program:
        case HostParamRole::None:
            return false;
    }
    return plugin_->Hand(change);
}

bool WebPlugin::SelectProgram(int32_t program) {
    if (program < 0 || program >= ProgramCount()) return false;
    HandedChange change;
    change.change = ChangeKind::Program;
    change.index = program;
    return plugin_->Hand(change);
}

int32_t WebPlugin::ProgramCount() {
    return kFactoryPresetCount;
}

const char* WebPlugin::ProgramName(int32_t program) {
    return program >= 0 && program < kFactoryPresetCount ? kFactoryPresets[program].name : nullptr;
}

bool WebPlugin::LoadState(const std::vector<uint8_t>& bytes) {
    return bytes.size() <= kMaxStateBytes && plugin_->LoadState(bytes);
}

}  // namespace tav::web
