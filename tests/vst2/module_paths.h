// Where the built modules are: an environment variable, else the path compiled in.
#pragma once

#include <string>

namespace tav {

// which: "test" (the adapter's test module) or "product"; empty when not built.
std::string ModulePath(const std::string& which);

}  // namespace tav
