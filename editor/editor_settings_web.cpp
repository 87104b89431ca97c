#include "editor/editor_settings.h"

namespace tav {

// A page keeps no settings file: the scale follows the screen (the page's choice),
// and a choice in the menu lasts as long as the page.
SettingsFilePath EditorSettingsPath() {
    return {};
}

SettingsFilePath EditorSettingsFolder() {
    return {};
}

int ReadScaleSetting(const SettingsFilePath&) {
    return 0;
}

bool WriteScaleSetting(const SettingsFilePath&, int) {
    return false;
}

}  // namespace tav
