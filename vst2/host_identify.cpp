#include "vst2/host_identify.h"

#include <cctype>
#include <cstring>

namespace tav {
namespace {

struct KnownHost {
    const char* name;
    int32_t id;
};

// Order matters: the first name found wins, so "cubase" beats everything and
// "live" only counts when no earlier name is present.
constexpr KnownHost kKnownHosts[] = {
    {"cubase", 3},      {"reaper", 1},   {"nuendo", 4},      {"cakewalk", 5},   {"samplitude", 8},
    {"fruity", 7},      {"live", 9},     {"melodyne", 12},   {"vstmanlib", 13}, {"aulab", 14},
    {"forte", 15},      {"chainer", 16}, {"audition", 17},   {"orion", 18},     {"sawstudio", 20},
    {"logic", 21},      {"digital", 22}, {"audiomulch", 23}, {"presonus", 24},  {"acoustica", 25},
    {"garageband", 26}, {"ardour", 27},
};

}  // namespace

int32_t IdentifyHost(const char* productString) {
    if (productString == nullptr) return 0;
    char lower[256];
    size_t n = 0;
    for (; productString[n] != '\0' && n + 1 < sizeof lower; ++n) {
        lower[n] = static_cast<char>(std::tolower(static_cast<unsigned char>(productString[n])));
    }
    lower[n] = '\0';
    for (const KnownHost& host : kKnownHosts) {
        if (std::strstr(lower, host.name) != nullptr) return host.id;
    }
    return 0;
}

int32_t PackHostVersion(int64_t v) {
    // A negative or absurd answer is no version at all.
    if (v < 0 || v > 327679999) return 0;
    const int64_t major = v / 10000;
    const int64_t minor = (v % 10000) / 100;
    const int64_t patch = v % 100;
    return static_cast<int32_t>(major * 65536 + minor * 256 + patch);
}

}  // namespace tav
