#include "vst3/controller.h"

#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "core/editor_link.h"
#include "core/plugin_state.h"
#include "vst3/plug_view.h"
#include "vst3/stream_io.h"
#include "vst3/utf16_text.h"

namespace tav::vst3 {

Controller::Controller() : notices_([this](int flags) { Restart(flags); }) {}

Controller::~Controller() {
    Release();
}

tresult Controller::queryInterface(const TUID iid, void** obj) {
    return QueryWith(iid, obj, [&](const TUID wanted) -> FUnknown* {
        if (FUnknown::iid.Matches(wanted) || IPluginBase::iid.Matches(wanted)) {
            return static_cast<IEditController*>(this);
        }
        return FindInterface<Controller, IEditController, IUnitInfo, IConnectionPoint>(this,
                                                                                       wanted);
    });
}

// The thread that initialises the controller is its UI thread, and its views'.
tresult Controller::initialize(FUnknown*) {
    roles_.NoteMain();
    if (effect_) return kResultFalse;
    effect_ = MakePhaser(true);
    if (!effect_) return kOutOfMemory;
    // The processor's twin renders nothing: channel buffers of one frame, not a block.
    effect_->SetBlockFrames(1);
    params_ = std::make_unique<ParamTable>(*effect_, kListedPrograms);
    effect_->SetEditSink(this);
    notices_.Start();  // initialize runs on the host's UI thread
    return kResultOk;
}

tresult Controller::terminate() {
    roles_.Check("IPluginBase::terminate", ThreadRole::Main);
    Release();
    return kResultOk;
}

// The host may drop its last reference on any thread: no check here.
void Controller::Release() {
    // Nothing more for the host, not even from the closing face.
    notices_.Stop();
    // A host that terminates with the face still open: the window goes first,
    // while the whole effect still exists for it.
    if (openView_ != nullptr) openView_->Detach();
    {
        std::lock_guard<std::mutex> lock(handlerLock_);
        handler_.Reset();
    }
    params_.reset();
    effect_.reset();
}

tresult Controller::setComponentState(IBStream* state) {
    roles_.Check("IEditController::setComponentState", ThreadRole::Main);
    if (!effect_) return kNotInitialized;
    if (state == nullptr) return kInvalidArgument;
    std::vector<uint8_t> bytes;
    if (!ReadToEnd(state, bytes)) return kResultFalse;
    LoadedState loaded;
    if (!LoadPluginState(*effect_, chunk_, bytes.data(), bytes.size(), loaded)) {
        return kResultFalse;
    }
    if (loaded.hasBypass) bypass_ = loaded.bypass;
    return kResultOk;
}

tresult Controller::setState(IBStream* state) {
    roles_.Check("IEditController::setState", ThreadRole::Main);
    // Nothing of the controller's own is saved: every setting is the processor's.
    return state != nullptr ? kResultOk : kInvalidArgument;
}

tresult Controller::getState(IBStream* state) {
    roles_.Check("IEditController::getState", ThreadRole::Main);
    return state != nullptr ? kResultOk : kInvalidArgument;
}

int32 Controller::getParameterCount() {
    roles_.Check("IEditController::getParameterCount", ThreadRole::Main);
    return params_ ? params_->Count() : 0;
}

tresult Controller::getParameterInfo(int32 paramIndex, ParameterInfo* info) {
    roles_.Check("IEditController::getParameterInfo", ThreadRole::Main);
    if (!params_) return kNotInitialized;
    if (info == nullptr) return kInvalidArgument;
    CoreLockGuard guard(&effect_->Lock());
    return params_->Describe(paramIndex, *info) ? kResultOk : kInvalidArgument;
}

tresult Controller::getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                          String128 string) {
    roles_.Check("IEditController::getParamStringByValue", ThreadRole::Main);
    if (!params_) return kNotInitialized;
    CoreLockGuard guard(&effect_->Lock());
    return params_->Text(id, valueNormalized, string);
}

tresult Controller::getParamValueByString(ParamID id, TChar* string, ParamValue* valueNormalized) {
    roles_.Check("IEditController::getParamValueByString", ThreadRole::Main);
    if (!params_) return kNotInitialized;
    if (valueNormalized == nullptr) return kInvalidArgument;
    CoreLockGuard guard(&effect_->Lock());
    return params_->Parse(id, string, *valueNormalized);
}

ParamValue Controller::normalizedParamToPlain(ParamID id, ParamValue valueNormalized) {
    roles_.Check("IEditController::normalizedParamToPlain", ThreadRole::Main);
    if (!params_) return 0.0;
    CoreLockGuard guard(&effect_->Lock());
    return params_->ToPlain(id, valueNormalized);
}

