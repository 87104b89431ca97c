#pragma once

#include <cstdio>

namespace tav {

// fopen for a UTF-8 path in binary read mode; Windows needs the UTF-16 form for
// names outside the ANSI code page.
std::FILE* OpenFileForReading(const char* utf8Path);

}  // namespace tav
