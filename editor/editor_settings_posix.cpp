#include <cstdlib>

#include "editor/editor_settings.h"

namespace tav {

// $XDG_CONFIG_HOME, or ~/.config when it is unset or relative (XDG's rule: a
// relative configuration folder is to be ignored).
std::filesystem::path EditorSettingsFolder() {
    std::filesystem::path base;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] == '\0') return {};
        base = std::filesystem::path(home) / ".config";
    }
    return base / "Qorva" / "Tavrellion";
}

}  // namespace tav
