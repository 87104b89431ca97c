#include "raster/file_open.h"

namespace tav {

std::FILE* OpenFileForReading(const char* utf8Path) {
    return std::fopen(utf8Path, "rb");
}

}  // namespace tav
