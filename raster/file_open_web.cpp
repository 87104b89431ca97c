#include "raster/file_open.h"

namespace tav {

// A page has no files to open (and the module may import nothing to reach any).
std::FILE* OpenFileForReading(const char*) {
    return nullptr;
}

}  // namespace tav
