#include "vst3/module_exports.h"

#include <mutex>

#include "vst3/plugin_factory.h"

namespace tav::vst3 {
namespace {
std::mutex countLock;
int loadCount = 0;
}  // namespace

bool ModuleLoaded() {
    std::lock_guard<std::mutex> lock(countLock);
    ++loadCount;
    return true;
}

bool ModuleUnloaded() {
    std::lock_guard<std::mutex> lock(countLock);
    if (loadCount <= 0) return false;  // an unload without a load
    if (--loadCount == 0) ReleaseFactory();
    return true;
}

}  // namespace tav::vst3

extern "C" tav::vst3::IPluginFactory* GetPluginFactory() {
    return tav::vst3::AcquireFactory();
}
