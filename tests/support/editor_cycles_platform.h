// What the process holds that editor cycles could leak (one file per platform).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tav::test {

using ResourceCounts = std::vector<std::pair<std::string, long>>;
ResourceCounts CountResources();
void ExpectNoGrowth(const ResourceCounts& before);

}  // namespace tav::test
