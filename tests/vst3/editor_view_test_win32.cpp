// Windows: where the face's user settings live, and the name of its reference pictures.
#include <windows.h>

#include "tests/vst3/editor_view_test.h"

namespace tav::vst3test {

const char* const kPlatformName = "windows";

void PointSettingsAt(const std::string& folder) {
    SetEnvironmentVariableA("APPDATA", folder.c_str());
}

}  // namespace tav::vst3test