ParamValue Controller::plainParamToNormalized(ParamID id, ParamValue plainValue) {
    roles_.Check("IEditController::plainParamToNormalized", ThreadRole::Main);
    if (!params_) return 0.0;
    CoreLockGuard guard(&effect_->Lock());
    return params_->ToNormalized(id, plainValue);
}

ParamValue Controller::getParamNormalized(ParamID id) {
    roles_.Check("IEditController::getParamNormalized", ThreadRole::Main);
    if (!params_) return 0.0;
    CoreLockGuard guard(&effect_->Lock());
    const HostParamTarget target = params_->Target(id);
    switch (target.role) {
        case HostParamRole::Effect: {
            const PluginParam* param = effect_->Param(target.index);
            return param->UnitOf(param->EffectiveValue());
        }
        case HostParamRole::Bypass:
            return bypass_ ? 1.0 : 0.0;
        case HostParamRole::Program:
            return params_->NormalizedOfProgram(effect_->CurrentPreset());
        case HostParamRole::Setting:
            return effect_->SettingValue(target.index);
        case HostParamRole::None:
            break;
    }
    return 0.0;
}

tresult Controller::setParamNormalized(ParamID id, ParamValue value) {
    roles_.Check("IEditController::setParamNormalized", ThreadRole::Main);
    if (!params_) return kNotInitialized;
    if (!params_->Known(id) || !std::isfinite(value)) return kInvalidArgument;
    value = value < 0.0 ? 0.0 : (value > 1.0 ? 1.0 : value);
    CoreLockGuard guard(&effect_->Lock());
    const HostParamTarget target = params_->Target(id);
    switch (target.role) {
        case HostParamRole::Effect:
            effect_->ApplyHostParamChange(target.index, value);
            break;
        case HostParamRole::Bypass:
            bypass_ = value >= 0.5;
            break;
        case HostParamRole::Setting:
            effect_->ApplySetting(target.index, value);
            break;
        case HostParamRole::None:
            break;
        case HostParamRole::Program:
            // The processor does the same when the change reaches it; the host learns
            // of the new values once its call has returned.
            effect_->StoreCurrentPreset(nullptr);
            if (effect_->SelectPreset(params_->ProgramOf(value)))
                notices_.Post(kParamValuesChanged);
            break;
    }
    return kResultOk;
}

tresult Controller::setComponentHandler(IComponentHandler* handler) {
    roles_.Check("IEditController::setComponentHandler", ThreadRole::Main);
    std::lock_guard<std::mutex> lock(handlerLock_);
    handler_.Reset(handler);
    return kResultOk;
}

IPlugView* Controller::createView(FIDString name) {
    roles_.Check("IEditController::createView", ThreadRole::Main);
    if (!effect_ || effect_->Editor() == nullptr) return nullptr;
    if (name == nullptr || std::strcmp(name, "editor") != 0) return nullptr;
    return new (std::nothrow) PlugView(this);
}

bool Controller::ClaimView(PlugView* view) {
    if (openView_ != nullptr && openView_ != view) return false;
    openView_ = view;
    return true;
}

void Controller::ReleaseView(PlugView* view) {
    if (openView_ == view) openView_ = nullptr;
}

bool Controller::ChangeEditorScale(int percent) {
    if (openView_ != nullptr) return openView_->ApplyScale(percent);
    IEditorLink* editor = effect_ != nullptr ? effect_->Editor() : nullptr;
    if (editor == nullptr) return false;
    editor->SetScalePercent(percent);
    return true;
}

int32 Controller::getUnitCount() {
    roles_.Check("IUnitInfo::getUnitCount", ThreadRole::Main);
    return 1;
}

tresult Controller::getUnitInfo(int32 unitIndex, UnitInfo* info) {
    roles_.Check("IUnitInfo::getUnitInfo", ThreadRole::Main);
    if (info == nullptr || unitIndex != 0) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    info->id = kRootUnitId;
    info->parentUnitId = kNoParentUnitId;
    ToUtf16("Root", info->name, 128);
    info->programListId = kFactoryProgramListId;
    return kResultOk;
}

int32 Controller::getProgramListCount() {
    roles_.Check("IUnitInfo::getProgramListCount", ThreadRole::Main);
    return 1;
}

tresult Controller::getProgramListInfo(int32 listIndex, ProgramListInfo* info) {
    roles_.Check("IUnitInfo::getProgramListInfo", ThreadRole::Main);
    if (info == nullptr || listIndex != 0) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    info->id = kFactoryProgramListId;
    ToUtf16("Factory Programs", info->name, 128);
    info->programCount = kListedPrograms;
    return kResultOk;
}

tresult Controller::getProgramName(ProgramListID listId, int32 programIndex, String128 name) {
    roles_.Check("IUnitInfo::getProgramName", ThreadRole::Main);
    if (!effect_) return kNotInitialized;
    if (name == nullptr || listId != kFactoryProgramListId || programIndex < 0 ||
        programIndex >= kListedPrograms) {
        return kInvalidArgument;
    }
    CoreLockGuard guard(&effect_->Lock());
    ToUtf16(effect_->PresetName(programIndex), name, 128);
    return kResultOk;
}

