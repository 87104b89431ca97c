#pragma once

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

}  // namespace tav
