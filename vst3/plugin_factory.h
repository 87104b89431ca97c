// The module's factory: one processor class and one controller class.
#pragma once

#include "vst3/com_object.h"

namespace tav::vst3 {

class PluginFactory final : public RefCounted, public IPluginFactory3 {
  public:
    static constexpr int32 kClassCount = 2;

    tresult queryInterface(const TUID iid, void** obj) override;
    TAV_VST3_REFCOUNT

    tresult getFactoryInfo(PFactoryInfo* info) override;
    int32 countClasses() override { return kClassCount; }
    tresult getClassInfo(int32 index, PClassInfo* info) override;
    tresult createInstance(FIDString cid, FIDString iid, void** obj) override;
    tresult getClassInfo2(int32 index, PClassInfo2* info) override;
    tresult getClassInfoUnicode(int32 index, PClassInfoW* info) override;
    tresult setHostContext(FUnknown* context) override;

  private:
    HostRef<FUnknown> context_;
};

// The one factory of the module; each call hands the caller a reference.
IPluginFactory* AcquireFactory();
// Drops the module's own reference (at unload).
void ReleaseFactory();

}  // namespace tav::vst3
