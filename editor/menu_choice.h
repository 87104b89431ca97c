#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tav {

// A choice of the effect's own that the face's menu offers below the scales: a
// heading over its options, the current one checked. The editor knows nothing of
// what it sets; both functions are called under the core lock, for a short step.
struct MenuChoice {
    std::string heading;
    std::vector<std::string> options;
    std::function<int()> current;     // the checked option
    std::function<void(int)> choose;  // the user picked another option
};

// An entry another party puts into the face's menu below the effect's choices (a
// host's own); a submenu shows as a heading over its entries.
struct MenuExtraEntry {
    enum class Kind : uint8_t { Entry, Heading, Separator };
    Kind kind = Kind::Entry;
    std::string label;
    bool enabled = true;
    bool checked = false;
    uint32_t action = 0;
};

struct MenuExtras {
    // Asked as a right click may open the menu, outside the core lock, on the
    // thread the window's events come on.
    std::function<std::vector<MenuExtraEntry>()> gather;
    // The user picked an enabled entry; outside the core lock.
    std::function<void(uint32_t action)> perform;
};

}  // namespace tav
