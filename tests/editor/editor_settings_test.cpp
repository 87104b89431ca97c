// The user's editor settings file and the screen's scale from X resources.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/editor_link.h"
#include "editor/editor_settings.h"

namespace tav {
namespace {

namespace fs = std::filesystem;

class EditorSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("tav-settings-" +
                  std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        file = folder / "Qorva" / "Tavrellion" / "editor.txt";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(folder, ignored);
    }
    void Write(const std::string& bytes) {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }
    fs::path folder, file;
};

TEST_F(EditorSettingsTest, ScaleRoundTripsThroughANewFolder) {
    EXPECT_EQ(ReadScaleSetting(file), 0) << "missing";
    for (const int percent : {150, 200, 100}) {
        ASSERT_TRUE(WriteScaleSetting(file, percent));
        EXPECT_EQ(ReadScaleSetting(file), percent);
    }
    EXPECT_FALSE(fs::exists(file.string() + ".part"));
    EXPECT_FALSE(WriteScaleSetting(file, 175)) << "not a scale of ours";
    EXPECT_EQ(ReadScaleSetting(file), 100);
}

TEST_F(EditorSettingsTest, DamagedFilesMeanNoChoice) {
    struct Case {
        const char* what;
        std::string bytes;
        int expected;
    };
    const Case cases[] = {
        {"ours, Windows line ends", "scale=150\r\n", 150},
        {"other keys are skipped", "theme=dark\nscale=200\n", 200},
        {"empty", "", 0},
        {"garbage", "\x89PNG\r\n\x1a\n\xff\xfe", 0},
        {"a scale we do not have", "scale=175\n", 0},
        {"a number with more after it", "scale=150%\n", 0},
        {"space before the value", "scale= 150\n", 0},
        {"a good line after a bad one", "scale=abc\nscale=150\n", 0},
        {"huge", "scale=200\n" + std::string(1 << 20, '#'), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Write(c.bytes);
        EXPECT_EQ(ReadScaleSetting(file), c.expected);
    }
    fs::remove(file);
    fs::create_directories(file);
    EXPECT_EQ(ReadScaleSetting(file), 0) << "a folder where the file should be";
    EXPECT_FALSE(WriteScaleSetting(file, 150));
    EXPECT_EQ(ReadScaleSetting(fs::path()), 0);
    EXPECT_FALSE(WriteScaleSetting(fs::path(), 150));
}

TEST_F(EditorSettingsTest, FolderThatCannotBeMadeRefusesTheWrite) {
    fs::create_directories(folder);
    std::ofstream(folder / "Qorva") << "a file where the folder should be";
    EXPECT_FALSE(WriteScaleSetting(file, 200));
    EXPECT_EQ(ReadScaleSetting(file), 0);
}

#ifndef _WIN32
// Windows has no owner-only write permission that keeps its owner out.
TEST_F(EditorSettingsTest, UnwritableFolderRefusesAndKeepsTheOldChoice) {
    ASSERT_TRUE(WriteScaleSetting(file, 150));
    fs::permissions(file.parent_path(), fs::perms::owner_write, fs::perm_options::remove);
    if (std::ofstream(file.parent_path() / "probe")) GTEST_SKIP() << "running as root";
    EXPECT_FALSE(WriteScaleSetting(file, 200));
    EXPECT_EQ(ReadScaleSetting(file), 150);
    fs::permissions(file.parent_path(), fs::perms::owner_write, fs::perm_options::add);
}
#endif

TEST(ScreenScale, XftDpiPicksTheScale) {
    struct Case {
        const char* resources;
        int expected;
    };
    const Case cases[] = {
        {"", 100},
        {"Xft.antialias:\t1\nXft.dpi:\t96\n", 100},
        {"Xft.dpi:\t143.9\n", 100},
        {"Xft.dpi:\t144\n", 150},
        {"Xft.dpi:\t191\n", 150},
        {"Xft.dpi:\t192\n", 200},
        {"Xft.dpi:\t288\nXcursor.size:\t48\n", 200},
        {"Xft.dpi:\tlarge\n", 100},
        {"Xft.dpi:\t-200\n", 100},
        {"Xft.dpi:\tinf\n", 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScaleForXResources(c.resources), c.expected) << c.resources;
}

TEST(ScreenScale, HostFactorsRoundToOurScalesOrAreRefused) {
    struct Case {
        double factor;
        int expected;
    };
    const Case cases[] = {
        {1.0, 100},  {1.24, 100}, {1.25, 150}, {1.5, 150},        {1.74, 150},
        {1.75, 200}, {2.0, 200},  {3.0, 200},  {0.5, 100},        {0.0, 0},
        {-1.0, 0},   {1e9, 0},    {8.5, 0},    {std::nan(""), 0}, {-std::nan(""), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(NearestEditorScale(c.factor), c.expected) << c.factor;
}

}  // namespace
}  // namespace tav
