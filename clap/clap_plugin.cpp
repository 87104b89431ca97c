#include "clap/clap_plugin.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "clap/extensions.h"
#include "core/denormal_guard.h"
#include "effect/make_phaser.h"

namespace tav::clap {
namespace {

ClapPlugin* Self(const clap_plugin* plugin) {
    return ClapPlugin::From(plugin);
}

// The thread that initialises the instance is its main thread for life.
bool InitCall(const clap_plugin* plugin) {
    ClapPlugin* self = Self(plugin);
    if (self != nullptr) self->Roles().NoteMain();
    return self != nullptr && self->Init();
}

void DestroyCall(const clap_plugin* plugin) {
    ClapPlugin* self = ClapPlugin::From(plugin, "destroy");
    if (self == nullptr) return;
    // A host that destroys an active instance, or one with its editor, loses nothing more.
    self->Deactivate();
    if (self->Ready()) DestroyGui(*self);
    delete self;
}

bool ActivateCall(const clap_plugin* plugin, double rate, uint32_t minFrames, uint32_t maxFrames) {
    ClapPlugin* self = ClapPlugin::From(plugin, "activate");
    return self != nullptr && self->Activate(rate, minFrames, maxFrames);
}

void DeactivateCall(const clap_plugin* plugin) {
    if (ClapPlugin* self = ClapPlugin::From(plugin, "deactivate")) self->Deactivate();
}

bool StartProcessingCall(const clap_plugin* plugin) {
    ClapPlugin* self = Self(plugin);
    if (self == nullptr) return false;
    ThreadRoles::AudioScope audio(self->Roles(), "start_processing");
    return self->StartProcessing();
}

void StopProcessingCall(const clap_plugin* plugin) {
    ClapPlugin* self = Self(plugin);
    if (self == nullptr) return;
    ThreadRoles::AudioScope audio(self->Roles(), "stop_processing");
    self->StopProcessing();
}

void ResetCall(const clap_plugin* plugin) {
    ClapPlugin* self = Self(plugin);
    if (self == nullptr) return;
    ThreadRoles::AudioScope audio(self->Roles(), "reset");
    self->Reset();
}

int32_t ProcessCall(const clap_plugin* plugin, const clap_process* process) {
    ClapPlugin* self = Self(plugin);
    if (self == nullptr) return CLAP_PROCESS_ERROR;
    ThreadRoles::AudioScope audio(self->Roles(), "process");
    return self->Process(process);
}

const void* ExtensionCall(const clap_plugin* plugin, const char* id) {
    const ClapPlugin* self = Self(plugin);
    return self != nullptr ? self->Extension(id) : nullptr;
}

void OnMainThreadCall(const clap_plugin* plugin) {
    ClapPlugin::From(plugin, "on_main_thread");
}

// An edit waits for the host: it is asked to flush, or to process.
void EditWaiting(const clap_host* host) {
    const auto* params =
        static_cast<const clap_host_params*>(host->get_extension(host, CLAP_EXT_PARAMS));
    if (params != nullptr && params->request_flush != nullptr) {
        params->request_flush(host);
    } else if (host->request_process != nullptr) {
        host->request_process(host);
    }
}

template <class Sample>
Sample** ChannelsOf(const clap_audio_buffer& buffer);
template <>
float** ChannelsOf<float>(const clap_audio_buffer& buffer) {
    return buffer.data32;
}
template <>
double** ChannelsOf<double>(const clap_audio_buffer& buffer) {
    return buffer.data64;
}

template <class Sample>
bool Silent(const Sample* samples, bool constant, int32_t frames) {
    if (samples == nullptr) return true;
    if (constant) return samples[0] == 0;
    for (int32_t f = 0; f < frames; ++f) {
        if (samples[f] != 0) return false;
    }
    return true;
}

}  // namespace

ClapPlugin::ClapPlugin(const clap_host* host) : host_(host) {
    record_ = clap_plugin{PluginDescriptor(),
                          this,
                          InitCall,
                          DestroyCall,
                          ActivateCall,
                          DeactivateCall,
                          StartProcessingCall,
                          StopProcessingCall,
                          ResetCall,
                          ProcessCall,
                          ExtensionCall,
                          OnMainThreadCall};
}

ClapPlugin::~ClapPlugin() {
    // The plug-in record dies with us: a host that calls it later finds nothing.
    record_.plugin_data = nullptr;
}

ClapPlugin* ClapPlugin::From(const clap_plugin* plugin) {
    if (plugin == nullptr) return nullptr;
    auto* self = static_cast<ClapPlugin*>(plugin->plugin_data);
    return self != nullptr && self->Record() == plugin ? self : nullptr;
}

ClapPlugin* ClapPlugin::From(const clap_plugin* plugin, const char* entry, ThreadRole role) {
    ClapPlugin* self = From(plugin);
    if (self != nullptr) self->roles_.Check(entry, role);
    return self;
}

bool ClapPlugin::Init() {
    if (effect_) return false;
    mainThread_ = std::this_thread::get_id();
    effect_ = MakePhaser<ClapCore>(false);
    if (!effect_) return false;
    try {
        plugin_ = std::make_unique<BlockPlugin>(*effect_, []() -> std::unique_ptr<TransportCore> {
            return MakePhaser<ClapCore>(false);
        });
    } catch (...) {
        effect_.reset();
        return false;
    }
    plugin_->SetEchoSink(EchoEdit, this);
    return true;
}

bool ClapPlugin::MakeFace() {
    if (face_) return true;
    face_ = MakePhaser<ClapCore>(true);
    if (!face_ || face_->Editor() == nullptr) {
        face_.reset();
        return false;
    }
    face_->SetEditSink(this);
    face_->SetFrameHook([](void* self) { static_cast<ClapPlugin*>(self)->SyncFace(); }, this);
    SyncFace();
    for (int i = 0; i < face_->ParamCount() && i < ModelValues::kMaxParams; ++i)
        face_->Editor()->ShowParamMarks(i, marks_[i]);
    OfferHostMenu(*this);
    return true;
}

void ClapPlugin::SetMarks(int index, const ParamMarks& marks) {
    if (index < 0 || index >= ModelValues::kMaxParams) return;
    marks_[index] = marks;
    if (face_) face_->Editor()->ShowParamMarks(index, marks);
}

void ClapPlugin::ChooseSetting(int setting, int step) {
    ModelValues model;
    if (!IsExtraSetting(setting) || !plugin_->ReadModel(model)) return;
    // The current option again is no change to tell anyone of, as in the face's menu.
    if (SettingStep(model.settings[setting]) != step) SettingEdited(setting, step);
}

void ClapPlugin::DropFace() {
    face_.reset();
}

// What the host or a loaded state changed reaches the face's controls; what the
// face itself handed on is already in the model it reads.
void ClapPlugin::SyncFace() {
    ModelValues model;
    if (!face_ || !plugin_->ReadModel(model)) return;
    CoreLockGuard guard(&face_->Lock());
    IEditorLink* editor = face_->Editor();
    for (int i = 0; i < face_->ParamCount() && i < ModelValues::kMaxParams; ++i) {
        PluginParam* param = face_->Param(i);
        if (param->value == model.params[i]) continue;
        param->value = model.params[i];
        if (editor != nullptr) editor->PushParamToControls(i, param->value, false);
    }
    for (int setting = 0; setting < kExtraSettingCount; ++setting) {
        if (face_->SettingValue(setting) != model.settings[setting])
            face_->ApplySetting(setting, model.settings[setting]);
    }
}

// Each edit in the face reaches the audio thread's model, and the host hears of
// it from there as an echo; the host is asked to flush meanwhile.
void ClapPlugin::Hand(const HandedChange& change) {
    plugin_->Hand(change);
    if (host_->get_extension != nullptr) EditWaiting(host_);
}

void ClapPlugin::HandGesture(uint16_t type, clap_id id) {
    HandedChange change;
    change.kind = HandedChange::Kind::EchoOnly;
    change.echo = type;
    change.echoId = id;
    Hand(change);
}

void ClapPlugin::HandValue(ChangeKind kind, int index, clap_id id, double value) {
    HandedChange change;
    change.change = kind;
    change.index = index;
    change.value = value;
    change.echo = CLAP_EVENT_PARAM_VALUE;
    change.echoId = id;
    Hand(change);
}

void ClapPlugin::BeginEdit(int param) {
    HandGesture(CLAP_EVENT_PARAM_GESTURE_BEGIN, static_cast<clap_id>(param));
}

void ClapPlugin::PerformEdit(int param, double unit) {
    HandValue(ChangeKind::Param, param, static_cast<clap_id>(param), unit);
}

void ClapPlugin::EndEdit(int param) {
    HandGesture(CLAP_EVENT_PARAM_GESTURE_END, static_cast<clap_id>(param));
}

// The host learns of it as of any edit of the editor's: one gesture with its value.
void ClapPlugin::SettingEdited(int setting, double value) {
    if (!IsExtraSetting(setting)) return;
    const clap_id id = HostParams::IdOfSetting(setting);
    HandGesture(CLAP_EVENT_PARAM_GESTURE_BEGIN, id);
    HandValue(ChangeKind::Setting, setting, id, value);
    HandGesture(CLAP_EVENT_PARAM_GESTURE_END, id);
}

bool ClapPlugin::ChangeEditorScale(int percent) {
    return ApplyEditorScale(*this, percent);
}

void ClapPlugin::EchoEdit(void* context, const HandedChange& change) {
    const double unit = change.kind == HandedChange::Kind::Change ? change.value : 0.0;
    static_cast<ClapPlugin*>(context)->effect_->KeepEdit(
        PendingEdit{change.echo, change.echoId, unit});
}

bool ClapPlugin::Activate(double sampleRate, uint32_t minFrames, uint32_t maxFrames) {
    if (!effect_ || plugin_->Active()) return false;
    if (maxFrames > 0x7FFFFFFFu || minFrames > maxFrames) return false;
    if (!plugin_->SetUp(sampleRate, maxFrames)) return false;
    roles_.NoteRestart();
    plugin_->SetActive(true);
    return true;
}

void ClapPlugin::Deactivate() {
    if (!effect_ || !plugin_->Active()) return;
    plugin_->SetActive(false);
    roles_.NoteRestart();
    processing_ = false;
}

bool ClapPlugin::StartProcessing() {
    if (!effect_ || !plugin_->Active()) return false;
    processing_ = true;
    return true;
}

void ClapPlugin::StopProcessing() {
    processing_ = false;
}

void ClapPlugin::Reset() {
    if (effect_ && plugin_->Active()) plugin_->Restart();
}

const void* ClapPlugin::Extension(const char* id) const {
    return effect_ ? FindExtension(id) : nullptr;
}

void ClapPlugin::GatherEvents(const clap_input_events* in, int32_t frames) {
    plugin_->BeginChanges(frames);
    if (in == nullptr || in->size == nullptr || in->get == nullptr) return;
    const uint32_t count = in->size(in);
    for (uint32_t i = 0; i < count && plugin_->Room() > 0; ++i) {
        const clap_event_header* event = in->get(in, i);
        if (event == nullptr || event->space_id != CLAP_CORE_EVENT_SPACE_ID) continue;
        const auto time = static_cast<int32_t>(std::min<uint32_t>(event->time, 0x7FFFFFFFu));
        if (event->type == CLAP_EVENT_PARAM_VALUE &&
            event->size >= sizeof(clap_event_param_value)) {
            const auto* change = reinterpret_cast<const clap_event_param_value*>(event);
            const double value = change->value;
            const HostParamTarget target = Params().Target(change->param_id);
            if (target.role == HostParamRole::Bypass) {
                if (std::isfinite(value)) plugin_->AddBypass(time, value >= 0.5);
            } else if (target.role == HostParamRole::Setting) {
                plugin_->AddSetting(time, target.index, value);
            } else if (target.role == HostParamRole::Effect && std::isfinite(value)) {
                plugin_->AddParam(time, target.index, effect_->Param(target.index)->UnitOf(value));
            }
        } else if (event->type == CLAP_EVENT_TRANSPORT &&
                   event->size >= sizeof(clap_event_transport)) {
            const auto* transport = reinterpret_cast<const clap_event_transport*>(event);
            if ((transport->flags & CLAP_TRANSPORT_HAS_TEMPO) != 0)
                plugin_->AddTempo(time, transport->tempo);
        }
    }
}

void ClapPlugin::SendPendingEdits(const clap_output_events* out) {
    if (out != nullptr && out->try_push != nullptr) {
        for (int i = 0; i < effect_->PendingEditCount(); ++i) {
            const PendingEdit& edit = effect_->PendingEditAt(i);
            const clap_event_header header{0, 0, CLAP_CORE_EVENT_SPACE_ID, edit.type, 0};
            if (edit.type == CLAP_EVENT_PARAM_VALUE) {
                const HostParamTarget target = Params().Target(edit.id);
                if (target.role != HostParamRole::Effect && target.role != HostParamRole::Setting)
                    continue;
                const double plain = target.role == HostParamRole::Effect
                                         ? effect_->Param(target.index)->PlainForUnit(edit.unit)
                                         : edit.unit;
                clap_event_param_value event{header, edit.id, nullptr, -1, -1, -1, -1, plain};
                event.header.size = sizeof event;
                out->try_push(out, &event.header);
            } else {
                clap_event_param_gesture event{header, edit.id};
                event.header.size = sizeof event;
                out->try_push(out, &event.header);
            }
        }
    }
    effect_->ClearPendingEdits();
}

void ClapPlugin::FlushEvents(const clap_input_events* in, const clap_output_events* out) {
    if (!effect_) return;
    GatherEvents(in, 0);
    plugin_->ApplyChanges();
    SendPendingEdits(out);
}

int32_t ClapPlugin::Process(const clap_process* process) {
    if (process == nullptr || !effect_ || !plugin_->Active() || !processing_)
        return CLAP_PROCESS_ERROR;
    DenormalGuard denormals;
    const auto frames = static_cast<int32_t>(std::min(process->frames_count, 0x7FFFFFFFu));
    effect_->SetTransport(process->transport);
    GatherEvents(process->in_events, frames);
    SendPendingEdits(process->out_events);
    if (frames == 0) {
        plugin_->ApplyChanges();
        return CLAP_PROCESS_CONTINUE;
    }
    if (process->audio_outputs == nullptr || process->audio_outputs_count < 1 ||
        process->audio_outputs[0].channel_count < 2) {
        plugin_->ApplyChanges();
        return CLAP_PROCESS_ERROR;
    }
    const clap_audio_buffer& out = process->audio_outputs[0];
    if (out.data32 != nullptr && out.data32[0] != nullptr && out.data32[1] != nullptr)
        return Render<float>(*process, frames);
    if (out.data64 != nullptr && out.data64[0] != nullptr && out.data64[1] != nullptr)
        return Render<double>(*process, frames);
    plugin_->ApplyChanges();
    return CLAP_PROCESS_ERROR;
}

template <class Sample>
int32_t ClapPlugin::Render(const clap_process& process, int32_t frames) {
    clap_audio_buffer& outBuffer = process.audio_outputs[0];
    Sample* const out[2] = {ChannelsOf<Sample>(outBuffer)[0], ChannelsOf<Sample>(outBuffer)[1]};
    Sample* in[2] = {nullptr, nullptr};
    uint64_t inMask = 0x3;  // a missing input is silence: constant
    if (process.audio_inputs != nullptr && process.audio_inputs_count > 0) {
        const clap_audio_buffer& inBuffer = process.audio_inputs[0];
        Sample** channels = ChannelsOf<Sample>(inBuffer);
        for (uint32_t c = 0; c < 2 && channels != nullptr && c < inBuffer.channel_count; ++c)
            in[c] = channels[c];
        inMask = (inBuffer.constant_mask & 0x3) | (in[0] == nullptr ? 1 : 0) |
                 (in[1] == nullptr ? 2 : 0);
    }
    const PhaserEngine& engine = effect_->Engine();
    const auto gateOpen = [&engine] {
        return engine.Ready() && engine.QuietCounter() >= engine.HoldLength();
    };
    const bool openBefore = gateOpen() && !plugin_->Fading() && plugin_->ChangeCount() == 0;
    plugin_->Render<Sample>(in, out, frames);

    // While the gate stays open the output is the input bit for bit: so are its hints.
    const bool openAfter = gateOpen() && !plugin_->Fading();
    outBuffer.constant_mask = openBefore && openAfter && frames <= engine.HoldLength() ? inMask : 0;
    if (openAfter && Silent(in[0], (inMask & 1) != 0, frames) &&
        Silent(in[1], (inMask & 2) != 0, frames)) {
        return CLAP_PROCESS_SLEEP;
    }
    return CLAP_PROCESS_CONTINUE;
}

template int32_t ClapPlugin::Render<float>(const clap_process&, int32_t);
template int32_t ClapPlugin::Render<double>(const clap_process&, int32_t);

}  // namespace tav::clap
