#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tav::test {

using Bytes = std::vector<uint8_t>;

// Folders of libpng's source under deps/, which ./run setup fetches.
inline constexpr const char* kPngSuite = "libpng/contrib/pngsuite";
inline constexpr const char* kLibpngTestImages = "libpng/contrib/testpngs";
inline constexpr const char* kLibpngCrashers = "libpng/contrib/testpngs/crashers";
std::string DepsDir(const std::string& relative);
// Whether a folder of deps/ is there, saying how to fetch it when not. Tests that
// read from deps/ assert it first: without it they would crash or pass on no files.
::testing::AssertionResult HasDepsDir(const std::string& relative);

std::string PngSuiteDir();
// Every *.png of the suite (top folder and interlaced/), as paths, sorted.
std::vector<std::string> PngSuiteFiles();
std::string BaseName(const std::string& path);
Bytes ReadFile(const std::string& path);

// A PNG from raw filtered scanlines (each row led by its filter byte).
Bytes BuildPng(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colourType,
               const Bytes& scanlines);

// Sets the IHDR fields at byte offsets 16 (width), 20 (height), 24 (depth), 25 (colour
// type) and recomputes the chunk's checksum, so the change is what libpng sees.
void PatchHeader(Bytes& png, size_t offset, const Bytes& value);

struct CorruptImage {
    std::string name;
    Bytes bytes;
};
// Damaged variants of suite images, one per kind of damage PngSuite's x-series covers.
std::vector<CorruptImage> CorruptImages();

}  // namespace tav::test
