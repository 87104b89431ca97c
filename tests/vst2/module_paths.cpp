#include "tests/vst2/module_paths.h"

#include <cstdlib>

#ifndef TAV_TEST_MODULE_PATH
#define TAV_TEST_MODULE_PATH ""
#endif
#ifndef TAV_PRODUCT_MODULE_PATH
#define TAV_PRODUCT_MODULE_PATH ""
#endif

namespace tav {

std::string ModulePath(const std::string& which) {
    const bool test = which == "test";
    const char* path = std::getenv(test ? "TAV_TEST_MODULE" : "TAV_PRODUCT_MODULE");
    if (path != nullptr && path[0] != '\0') return path;
    return test ? TAV_TEST_MODULE_PATH : TAV_PRODUCT_MODULE_PATH;
}

}  // namespace tav
