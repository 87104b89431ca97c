#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "raster/png_loader.h"
#include "tests/raster/png_test_files.h"
#include "tests/raster/test_bitmaps.h"

namespace tav {
namespace {

// Pixel hashes (test::HashPixels) of every PngSuite image as decoded natively and
// checked there against libspng. Windows builds must decode the very same pixels.
const std::map<std::string, uint64_t> kGoldens = {
#include "tests/raster/png_suite_goldens.inc"
};

TEST(PngSuite, EveryImageDecodesToTheKnownPixels) {
    ASSERT_TRUE(test::HasDepsDir(test::kPngSuite));
    const auto files = test::PngSuiteFiles();
    ASSERT_GE(files.size(), 60u) << "PngSuite not found in " << test::PngSuiteDir();
    std::string table;
    int checked = 0;
    for (const std::string& path : files) {
        const std::string name = test::BaseName(path);
        const test::Bytes bytes = test::ReadFile(path);
        auto bitmap = DecodePngMemory(bytes.data(), bytes.size());
        ASSERT_NE(bitmap, nullptr) << name;
        const uint64_t hash = test::HashPixels(*bitmap);
        char line[128];
        std::snprintf(line, sizeof line, "    {\"%s\", 0x%016llxull},\n", name.c_str(),
                      static_cast<unsigned long long>(hash));
        table += line;
        const auto golden = kGoldens.find(name);
        if (golden == kGoldens.end()) {
            ADD_FAILURE() << "no golden for " << name;
            continue;
        }
        EXPECT_EQ(hash, golden->second) << name;
        ++checked;
    }
    EXPECT_EQ(checked, static_cast<int>(kGoldens.size()));
    if (HasFailure()) std::printf("current table:\n%s", table.c_str());
}

TEST(PngSuite, FileAndMemoryReadersAgree) {
    ASSERT_TRUE(test::HasDepsDir(test::kPngSuite));
    for (const std::string& path : test::PngSuiteFiles()) {
        const test::Bytes bytes = test::ReadFile(path);
        auto fromMemory = DecodePngMemory(bytes.data(), bytes.size());
        auto fromFile = LoadPngFile(path.c_str());
        ASSERT_NE(fromFile, nullptr) << path;
        ASSERT_NE(fromMemory, nullptr) << path;
        EXPECT_EQ(test::HashPixels(*fromFile), test::HashPixels(*fromMemory)) << path;
    }
}

}  // namespace
}  // namespace tav
