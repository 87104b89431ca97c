#include "editor/editor_settings.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace tav {
namespace {

// A settings file is a few lines; anything larger is not ours.
constexpr std::streamoff kMaxSettingsBytes = 4096;
constexpr std::string_view kScaleKey = "scale=";

}  // namespace

std::filesystem::path EditorSettingsPath() {
    const std::filesystem::path folder = EditorSettingsFolder();
    if (folder.empty()) return {};
    return folder / "editor.txt";
}

int ParseScaleSetting(std::string_view text) {
    int found = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.substr(0, kScaleKey.size()) != kScaleKey) continue;
        const std::string_view value = line.substr(kScaleKey.size());
        if (value == "100") {
            found = 100;
        } else if (value == "150") {
            found = 150;
        } else if (value == "200") {
            found = 200;
        } else {
            return 0;
        }
    }
    return found;
}

int ScaleForXResources(std::string_view resources) {
    constexpr std::string_view key = "Xft.dpi:";
    double dpi = 0;
    while (!resources.empty()) {
        const size_t end = resources.find('\n');
        std::string_view line = resources.substr(0, end);
        resources = end == std::string_view::npos ? std::string_view{} : resources.substr(end + 1);
        if (line.substr(0, key.size()) != key) continue;
        const std::string value(line.substr(key.size()));
        char* stop = nullptr;
        dpi = std::strtod(value.c_str(), &stop);
        // Only a screen's worth: no text, infinity or nonsense.
        if (stop == value.c_str() || !(dpi > 0 && dpi < 10000)) dpi = 0;
    }
    if (dpi >= 192) return 200;
    return dpi >= 144 ? 150 : 100;
}

int ReadScaleSetting(const std::filesystem::path& path) {
    if (path.empty()) return 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) return 0;
    std::string text(static_cast<size_t>(kMaxSettingsBytes) + 1, '\0');
    in.read(text.data(), kMaxSettingsBytes + 1);
    const std::streamsize got = in.gcount();
    if (got > kMaxSettingsBytes) return 0;
    text.resize(static_cast<size_t>(got));
    return ParseScaleSetting(text);
}

bool WriteScaleSetting(const std::filesystem::path& file, int percent) {
    if (file.empty() || (percent != 100 && percent != 150 && percent != 200)) return false;
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error) return false;
    // Written aside and moved over, so a reader never sees half a file.
    std::filesystem::path part = file;
    part += ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << kScaleKey << percent << '\n';
        if (!out.flush()) {
            out.close();
            std::filesystem::remove(part, error);
            return false;
        }
    }
    std::filesystem::rename(part, file, error);
    if (!error) return true;
    std::filesystem::remove(part, error);
    return false;
}

}  // namespace tav
