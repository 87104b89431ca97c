// What an instance costs once a host has made it and set it up, before any audio:
// a large session opens hundreds, most of them idle. A hundred of each format,
// made through the entry points a host calls, and the heap they hold between them.
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>
#include <malloc.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "clap/clap_abi.h"
#include "host/formats/clap_host_objects.h"
#include "host/formats/vst3_host_objects.h"
#include "host/plugin_library.h"
#include "vst2/vst2_abi.h"
#include "vst3/class_ids.h"

namespace tav {
namespace {

constexpr int kInstances = 100;
constexpr int64_t kMaxBytesPerInstance = 128 * 1024;
constexpr double kRate = 44100.0;
constexpr int32_t kMaxBlock = 512;

// Bytes the heap has handed out, blocks mapped on their own included.
int64_t HeapBytes() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<int64_t>(info.uordblks + info.hblkhd);
}

// One format's instances, made as its hosts make them and set up for kRate and
// blocks of up to kMaxBlock frames; closed again when the maker goes. The host
// side allocates nothing per instance, so the heap grows by the plug-in's share.
class Maker {
  public:
    explicit Maker(const char* path) { loaded_ = library_.Load(path, &error_); }
    virtual ~Maker() = default;
    virtual bool Add() = 0;
    std::string Error() const { return loaded_ ? "" : error_; }

