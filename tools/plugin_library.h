// Loads a plug-in module (a shared library or DLL) and finds its entry point.
#pragma once

#include <string>

#include "vst2/vst2_abi.h"

namespace tav {

class PluginLibrary {
  public:
    PluginLibrary() = default;
    ~PluginLibrary() { Unload(); }
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Loads the module at path (UTF-8). On failure returns false and says why.
    bool Load(const std::string& path, std::string* error);
    void Unload();
    bool IsLoaded() const { return handle != nullptr; }

    // VSTPluginMain, or main for older modules; none if the module has neither.
    VstEntryProc FindEntry() const;
    // Any exported symbol by name; none if absent.
    void* Symbol(const char* name) const;

  private:
    void* handle = nullptr;
};

}  // namespace tav
