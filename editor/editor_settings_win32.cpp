#include <windows.h>

#include "editor/editor_settings.h"

namespace tav {

// The roaming application data folder the user's profile names (read from the
// process environment itself, which every runtime in the process shares).
std::filesystem::path EditorSettingsFolder() {
    wchar_t appData[MAX_PATH * 2];
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH * 2);
    if (length == 0 || length >= MAX_PATH * 2) return {};
    return std::filesystem::path(appData) / "Qorva" / "Tavrellion";
}

}  // namespace tav
