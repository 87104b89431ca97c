#pragma once

#include <utility>

#include "core/effect_core.h"
#include "effect/editor_layout.h"
#include "effect/phaser_engine.h"
#include "effect/phaser_setup.h"
#include "effect/sweep_sync_setting.h"

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
    }

    // With an editor: it is built once the parameters exist, before the programs.
    template <class... HostArgs>
    explicit PhaserEffect(WithEditor editor, HostArgs&&... hostArgs)
        : HostLayer(std::forward<HostArgs>(hostArgs)..., PhaserIdentity()) {
        DefinePhaserParameters(*this);
        AttachEffectEditor(*this, editor.makeSurface, {SweepSyncMenuChoice()});
        AddFactoryPresets(*this);
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

    // "Sweep Sync": not one of the thirteen parameters, so not automated.
    void SetSweepSync(SweepSync sync) {
        CoreLockGuard guard(&this->Lock());
        engine_.SetSweepSync(sync);
    }
    SweepSync GetSweepSync() {
        CoreLockGuard guard(&this->Lock());
        return engine_.Sync();
    }
    void ApplySetting(int setting, double value) override {
        if (setting == kSweepSyncSetting) SetSweepSync(SweepSyncOf(value));
    }
    double SettingValue(int setting) override {
        return setting == kSweepSyncSetting ? SweepSyncValue(GetSweepSync()) : 0.0;
    }
    uint32_t TailFrames() override {
        CoreLockGuard guard(&this->Lock());
        return engine_.TailFrames();
    }
    // The user's choice in the editor: the host hears of it as of an edit.
    void EditSweepSync(SweepSync sync) {
        CoreLockGuard guard(&this->Lock());
        if (engine_.Sync() == sync) return;
        engine_.SetSweepSync(sync);
        this->HostSettingEdited(kSweepSyncSetting, SweepSyncValue(sync));
    }

    // Sweep Sync in the chunks: a trailer when it is "Song", so that with "Free"
    // they stay as they always were.
    bool WriteExtraState(StateChunk& chunk) override {
        CoreLockGuard guard(&this->Lock());
        return engine_.Sync() == SweepSync::Free || PutSweepSyncTrailer(chunk, engine_.Sync());
    }
    int32_t ExtraStateEnd(const StateChunk& chunk, int32_t pos) const override {
        SweepSync ignored = SweepSync::Free;
        return SweepSyncTrailerEnd(chunk, pos, ignored);
    }
    void ApplyExtraState(const StateChunk& chunk, int32_t pos) override {
        SweepSync sync = SweepSync::Free;  // a chunk without the trailer
        SweepSyncTrailerEnd(chunk, pos, sync);
        SetSweepSync(sync);
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
    MenuChoice SweepSyncMenuChoice() {
        return MenuChoice{kSweepSyncName,
                          {kSweepSyncTexts[0], kSweepSyncTexts[1]},
                          [this] { return GetSweepSync() == SweepSync::Song ? 1 : 0; },
                          [this](int option) { EditSweepSync(SweepSyncOf(option)); }};
    }

    PhaserEngine engine_;
};

}  // namespace tav
