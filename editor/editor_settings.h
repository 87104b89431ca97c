// The user's own editor settings: a small text file in the user's configuration
// folder, shared by every instance and never part of a plug-in's saved state.
#pragma once

#include <string>
#include <string_view>
#if !defined(TAV_PLATFORM_WEB)
#include <filesystem>
#endif

namespace tav {

// Where the settings file is. The browser's module has no files (nor a C++ library
// that knows of them): the page keeps the scale, and the path stays empty.
#if defined(TAV_PLATFORM_WEB)
using SettingsFilePath = std::string;
#else
using SettingsFilePath = std::filesystem::path;
#endif

// The settings file: %APPDATA%\Qorva\Tavrellion\editor.txt on Windows,
// $XDG_CONFIG_HOME/Qorva/Tavrellion/editor.txt (default ~/.config) elsewhere; empty
// when the environment names no folder.
SettingsFilePath EditorSettingsPath();
// The folder alone (platform code); empty when the environment names none.
SettingsFilePath EditorSettingsFolder();

// The scale (100, 150, 200) a settings text chose; 0 for none or a damaged text.
int ParseScaleSetting(std::string_view text);
// Reads the scale from a settings file; 0 when it is missing, unreadable, damaged
// or too large to be ours.
int ReadScaleSetting(const SettingsFilePath& path);
// The scale an X resource database text (the X server's RESOURCE_MANAGER) asks for
// through Xft.dpi: 150 from 144 dpi, 200 from 192; 100 without one.
int ScaleForXResources(std::string_view resources);

// Writes the scale, making the folder first; false when that cannot be done. A path
// (not a narrow string) keeps a Windows profile folder with any name reachable.
bool WriteScaleSetting(const SettingsFilePath& path, int percent);

}  // namespace tav
