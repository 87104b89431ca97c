// What every format's host side does alike, around the calls that are its own:
// made in two steps (the settings and transport, then the module), audio started
// and stopped around one active flag, the state saved and loaded behind the
// changes still queued, and the info report's frame. HostedVst2, HostedVst3,
// HostedClap and HostedLv2 derive from HostedFormat<Self>.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "host/plugin_instance.h"

namespace tav {

class HostedPlugin : public PluginInstance {
  public:
    HostedPlugin(const HostedPlugin&) = delete;
    HostedPlugin& operator=(const HostedPlugin&) = delete;

    const HostSettings& Settings() const { return settings_; }
    int NumInputs() const override { return inputs_; }
    int NumOutputs() const override { return outputs_; }

    // Activate, then start processing; StopAudio undoes what was done.
    bool StartAudio(ProcessKind kind, std::string* error) override;
    void StopAudio() override;
    // Taken by the next StartAudio.
    bool ChangeSampleRate(double rate, std::string* error) override;

    // Queued changes reach the plug-in first: a save holds them, and a load is not
    // overwritten by them later.
    std::vector<std::uint8_t> SaveState(bool bank) override;
    bool LoadState(bool bank, const std::vector<std::uint8_t>& bytes) override;
    const char* StateName(bool) const override { return "state"; }
    // Saved and loaded straight back with no flush: queued changes are Render's.
    bool ReloadStateBesideAudio() override;

    // The module, the format's identity, channels, parameters and programs, then
    // the format's details.
    void PrintInfo(const std::string& module, std::ostream& out) override;
    void PrintRequests(std::ostream& out) override;

  protected:
    HostedPlugin() = default;

    // The module loaded and the plug-in made for settings_; false with the reason.
    virtual bool Create(const std::string& path, std::string* error) = 0;

    virtual bool Activate(ProcessKind kind, std::string* error) = 0;
    virtual bool StartProcessing(std::string*) { return true; }
    virtual void StopProcessing() {}
    virtual void Deactivate() = 0;
    bool Active() const { return active_; }

    // Parameter changes not yet delivered, delivered without audio.
    virtual void FlushChanges() {}
    // The format's own save and load; bank for VST 2's bank chunk.
    virtual std::vector<std::uint8_t> ReadState(bool bank) = 0;
    virtual bool WriteState(bool bank, const std::vector<std::uint8_t>& bytes) = 0;

    virtual void PrintIdentity(std::ostream& out) = 0;
    virtual const char* ProgramsNote() const { return ""; }
    virtual void PrintDetails(std::ostream& out) = 0;
    virtual void PrintHostCalls(std::ostream& out) = 0;
    // "32", "64" or "32 64", as the plug-in supports them.
    std::string SampleSizes() const;

    // The editor made, its size known: the step before scaling or opening it.
    bool EditorReady(std::string* error);

    static size_t Index(int index) { return static_cast<size_t>(index); }

    HostSettings settings_;
    int inputs_ = 0, outputs_ = 0;  // the main buses' channels, as Create found them

  private:
    bool active_ = false;
};

// Self's Load, for each format: the settings and transport first, then Create
// (Self befriends HostedFormat<Self>, its constructor being private).
template <class Self>
class HostedFormat : public HostedPlugin {
  public:
    // None, with the reason, when the module or the plug-in fails.
    static std::unique_ptr<Self> Load(const std::string& path, const HostSettings& settings,
                                      std::string* error) {
        std::unique_ptr<Self> plugin(new Self());
        plugin->settings_ = settings;
        plugin->StartTransport(settings);
        std::string why;
        if (plugin->Create(path, &why)) return plugin;
        if (error != nullptr) *error = why;
        return nullptr;
    }
};

// The formats that list their parameters once, each with an id (VST 3, CLAP): the
// id is the number users give.
template <class Self, class Info>
class HostedParamList : public HostedFormat<Self> {
  public:
    int NumParams() const override { return static_cast<int>(params_.size()); }
    int ParamNumber(int index) override { return static_cast<int>(ParamInfo(index).id); }
    const Info& ParamInfo(int index) const { return params_[static_cast<size_t>(index)]; }

  protected:
    std::vector<Info> params_;
};

}  // namespace tav
