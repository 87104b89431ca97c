// The audio processor component: the effect's sound, state and buses. It meets
// the edit controller only through the host.
#pragma once

#include <memory>

#include "core/block_plugin.h"
#include "core/thread_roles.h"
#include "vst3/com_object.h"
#include "vst3/param_table.h"
#include "vst3/vst3_effect.h"

namespace tav::vst3 {

class Processor final : public RefCounted,
                        public IComponent,
                        public IAudioProcessor,
                        public IProcessContextRequirements,
                        public IConnectionPoint {
  public:
    Processor() = default;
    ~Processor() override;

    tresult queryInterface(const TUID iid, void** obj) override;
    TAV_VST3_REFCOUNT

    // IPluginBase
    tresult initialize(FUnknown* context) override;
    tresult terminate() override;
    // IComponent
    tresult getControllerClassId(TUID classId) override;
    tresult setIoMode(int32 mode) override;
    int32 getBusCount(MediaType type, BusDirection dir) override;
    tresult getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo* bus) override;
    tresult getRoutingInfo(RoutingInfo* inInfo, RoutingInfo* outInfo) override;
    tresult activateBus(MediaType type, BusDirection dir, int32 index, TBool state) override;
    tresult setActive(TBool state) override;
    tresult setState(IBStream* state) override;
    tresult getState(IBStream* state) override;
    // IAudioProcessor
    tresult setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                               SpeakerArrangement* outputs, int32 numOuts) override;
    tresult getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement* arr) override;
    tresult canProcessSampleSize(int32 symbolicSampleSize) override;
    uint32 getLatencySamples() override;
    tresult setupProcessing(ProcessSetup* setup) override;
    tresult setProcessing(TBool state) override;
    tresult process(ProcessData* data) override;
    uint32 getTailSamples() override;
    // IProcessContextRequirements
    uint32 getProcessContextRequirements() override;
    // IConnectionPoint
    tresult connect(IConnectionPoint* other) override;
    tresult disconnect(IConnectionPoint* other) override;
    tresult notify(IMessage* message) override;

  private:
    void Release();
    void GatherChanges(IParameterChanges* changes, int32 frames);
    template <class Sample>
    void Render(AudioBusBuffers* in, AudioBusBuffers* out, int32 frames);

    std::unique_ptr<Vst3Phaser> effect_;
    std::unique_ptr<ParamTable> params_;
    std::unique_ptr<BlockPlugin> plugin_;
    ThreadRoles roles_{"vst3", "UI thread"};
};

}  // namespace tav::vst3