  protected:
    PluginLibrary library_;
    bool loaded_ = false;
    std::string error_ = "no entry point";
};

VstIntPtr QuietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

class Vst2Maker final : public Maker {
  public:
    Vst2Maker() : Maker(TAV_VST2_MODULE) {
        loaded_ = loaded_ && library_.FindEntry() != nullptr;
        effects_.reserve(kInstances + 1);
    }
    ~Vst2Maker() override {
        for (AEffect* effect : effects_) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    bool Add() override {
        AEffect* effect = reinterpret_cast<VstEntryProc>(library_.FindEntry())(QuietHost);
        if (effect == nullptr) return false;
        effects_.push_back(effect);
        effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
        effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
        effect->dispatcher(effect, effSetBlockSize, 0, kMaxBlock, nullptr, 0.0f);
        effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
        return true;
    }
    std::vector<AEffect*> effects_;
};

class Vst3Maker final : public Maker {
  public:
    Vst3Maker() : Maker(TAV_VST3_BINARY) {
        loaded_ = loaded_ && library_.EnterVst3(&error_);
        auto get = reinterpret_cast<vst3::GetFactoryProc>(library_.Symbol("GetPluginFactory"));
        factory_ = loaded_ && get != nullptr ? get() : nullptr;
        loaded_ = factory_ != nullptr;
        objects_.reserve(2 * kInstances + 2);
    }
    ~Vst3Maker() override {
        for (vst3::IPluginBase* object : objects_) {
            object->terminate();
            object->release();
        }
    }
    template <class I>
    I* Create(const vst3::TUID cid) {
        void* object = nullptr;
        factory_->createInstance(cid, I::iid.Data(), &object);
        if (object != nullptr) objects_.push_back(static_cast<I*>(object));
        return static_cast<I*>(object);
    }
    bool Add() override {
        auto* component = Create<vst3::IComponent>(vst3::kProcessorCid.Data());
        auto* controller = Create<vst3::IEditController>(vst3::kControllerCid.Data());
        void* found = nullptr;
        if (component == nullptr || controller == nullptr ||
            component->queryInterface(vst3::IAudioProcessor::iid.Data(), &found) != vst3::kResultOk)
            return false;
        auto* processor = static_cast<vst3::IAudioProcessor*>(found);
        component->initialize(&host_);
        controller->initialize(&host_);
        vst3::SpeakerArrangement stereo = vst3::kStereo;
        processor->setBusArrangements(&stereo, 1, &stereo, 1);
        vst3::ProcessSetup setup{vst3::kRealtime, vst3::kSample32, kMaxBlock, kRate};
        const bool ok = processor->setupProcessing(&setup) == vst3::kResultOk &&
                        component->setActive(1) == vst3::kResultOk;
        processor->release();
        return ok;
    }
    vst3host::HostApplication host_;
    vst3::IPluginFactory* factory_ = nullptr;
    std::vector<vst3::IPluginBase*> objects_;
};

class ClapMaker final : public Maker {
  public:
    ClapMaker() : Maker(TAV_CLAP_MODULE) {
        entry_ = static_cast<const clap::clap_plugin_entry*>(library_.Symbol("clap_entry"));
        loaded_ = loaded_ && entry_ != nullptr && entry_->init(TAV_CLAP_MODULE);
        if (loaded_)
            factory_ = static_cast<const clap::clap_plugin_factory*>(
                entry_->get_factory(clap::CLAP_PLUGIN_FACTORY_ID));
        loaded_ = factory_ != nullptr;
        plugins_.reserve(kInstances + 1);
    }
    ~ClapMaker() override {
        for (const clap::clap_plugin* plugin : plugins_) {
            plugin->deactivate(plugin);
            plugin->destroy(plugin);
        }
        if (factory_ != nullptr) entry_->deinit();
    }
    bool Add() override {
        const clap::clap_plugin* plugin = factory_->create_plugin(
            factory_, host_.Record(), factory_->get_plugin_descriptor(factory_, 0)->id);
        if (plugin == nullptr) return false;
        plugins_.push_back(plugin);
        return plugin->init(plugin) && plugin->activate(plugin, kRate, 1, kMaxBlock);
    }
    claphost::Host host_;
    const clap::clap_plugin_entry* entry_ = nullptr;
    const clap::clap_plugin_factory* factory_ = nullptr;
    std::vector<const clap::clap_plugin*> plugins_;
};

class Lv2Maker final : public Maker {
  public:
    Lv2Maker() : Maker(TAV_LV2_BINARY) {
        using Entry = const LV2_Descriptor* (*)(uint32_t);
        auto entry = reinterpret_cast<Entry>(library_.Symbol("lv2_descriptor"));
        descriptor_ = loaded_ && entry != nullptr ? entry(0) : nullptr;
        loaded_ = descriptor_ != nullptr;
        options_[0] = {LV2_OPTIONS_INSTANCE,
                       0,
                       Map(this, LV2_BUF_SIZE__maxBlockLength),
                       sizeof kMaxBlock,
                       Map(this, LV2_ATOM__Int),
                       &kMaxBlock};
        handles_.reserve(kInstances + 1);
    }
    ~Lv2Maker() override {
        for (LV2_Handle handle : handles_) {
            descriptor_->deactivate(handle);
            descriptor_->cleanup(handle);
        }
    }
    bool Add() override {
        LV2_Handle handle = descriptor_->instantiate(descriptor_, kRate, "", features_);
        if (handle == nullptr) return false;
        handles_.push_back(handle);
        descriptor_->activate(handle);
        return true;
    }
    // Every URI the plug-in maps is known after the first instance: no growth later.
    static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri) {
        auto& uris = static_cast<Lv2Maker*>(handle)->uris_;
        for (size_t i = 0; i < uris.size(); ++i)
            if (uris[i] == uri) return static_cast<LV2_URID>(i + 1);
        uris.emplace_back(uri);
        return static_cast<LV2_URID>(uris.size());
    }
    std::vector<std::string> uris_;
    LV2_URID_Map map_{this, Map};
    LV2_Options_Option options_[2] = {};
    const LV2_Feature mapFeature_{LV2_URID__map, &map_};
    const LV2_Feature optionsFeature_{LV2_OPTIONS__options, options_};
    const LV2_Feature* features_[3] = {&mapFeature_, &optionsFeature_, nullptr};
    const LV2_Descriptor* descriptor_ = nullptr;
    std::vector<LV2_Handle> handles_;
};

struct Format {
    const char* name;
    std::unique_ptr<Maker> (*make)();
};
void PrintTo(const Format& format, std::ostream* out) {
    *out << format.name;
}
template <class M>
std::unique_ptr<Maker> Make() {
    return std::make_unique<M>();
}

class IdleMemory : public ::testing::TestWithParam<Format> {};

TEST_P(IdleMemory, HundredIdleInstancesStaySmall) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's own memory hides the instances'";
#endif
    std::unique_ptr<Maker> maker = GetParam().make();
    ASSERT_EQ(maker->Error(), "");
    // The first instance pays for what the module makes once and keeps: not counted.
    ASSERT_TRUE(maker->Add());
    const int64_t before = HeapBytes();
    for (int i = 0; i < kInstances; ++i) ASSERT_TRUE(maker->Add()) << i;
    const int64_t perInstance = (HeapBytes() - before) / kInstances;
    std::cout << GetParam().name << ": " << perInstance << " bytes of heap per idle instance\n";
    RecordProperty("HeapBytesPerInstance", static_cast<int>(perInstance));
    EXPECT_LE(perInstance, kMaxBytesPerInstance);
}

INSTANTIATE_TEST_SUITE_P(Formats, IdleMemory,
                         ::testing::Values(Format{"VST2", Make<Vst2Maker>},
                                           Format{"VST3", Make<Vst3Maker>},
                                           Format{"CLAP", Make<ClapMaker>},
                                           Format{"LV2", Make<Lv2Maker>}),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace tav
