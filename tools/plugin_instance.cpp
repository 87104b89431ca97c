#include "tools/plugin_instance.h"

#include <cctype>

namespace tav {
namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

int PluginInstance::FindParam(const std::string& name) {
    const std::string wanted = Lower(name);
    for (int i = 0; i < NumParams(); ++i) {
        if (Lower(ParamName(i)) == wanted) return i;
    }
    return -1;
}

}  // namespace tav
