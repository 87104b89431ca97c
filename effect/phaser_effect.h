#pragma once

#include <utility>

#include "core/effect_core.h"
#include "effect/editor_layout.h"
#include "effect/extra_settings.h"
#include "effect/phaser_engine.h"
#include "effect/phaser_setup.h"

namespace tav {

// The phaser on top of a host layer: the VST adapter in the modules, a recording
// stand-in in tests. Everything of substance lives in the engine and the setup
// functions; this only routes the core's hooks to them.
template <class HostLayer>
class PhaserEffect : public HostLayer {
  public:
    template <class... HostArgs>
    explicit PhaserEffect(HostArgs&&... hostArgs)
        : HostLayer(std::forward<HostArgs>(hostArgs)..., PhaserIdentity()) {
        DefinePhaserParameters(*this);
        AddFactoryPresets(*this);
        engine_.SetGlide(true);
    }

    // With an editor: it is built once the parameters exist, before the programs.
    template <class... HostArgs>
    explicit PhaserEffect(WithEditor editor, HostArgs&&... hostArgs)
        : HostLayer(std::forward<HostArgs>(hostArgs)..., PhaserIdentity()) {
        DefinePhaserParameters(*this);
        AttachEffectEditor(
            *this, editor.makeSurface,
            {SettingMenuChoice(kSweepSyncSetting), SettingMenuChoice(kGlideSetting)});
        AddFactoryPresets(*this);
        engine_.SetGlide(true);
    }

    void ParamChanged(int index) override {
        CoreLockGuard guard(&this->Lock());
        if (const PluginParam* param = this->Param(index))
            engine_.ApplySetting(index, param->value);
    }

    // A program, a state or opening: every setting applied, then both sweeps
    // restart, even where a value stayed as it was.
    void AllParamsChanged() override {
        CoreLockGuard guard(&this->Lock());
        engine_.HoldForRestart();  // with Glide, the old sound fades out under the new
        HostLayer::AllParamsChanged();
        engine_.Restart();
    }

    // Runs with the instance lock already held by the audio callback.
    void ProcessBlock(double** inputs, double** outputs, int frames) override {
        if (inputs == nullptr || outputs == nullptr || frames <= 0) return;
        if (this->InputCount() < 2 || this->OutputCount() < 2) return;
        if (!inputs[0] || !inputs[1] || !outputs[0] || !outputs[1]) return;
        // Only a song-locked sweep asks where the song is: one host call less.
        double songBeats = kNoSongPosition;
        if (engine_.Sync() == SweepSync::Song && !this->HostSongBeats(songBeats))
            songBeats = kNoSongPosition;
        engine_.ProcessBlock(inputs, outputs, frames, this->SampleRate(), this->SamplesPerBeat(),
                             songBeats);
    }

    // "Sweep Sync" and "Glide", the settings beyond the thirteen parameters.
    void SetSweepSync(SweepSync sync) {
        CoreLockGuard guard(&this->Lock());
        engine_.SetSweepSync(sync);
    }
    SweepSync GetSweepSync() {
        CoreLockGuard guard(&this->Lock());
        return engine_.Sync();
    }
    void SetGlide(bool on) {
        CoreLockGuard guard(&this->Lock());
        engine_.SetGlide(on);
    }
    bool GetGlide() {
        CoreLockGuard guard(&this->Lock());
        return engine_.Glide();
    }
    void ApplySetting(int setting, double value) override {
        if (setting == kSweepSyncSetting) SetSweepSync(SweepSyncOf(value));
        if (setting == kGlideSetting) SetGlide(SettingStep(value) == 1);
    }
    double SettingValue(int setting) override {
        if (setting == kSweepSyncSetting) return SweepSyncValue(GetSweepSync());
        return setting == kGlideSetting && GetGlide() ? 1.0 : 0.0;
    }
    uint32_t TailFrames() override {
        CoreLockGuard guard(&this->Lock());
        return engine_.TailFrames();
    }
    // The user's choice in the editor: the host hears of it as of an edit.
    void EditSetting(int setting, int step) {
        CoreLockGuard guard(&this->Lock());
        if (!IsExtraSetting(setting) || SettingStep(SettingValue(setting)) == step) return;
        ApplySetting(setting, step);
        this->HostSettingEdited(setting, step);
    }

    // The settings in the chunks: a trailer each where it is not its default, so
    // that with the defaults they stay as they always were.
    bool WriteExtraState(StateChunk& chunk) override {
        CoreLockGuard guard(&this->Lock());
        for (int setting = 0; setting < kExtraSettingCount; ++setting) {
            const int step = SettingStep(SettingValue(setting));
            if (step != kExtraSettings[setting].defaultStep &&
                !PutSettingTrailer(chunk, setting, step))
                return false;
        }
        return true;
    }
    int32_t ExtraStateEnd(const StateChunk& chunk, int32_t pos) const override {
        int steps[kExtraSettingCount];
        return ExtraSettingsEnd(chunk, pos, steps);
    }
    void ApplyExtraState(const StateChunk& chunk, int32_t pos) override {
        int steps[kExtraSettingCount];
        if (ExtraSettingsEnd(chunk, pos, steps) < 0) return;
        for (int setting = 0; setting < kExtraSettingCount; ++setting)
            ApplySetting(setting, steps[setting]);
    }

    void ResetProcessing() override {
        CoreLockGuard guard(&this->Lock());
        engine_.ResetProcessing(this->SampleRate());
    }

    void ActivationChanged(bool active) override {
        CoreLockGuard guard(&this->Lock());
        if (active) ResetProcessing();
    }

    const PhaserEngine& Engine() const { return engine_; }

  private:
    MenuChoice SettingMenuChoice(int setting) {
        const ExtraSetting& info = kExtraSettings[setting];
        return MenuChoice{info.name,
                          {info.texts[0], info.texts[1]},
                          [this, setting] { return SettingStep(SettingValue(setting)); },
                          [this, setting](int option) { EditSetting(setting, option); }};
    }

    PhaserEngine engine_;
};

}  // namespace tav
