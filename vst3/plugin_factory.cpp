#include "vst3/plugin_factory.h"

#include <cstring>
#include <mutex>
#include <new>

#include "core/number_text.h"
#include "effect/phaser_setup.h"
#include "vst3/class_ids.h"
#include "vst3/controller.h"
#include "vst3/processor.h"
#include "vst3/utf16_text.h"

#ifndef TAV_VERSION_STRING
#error "the build defines TAV_VERSION_STRING"
#endif

namespace tav::vst3 {
namespace {

constexpr const char* kName = "Tavrellion";
constexpr const char* kVendor = "Qorva";
constexpr const char* kUrl = kProductWebPage;
constexpr const char* kSubCategories = "Fx|Modulation";
constexpr uint32 kDistributable = 1 << 0;

struct ClassFacts {
    const Uid* cid;
    const char* category;
    uint32 flags;
    const char* subCategories;
};

const ClassFacts kClasses[PluginFactory::kClassCount] = {
    {&kProcessorCid, kAudioEffectClass, kDistributable, kSubCategories},
    {&kControllerCid, kComponentControllerClass, 0, ""},
};

const ClassFacts* ClassAt(int32 index) {
    return index >= 0 && index < PluginFactory::kClassCount ? &kClasses[index] : nullptr;
}

template <class Info>
void FillCommon(const ClassFacts& facts, Info& info) {
    facts.cid->CopyTo(info.cid);
    info.cardinality = kManyInstances;
    CopyText(info.category, sizeof info.category, facts.category);
}

std::mutex factoryLock;
PluginFactory* factory = nullptr;

}  // namespace

tresult PluginFactory::queryInterface(const TUID iid, void** obj) {
    return QueryWith(iid, obj, [&](const TUID wanted) -> FUnknown* {
        if (FUnknown::iid.Matches(wanted) || IPluginFactory::iid.Matches(wanted) ||
            IPluginFactory2::iid.Matches(wanted) || IPluginFactory3::iid.Matches(wanted)) {
            return static_cast<IPluginFactory3*>(this);
        }
        return nullptr;
    });
}

tresult PluginFactory::getFactoryInfo(PFactoryInfo* info) {
    if (info == nullptr) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    CopyText(info->vendor, sizeof info->vendor, kVendor);
    CopyText(info->url, sizeof info->url, kUrl);
    info->flags = PFactoryInfo::kUnicode;
    return kResultOk;
}

tresult PluginFactory::getClassInfo(int32 index, PClassInfo* info) {
    const ClassFacts* facts = ClassAt(index);
    if (info == nullptr || facts == nullptr) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    FillCommon(*facts, *info);
    CopyText(info->name, sizeof info->name, kName);
    return kResultOk;
}

tresult PluginFactory::getClassInfo2(int32 index, PClassInfo2* info) {
    const ClassFacts* facts = ClassAt(index);
    if (info == nullptr || facts == nullptr) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    FillCommon(*facts, *info);
    CopyText(info->name, sizeof info->name, kName);
    info->classFlags = facts->flags;
    CopyText(info->subCategories, sizeof info->subCategories, facts->subCategories);
    CopyText(info->vendor, sizeof info->vendor, kVendor);
    CopyText(info->version, sizeof info->version, TAV_VERSION_STRING);
    CopyText(info->sdkVersion, sizeof info->sdkVersion, kSdkVersionString);
    return kResultOk;
}

tresult PluginFactory::getClassInfoUnicode(int32 index, PClassInfoW* info) {
    const ClassFacts* facts = ClassAt(index);
    if (info == nullptr || facts == nullptr) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    FillCommon(*facts, *info);
    ToUtf16(kName, info->name, 64);
    info->classFlags = facts->flags;
    CopyText(info->subCategories, sizeof info->subCategories, facts->subCategories);
    ToUtf16(kVendor, info->vendor, 64);
    ToUtf16(TAV_VERSION_STRING, info->version, 64);
    ToUtf16(kSdkVersionString, info->sdkVersion, 64);
    return kResultOk;
}

tresult PluginFactory::createInstance(FIDString cid, FIDString iid, void** obj) {
    if (obj == nullptr) return kInvalidArgument;
    *obj = nullptr;
    if (cid == nullptr || iid == nullptr) return kInvalidArgument;
    FUnknown* object = nullptr;
    if (kProcessorCid.Matches(cid)) {
        object = static_cast<IComponent*>(new (std::nothrow) Processor());
    } else if (kControllerCid.Matches(cid)) {
        object = static_cast<IEditController*>(new (std::nothrow) Controller());
    } else {
        return kNoInterface;
    }
    if (object == nullptr) return kOutOfMemory;
    const tresult result = object->queryInterface(iid, obj);
    object->release();  // the caller holds the only reference now, or none
    return result;
}

tresult PluginFactory::setHostContext(FUnknown* context) {
    context_.Reset(context);
    return kResultOk;
}

IPluginFactory* AcquireFactory() {
    std::lock_guard<std::mutex> lock(factoryLock);
    if (factory == nullptr) {
        factory = new (std::nothrow) PluginFactory();
        if (factory == nullptr) return nullptr;
    }
    factory->addRef();  // the caller's; the module keeps its own
    return factory;
}

void ReleaseFactory() {
    std::lock_guard<std::mutex> lock(factoryLock);
    if (factory != nullptr) factory->release();
    factory = nullptr;
}

}  // namespace tav::vst3
