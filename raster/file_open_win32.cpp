#include <windows.h>

#include <cstdio>
#include <vector>

#include "raster/file_open.h"

namespace tav {

std::FILE* OpenFileForReading(const char* utf8Path) {
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path, -1, nullptr, 0);
    if (length > 0) {
        std::vector<wchar_t> wide(static_cast<size_t>(length));
        if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path, -1, wide.data(), length) >
            0) {
            if (std::FILE* file = _wfopen(wide.data(), L"rb")) return file;
        }
    }
    // Not valid UTF-8, or not found that way: try the name as the ANSI code page reads it.
    return std::fopen(utf8Path, "rb");
}

}  // namespace tav
