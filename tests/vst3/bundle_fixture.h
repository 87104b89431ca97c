// The VST 3 bundle as a host loads it: the binary through its real exports, a
// processor and a controller from its factory, set up for stereo processing.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/formats/vst3_host_objects.h"
#include "host/plugin_library.h"

namespace tav::vst3test {

using namespace tav::vst3;
using namespace tav::vst3host;

// Releases an interface pointer the plug-in handed over.
struct Releaser {
    void operator()(FUnknown* object) const {
        if (object != nullptr) object->release();
    }
};
template <class I>
using Owned = std::unique_ptr<I, Releaser>;

template <class I>
Owned<I> Query(FUnknown* object) {
    void* found = nullptr;
    if (object == nullptr || object->queryInterface(I::iid.Data(), &found) != kResultOk) {
        return Owned<I>();
    }
    return Owned<I>(static_cast<I*>(found));
}

// The bundle's binary, loaded once per test program.
class Bundle {
  public:
    static Bundle& Get();
    IPluginFactory* Factory() const { return factory_; }
    const std::string& Path() const { return path_; }
    std::string Error() const { return error_; }

  private:
    Bundle();
    PluginLibrary library_;
    IPluginFactory* factory_ = nullptr;
    std::string path_;
    std::string error_;
};

// One processor and its controller, initialised, connected and set up.
class Instance {
  public:
    static constexpr double kRate = 44100.0;
    static constexpr int kMaxBlock = 512;

    explicit Instance(int32 sampleSize = kSample32);
    ~Instance();

    IComponent* Component() const { return component_.get(); }
    IAudioProcessor* Processor() const { return processor_.get(); }
    IEditController* Controller() const { return controller_.get(); }
    RecordingHandler& Handler() { return handler_; }

    // Processes stereo blocks of input (interleaved by channel: in[c][f]); changes
    // are handed to the first block. Returns the process call's result.
    tresult Run(const std::vector<std::vector<float>>& in, std::vector<std::vector<float>>& out,
                ParamChanges* changes = nullptr, double tempo = 120.0);
    tresult Run64(const std::vector<std::vector<double>>& in, std::vector<std::vector<double>>& out,
                  ParamChanges* changes = nullptr);
    // A parameter-only call (no audio).
    tresult Flush(ParamChanges& changes);

    std::vector<uint8_t> State();
    tresult SetState(const std::vector<uint8_t>& bytes);

  private:
    HostApplication host_;
    RecordingHandler handler_;
    Owned<IComponent> component_;
    Owned<IAudioProcessor> processor_;
    Owned<IEditController> controller_;
    int64 position_ = 0;
};

// A stereo test signal: a chord of sines, the right side slowly tremolo-ed.
std::vector<std::vector<float>> TestSignal(int frames);

}  // namespace tav::vst3test