tresult Controller::getProgramInfo(ProgramListID, int32, CString, String128) {
    roles_.Check("IUnitInfo::getProgramInfo", ThreadRole::Main);
    return kResultFalse;
}

tresult Controller::hasProgramPitchNames(ProgramListID, int32) {
    roles_.Check("IUnitInfo::hasProgramPitchNames", ThreadRole::Main);
    return kResultFalse;
}

tresult Controller::getProgramPitchName(ProgramListID, int32, int16, String128) {
    roles_.Check("IUnitInfo::getProgramPitchName", ThreadRole::Main);
    return kResultFalse;
}

UnitID Controller::getSelectedUnit() {
    roles_.Check("IUnitInfo::getSelectedUnit", ThreadRole::Main);
    return kRootUnitId;
}

tresult Controller::selectUnit(UnitID unitId) {
    roles_.Check("IUnitInfo::selectUnit", ThreadRole::Main);
    return unitId == kRootUnitId ? kResultOk : kInvalidArgument;
}

tresult Controller::getUnitByBus(MediaType type, BusDirection dir, int32 busIndex, int32,
                                 UnitID* unitId) {
    roles_.Check("IUnitInfo::getUnitByBus", ThreadRole::Main);
    if (unitId == nullptr || type != kAudio || (dir != kInput && dir != kOutput) || busIndex != 0) {
        return kInvalidArgument;
    }
    *unitId = kRootUnitId;
    return kResultOk;
}

tresult Controller::setUnitProgramData(int32, int32, IBStream*) {
    roles_.Check("IUnitInfo::setUnitProgramData", ThreadRole::Main);
    return kNotImplemented;
}

// Nothing passes between the controller and the processor but what the host
// carries: a connection is taken note of and nothing more.
tresult Controller::connect(IConnectionPoint* other) {
    roles_.Check("IConnectionPoint::connect", ThreadRole::Main);
    return other != nullptr ? kResultOk : kInvalidArgument;
}

tresult Controller::disconnect(IConnectionPoint* other) {
    roles_.Check("IConnectionPoint::disconnect", ThreadRole::Main);
    return other != nullptr ? kResultOk : kInvalidArgument;
}

tresult Controller::notify(IMessage* message) {
    roles_.Check("IConnectionPoint::notify", ThreadRole::Main);
    return message != nullptr ? kResultFalse : kInvalidArgument;
}

void Controller::BeginEdit(int index) {
    std::lock_guard<std::mutex> lock(handlerLock_);
    gestures_.insert(index);
    if (handler_) handler_.Get()->beginEdit(static_cast<ParamID>(index));
}

void Controller::PerformEdit(int index, double unit) {
    std::lock_guard<std::mutex> lock(handlerLock_);
    if (!handler_) return;
    IComponentHandler* handler = handler_.Get();
    const auto id = static_cast<ParamID>(index);
    const auto last = lastSent_.find(index);
    const bool resend = last != lastSent_.end() && last->second == unit;
    lastSent_[index] = unit;
    if (gestures_.count(index) != 0) {
        handler->performEdit(id, unit);
    } else if (!resend) {
        // The editor re-sends a control's value as its entry box closes, outside
        // any gesture. VST 3 hosts take values only inside one: a new value gets
        // a gesture of its own, the same value again is not news.
        handler->beginEdit(id);
        handler->performEdit(id, unit);
        handler->endEdit(id);
    }
}

void Controller::EndEdit(int index) {
    std::lock_guard<std::mutex> lock(handlerLock_);
    gestures_.erase(index);
    if (handler_) handler_.Get()->endEdit(static_cast<ParamID>(index));
}

void Controller::SettingEdited(int setting, double value) {
    if (!IsExtraSetting(setting)) return;
    std::lock_guard<std::mutex> lock(handlerLock_);
    if (!handler_) return;
    // One choice in the editor, one whole gesture: the host takes values only inside one.
    IComponentHandler* handler = handler_.Get();
    const ParamID id = HostParams::IdOfSetting(setting);
    handler->beginEdit(id);
    handler->performEdit(id, value);
    handler->endEdit(id);
}

void Controller::DisplayChanged() {
    notices_.Post(kParamValuesChanged);
}

void Controller::Restart(int flags) {
    IComponentHandler* handler = nullptr;
    {
        std::lock_guard<std::mutex> lock(handlerLock_);
        handler = handler_.Get();
        if (handler != nullptr) handler->addRef();
    }
    if (handler == nullptr) return;
    handler->restartComponent(flags);
    handler->release();
}

}  // namespace tav::vst3
