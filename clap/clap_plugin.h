// One CLAP instance of the phaser: the clap_plugin record the host holds, the
// effect behind it and the state of its life (initialised, active, processing),
// and the face's edit sink. Every entry point finds the instance through
// plugin_data and refuses calls out of order or with nonsense arguments.
#pragma once

#include <cstdint>
#include <memory>
#include <thread>

#include "clap/clap_abi.h"
#include "clap/clap_core.h"
#include "clap/gui.h"
#include "core/block_plugin.h"
#include "core/edit_sink.h"
#include "core/editor_link.h"
#include "core/thread_roles.h"
#include "effect/host_params.h"
#include "effect/phaser_effect.h"

namespace tav::clap {

using ClapPhaser = PhaserEffect<ClapCore>;

inline constexpr const char* kPluginId = "com.qorva.tavrellion";

const clap_plugin_descriptor* PluginDescriptor();

class ClapPlugin final : private EditSink {
  public:
    // No host calls here: the host is usable from Init on.
    explicit ClapPlugin(const clap_host* host);
    ~ClapPlugin();
    ClapPlugin(const ClapPlugin&) = delete;
    ClapPlugin& operator=(const ClapPlugin&) = delete;

    const clap_plugin* Record() const { return &record_; }
    // The instance behind a record the host hands back; none for nonsense.
    static ClapPlugin* From(const clap_plugin* plugin);
    // The same, with the call checked against the thread its tag allows.
    static ClapPlugin* From(const clap_plugin* plugin, const char* entry,
                            ThreadRole role = ThreadRole::Main);

    bool Init();
    bool Activate(double sampleRate, uint32_t minFrames, uint32_t maxFrames);
    void Deactivate();
    bool StartProcessing();
    void StopProcessing();
    void Reset();
    int32_t Process(const clap_process* process);
    const void* Extension(const char* id) const;

    // For the extensions; valid after Init. The effect is the audio thread's; the
    // other threads read its fixed parts (names, ranges, texts) and nothing else.
    ClapPhaser& Effect() { return *effect_; }
    // The parameters as hosts are told of them; CLAP hosts pick programs through
    // the preset-load extension, so there is no Program parameter.
    HostParams Params() { return HostParams(*effect_); }
    // The model the editor shows and edits, with the editor: made for it, and
    // kept in step with the audio thread's model through the block seam.
    ClapPhaser* Face() { return face_.get(); }
    bool MakeFace();
    void DropFace();
    void SyncFace();
    bool Ready() const { return effect_ != nullptr; }
    bool Active() const { return plugin_->Active(); }
    BlockPlugin& Plugin() { return *plugin_; }
    const clap_host* Host() const { return host_; }
    GuiState& Gui() { return gui_; }
    ThreadRoles& Roles() { return roles_; }
    // Parameter events from a process or flush call, and the editor's back out.
    void FlushEvents(const clap_input_events* in, const clap_output_events* out);

    // What the host shows on an effect parameter's control (param-indication), kept
    // for a face opened later; main thread.
    void SetMarks(int index, const ParamMarks& marks);
    const ParamMarks& Marks(int index) const { return marks_[index]; }
    // A setting chosen in the host's menu: handed on as the face's choices are.
    void ChooseSetting(int setting, int step);
    bool OnMainThread() const { return std::this_thread::get_id() == mainThread_; }

  private:
    void GatherEvents(const clap_input_events* in, int32_t frames);
    void SendPendingEdits(const clap_output_events* out);
    template <class Sample>
    int32_t Render(const clap_process& process, int32_t frames);

    // EditSink: the face's gestures, on the main thread, to the audio thread's
    // model and to the host from there, as echoes.
    void BeginEdit(int param) override;
    void PerformEdit(int param, double unit) override;
    void EndEdit(int param) override;
    void SettingEdited(int setting, double value) override;
    bool ChangeEditorScale(int percent) override;
    void Hand(const HandedChange& change);
    void HandGesture(uint16_t type, clap_id id);
    void HandValue(ChangeKind kind, int index, clap_id id, double value);
    static void EchoEdit(void* self, const HandedChange& change);

    const clap_host* host_;
    clap_plugin record_;
    std::unique_ptr<ClapPhaser> effect_;
    std::unique_ptr<ClapPhaser> face_;
    std::unique_ptr<BlockPlugin> plugin_;
    bool processing_ = false;
    GuiState gui_;
    ThreadRoles roles_{"clap", "main thread"};
    ParamMarks marks_[ModelValues::kMaxParams];
    std::thread::id mainThread_;
};

}  // namespace tav::clap
