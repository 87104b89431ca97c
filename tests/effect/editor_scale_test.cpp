// The face at 100, 150 and 200 %: input at a control's scaled place reaches it, a
// drag keeps its length in editor units, the larger skin is drawn pixel for pixel,
// and the menu on the bare face: its scales and the effect's Sweep Sync.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "editor/editor_settings.h"
#include "effect/editor_layout.h"
#include "effect/phaser_params.h"
#include "tests/effect/editor_face_util.h"

namespace tav {
namespace {

constexpr MouseMods kLeft{true, false, false, false, false};
constexpr MouseMods kRight{false, true, false, false, false};

// Where an editor coordinate lands at a scale.
int Scaled(int units, int percent) {
    return (units * percent + 50) / 100;
}

class ScaledFaceTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("tav-scale-" +
                  std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        Surface().SetSettingsPath(folder / "editor.txt");
        Surface().SetScalePercent(GetParam());
        Surface().RepaintChanged();
    }
    void TearDown() override {
        FreeEditorCaches();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    HeadlessSurface& Surface() { return effect.Surface(); }
    int At(int units) const { return Scaled(units, GetParam()); }
    double Unit(int index) { return effect.Param(index)->CurrentUnit(); }
    void Click(int units_x, int units_y, MouseMods mods = kLeft) {
        Surface().PressAt(At(units_x), At(units_y), mods);
        Surface().ReleaseAt(At(units_x), At(units_y), mods);
        Surface().RepaintChanged();
    }

    test::FaceEffect effect;
    std::filesystem::path folder;
};

TEST_P(ScaledFaceTest, CanvasAndWindowTakeTheScaledSize) {
    EXPECT_EQ(Surface().Width(), At(kEditorWidth));
    EXPECT_EQ(Surface().Height(), At(kEditorHeight));
    ASSERT_NE(Surface().Canvas(), nullptr);
    EXPECT_EQ(Surface().Canvas()->Width(), At(kEditorWidth));
    EXPECT_EQ(Surface().Canvas()->Height(), At(kEditorHeight));
}

// The background is the larger skin itself, not the 1x one stretched.
TEST_P(ScaledFaceTest, BareFaceIsTheSkinOfItsScale) {
    const int offset = GetParam() == 150 ? 50 : GetParam() == 200 ? 100 : 0;
    const auto skin = LoadPngResource(nullptr, SkinBackground + offset);
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->Width(), At(kEditorWidth));
    // Away from every control: the lower left corner and the gap between the panels.
    for (const PixelRect units : {PixelRect{0, 290, 40, 335}, PixelRect{300, 270, 330, 300}}) {
        const PixelRect r{At(units.left), At(units.top), At(units.right), At(units.bottom)};
        EXPECT_EQ(test::CountDiffering(*Surface().Canvas(), *skin, r), 0);
    }
}

TEST_P(ScaledFaceTest, ClicksHitTheControlAtItsScaledPlace) {
    struct Case {
        int x, y;
        int param;
        double unit;
    };
    // Row 164 is the shared edge of the first two accent options: it belongs to the
    // lower one at every scale, the row above it to the upper one.
    const Case cases[] = {
        {260, 200, ParamAccent, 1.0},       {260, 164, ParamAccent, 0.5},
        {260, 163, ParamAccent, 0.0},       {260, 240, ParamFilterMirror, 1.0},
        {260, 240, ParamFilterMirror, 0.0},
    };
    effect.ApplyHostParamChange(ParamFilterMirror, 0.0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.y);
        Click(c.x, c.y);
        EXPECT_EQ(Unit(c.param), c.unit);
    }
}

TEST_P(ScaledFaceTest, DragOf284EditorUnitsCrossesAKnobsRange) {
    for (const int units : {284, 142}) {
        SCOPED_TRACE(units);
        const KnobPlacement& k = kKnobPlacements[0];
        effect.ApplyHostParamChange(k.paramIndex, 0.0);
        Surface().PressAt(At(k.centreX), At(k.centreY), kLeft);
        for (int i = 1; i <= 20; ++i)
            Surface().DragTo(At(k.centreX), At(k.centreY) - At(units) * i / 20, kLeft);
        Surface().ReleaseAt(At(k.centreX), At(k.centreY) - At(units), kLeft);
        EXPECT_NEAR(Unit(k.paramIndex), units / 284.0, 4e-3);
    }
}

