// Loads a plug-in module (a shared library or DLL) and finds its entry points.
#pragma once

#include <string>

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

    // A VST 2 module's entry point: VSTPluginMain, or main for older modules; none if
    // the module has neither. The VST 2 host side gives it its type.
    void* FindEntry() const;
    // Any exported symbol by name; none if absent.
    void* Symbol(const char* name) const;

    // VST 3: the binary a bundle folder keeps for this platform
    // (Contents/x86_64-linux/NAME.so, Contents/x86_64-win/NAME.vst3); any
    // other path is the binary itself and comes back as it is.
    static std::string Vst3Binary(const std::string& path);
    // The call loaders make after loading a VST 3 binary (ModuleEntry on Linux,
    // where it is required; InitDll on Windows, if there is one), and the one
    // before unloading it. Exit only follows an Enter that succeeded.
    bool EnterVst3(std::string* error);
    void ExitVst3();

  private:
    // bundle/Contents/folder/NAME.extension, NAME being the bundle's without ".vst3".
    static std::string BinaryInBundle(std::string bundle, const std::string& folder,
                                      const char* extension);

    // The platform's own loading: the module, or none with the reason.
    static void* Open(const std::string& path, std::string* why);
    static void Close(void* module);

    void* handle = nullptr;
    void* vst3Exit = nullptr;  // what ExitVst3 calls, once EnterVst3 succeeded
};

}  // namespace tav
