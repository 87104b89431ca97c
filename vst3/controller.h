// The edit controller: parameters as the host shows them, their texts, the
// program list, and (with the editor) the effect's face. Its own effect core
// never processes audio; it follows the processor through the host.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "core/edit_sink.h"
#include "core/state_chunk.h"
#include "core/thread_roles.h"
#include "vst3/com_object.h"
#include "vst3/deferred_notice.h"
#include "vst3/param_table.h"
#include "vst3/plug_view.h"
#include "vst3/vst3_core.h"
#include "vst3/vst3_effect.h"

namespace tav::vst3 {

class Controller final : public RefCounted,
                         public IEditController,
                         public IUnitInfo,
                         public IConnectionPoint,
                         private EditSink {
  public:
    Controller();
    ~Controller() override;

    tresult queryInterface(const TUID iid, void** obj) override;
    TAV_VST3_REFCOUNT

    // IPluginBase
    tresult initialize(FUnknown* context) override;
    tresult terminate() override;
    // IEditController
    tresult setComponentState(IBStream* state) override;
    tresult setState(IBStream* state) override;
    tresult getState(IBStream* state) override;
    int32 getParameterCount() override;
    tresult getParameterInfo(int32 paramIndex, ParameterInfo* info) override;
    tresult getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                  String128 string) override;
    tresult getParamValueByString(ParamID id, TChar* string, ParamValue* valueNormalized) override;
    ParamValue normalizedParamToPlain(ParamID id, ParamValue valueNormalized) override;
    ParamValue plainParamToNormalized(ParamID id, ParamValue plainValue) override;
    ParamValue getParamNormalized(ParamID id) override;
    tresult setParamNormalized(ParamID id, ParamValue value) override;
    tresult setComponentHandler(IComponentHandler* handler) override;
    IPlugView* createView(FIDString name) override;
    // IUnitInfo
    int32 getUnitCount() override;
    tresult getUnitInfo(int32 unitIndex, UnitInfo* info) override;
    int32 getProgramListCount() override;
    tresult getProgramListInfo(int32 listIndex, ProgramListInfo* info) override;
    tresult getProgramName(ProgramListID listId, int32 programIndex, String128 name) override;
    tresult getProgramInfo(ProgramListID listId, int32 programIndex, CString attributeId,
                           String128 attributeValue) override;
    tresult hasProgramPitchNames(ProgramListID listId, int32 programIndex) override;
    tresult getProgramPitchName(ProgramListID listId, int32 programIndex, int16 midiPitch,
                                String128 name) override;
    UnitID getSelectedUnit() override;
    tresult selectUnit(UnitID unitId) override;
    tresult getUnitByBus(MediaType type, BusDirection dir, int32 busIndex, int32 channel,
                         UnitID* unitId) override;
    tresult setUnitProgramData(int32 listOrUnitId, int32 programIndex, IBStream* data) override;
    // IConnectionPoint
    tresult connect(IConnectionPoint* other) override;
    tresult disconnect(IConnectionPoint* other) override;
    tresult notify(IMessage* message) override;

    // An open view lends the host's UI loop (Linux) and sends the notices from it.
    void LendUiLoop(bool lent) { notices_.LendUiLoop(lent); }
    void SendNotices() { notices_.SendPending(); }

    // The effect behind the parameters and the face; none before initialize and
    // after terminate.
    Vst3Phaser* Effect() const { return effect_.get(); }
    // The face is in one view at a time.
    bool ClaimView(PlugView* view);
    void ReleaseView(PlugView* view);

    // The UI thread's, checked at every host call of the controller and its views.
    ThreadRoles& Roles() { return roles_; }

  private:
    void Release();
    // EditSink: the editor's gestures, on the host's user-interface thread, to the
    // component handler.
    void BeginEdit(int index) override;
    void PerformEdit(int index, double unit) override;
    void EndEdit(int index) override;
    void SettingEdited(int setting, double value) override;
    void DisplayChanged() override;
    bool ChangeEditorScale(int percent) override;
    void Restart(int flags);

    std::unique_ptr<Vst3Phaser> effect_;
    std::unique_ptr<ParamTable> params_;
    StateChunk chunk_;
    std::mutex handlerLock_;  // the notice thread reads the handler too
    HostRef<IComponentHandler> handler_;
    std::set<int> gestures_;          // parameters inside an editor gesture
    std::map<int, double> lastSent_;  // what the host last heard of each
    DeferredNotice notices_;
    bool bypass_ = false;
    PlugView* openView_ = nullptr;  // attached views hold a reference to us
    ThreadRoles roles_{"vst3", "UI thread"};
};

}  // namespace tav::vst3