TEST_P(ScaledFaceTest, MenuOnTheBareFacePicksAScaleAndRemembersIt) {
    // A right click on a knob is the knob's (its value box), not the menu.
    Click(51, 152, kRight);
    EXPECT_FALSE(Surface().ScaleMenuOpen());
    Surface().calls.clear();
    const auto before = test::CopyOf(*Surface().Canvas());
    Click(10, 320, kRight);
    ASSERT_TRUE(Surface().ScaleMenuOpen());
    const PixelRect menu = Surface().ScaleMenuRect();
    EXPECT_TRUE(menu.left >= 0 && menu.bottom <= kEditorHeight) << "inside the face";
    // The menu is drawn over the face.
    const PixelRect drawn{At(menu.left), At(menu.top), At(menu.right), At(menu.bottom)};
    EXPECT_GT(test::CountDiffering(*Surface().Canvas(), *before, drawn), drawn.Width());

    const int pick = GetParam() == 200 ? 0 : 2;  // another scale than the current one
    const PixelRect row = Surface().ScaleMenuRow(pick);
    Click((row.left + row.right) / 2, (row.top + row.bottom) / 2);
    const int chosen = kEditorScales[pick];
    EXPECT_FALSE(Surface().ScaleMenuOpen());
    EXPECT_EQ(Surface().ScalePercent(), chosen);
    EXPECT_EQ(Surface().Canvas()->Width(), Scaled(kEditorWidth, chosen));
    EXPECT_EQ(ReadScaleSetting(folder / "editor.txt"), chosen);
    EXPECT_TRUE(Surface().calls.empty()) << "the clicks reached no control";

    // A press beside the rows closes the menu and changes nothing.
    Surface().PressAt(Scaled(10, chosen), Scaled(320, chosen), kRight);
    Surface().ReleaseAt(Scaled(10, chosen), Scaled(320, chosen), kRight);
    ASSERT_TRUE(Surface().ScaleMenuOpen());
    Surface().PressAt(Scaled(300, chosen), Scaled(20, chosen), kLeft);
    Surface().ReleaseAt(Scaled(300, chosen), Scaled(20, chosen), kLeft);
    EXPECT_FALSE(Surface().ScaleMenuOpen());
    EXPECT_EQ(Surface().ScalePercent(), chosen);
    EXPECT_TRUE(test::CallsOf(Surface(), "web ").empty()) << "the press only closed the menu";
}

// Sweep Sync under the scales: a click on the other option switches it, the host
// hears of it, and the check mark (with the row's highlight) moves along.
// Sweep Sync and Glide below the scales: a click toggles the setting, tells the host
// once, and the check mark follows.
TEST_P(ScaledFaceTest, SettingsInTheMenuToggleAndTheirCheckMarksMove) {
    ASSERT_EQ(Surface().MenuChoiceCount(), kExtraSettingCount);
    // A pixel of the tick's short stroke, and one at the row's right end.
    const auto checked = [&](const PixelRect& row) {
        return test::PixelAt(*Surface().Canvas(), At(row.left + 8), At(row.top + 13)) ==
               0xFFE6E6E6u;
    };
    const auto highlighted = [&](const PixelRect& row) {
        return test::PixelAt(*Surface().Canvas(), At(row.right - 3), At(row.top + 2)) ==
               0xFF3C5C8Cu;
    };
    for (int setting = 0; setting < kExtraSettingCount; ++setting) {
        // From the default to the other step, again (no news), and back.
        const int other = 1 - kExtraSettings[setting].defaultStep;
        const std::string told = "setting " + std::to_string(setting) + " ";
        const struct {
            int option;
            std::vector<std::string> events;
        } steps[] = {
            {other, {told + (other == 1 ? "1.000000" : "0.000000")}},
            {other, {}},
            {1 - other, {told + (other == 1 ? "0.000000" : "1.000000")}},
        };
        for (const auto& step : steps) {
            SCOPED_TRACE(std::to_string(setting) + " to " + std::to_string(step.option));
            const int before = SettingStep(effect.SettingValue(setting));
            Click(10, 320, kRight);
            ASSERT_TRUE(Surface().ScaleMenuOpen());
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(checked(Surface().ScaleMenuRow(i)), kEditorScales[i] == GetParam()) << i;
            for (int o = 0; o < 2; ++o) {
                EXPECT_EQ(checked(Surface().MenuChoiceRow(setting, o)), o == before) << o;
                EXPECT_EQ(highlighted(Surface().MenuChoiceRow(setting, o)), o == before) << o;
            }
            effect.events.clear();
            const PixelRect row = Surface().MenuChoiceRow(setting, step.option);
            Click((row.left + row.right) / 2, (row.top + row.bottom) / 2);
            EXPECT_FALSE(Surface().ScaleMenuOpen());
            EXPECT_EQ(SettingStep(effect.SettingValue(setting)), step.option);
            EXPECT_EQ(effect.events, step.events);
            EXPECT_EQ(Surface().ScalePercent(), GetParam());
            EXPECT_TRUE(Surface().calls.empty()) << "the clicks reached no control";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, ScaledFaceTest, ::testing::Values(100, 150, 200));

// A new editor takes the remembered scale; anything else about the file means 100 %.
TEST(ScaleSetting, NewEditorsOpenAtTheRememberedScaleOrAt100) {
    struct Case {
        const char* what;
        const char* bytes;  // none: no file
        int expected;
    };
    const Case cases[] = {
        {"remembered", "scale=150\n", 150},
        {"missing", nullptr, 100},
        {"damaged", "scale=\xff\xfe\n", 100},
    };
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("tav-setting-" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.bytes != nullptr) std::ofstream(file, std::ios::binary) << c.bytes;
        test::FaceEffect effect;
        effect.Surface().SetSettingsPath(file);
        effect.Surface().SettleScale();
        EXPECT_EQ(effect.Surface().ScalePercent(), c.expected);
        EXPECT_EQ(effect.Surface().Width(), Scaled(kEditorWidth, c.expected));
        std::filesystem::remove(file);
    }
    FreeEditorCaches();
}

}  // namespace
}  // namespace tav
