#include "core/plugin_param.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "core/number_text.h"

namespace tav {
namespace {

std::string Format(const PluginParam& p, double x, bool isUnit = false) {
    char text[32];
    p.FormatValue(x, isUnit, text, sizeof text);
    return text;
}

TEST(PluginParam, DefineRaisesMaxAndDerivesDecimals) {
    PluginParam p;
    p.DefineContinuous("Gain", 0.5, 1.0, 1.1, 0.25, "dB");
    EXPECT_EQ(p.kind, KindContinuous);
    EXPECT_DOUBLE_EQ(p.maxValue, 1.25);
    EXPECT_EQ(p.decimals, 2);
    EXPECT_EQ(p.value, 0.5) << "the default is kept unclamped";

    PluginParam exact;
    exact.DefineContinuous("x", 0, 1.0, 2.0, 1.0, "");
    EXPECT_EQ(exact.maxValue, 2.0);
    EXPECT_EQ(exact.decimals, 0);

    PluginParam fine;
    fine.DefineContinuous("x", 0, 0, 1, 1e-9, "");
    EXPECT_EQ(fine.decimals, 6);
    PluginParam tenth;
    tenth.DefineContinuous("x", 0, 0, 1, 0.1, "");
    EXPECT_EQ(tenth.decimals, 1);
}

TEST(PluginParam, KindIsSetOnceByTheFirstDefinition) {
    PluginParam p;
    p.DefineChoice("Mode", 1, 3, "");
    EXPECT_EQ(p.kind, KindChoice);
    EXPECT_EQ(p.maxValue, 2.0);
    p.DefineInteger("Mode", 1, 0, 10, "");
    EXPECT_EQ(p.kind, KindChoice);
    p.SetCurveExponent(0.0);
    EXPECT_EQ(p.curveExponent, 1.0);
    p.SetCurveExponent(3.0);
    EXPECT_EQ(p.curveExponent, 3.0);
}

TEST(PluginParam, CurveAndQuantisation) {
    PluginParam freq;
    freq.DefineInteger("Freq Left", 2500, 40, 20000, "Hz");
    freq.SetCurveExponent(2.0);
    freq.SetFromUnit(0.5);
    EXPECT_EQ(freq.value, 5030.0);
    EXPECT_DOUBLE_EQ(freq.UnitOf(5030.0), 0.5);
    freq.SetFromUnit(1.0);
    EXPECT_EQ(freq.value, 20000.0);
    freq.SetFromUnit(0.0);
    EXPECT_EQ(freq.value, 40.0);
    EXPECT_EQ(freq.UnitOf(1e9), 1.0);
    EXPECT_EQ(freq.UnitOf(-1e9), 0.0);

    PluginParam rate;
    rate.DefineChoice("Rate", 12, 31, "");
    rate.SetFromUnit(0.5);
    EXPECT_EQ(rate.value, 15.0);
    rate.SetFromUnit(0.999);
    EXPECT_EQ(rate.value, 30.0);

    PluginParam ceil;
    ceil.DefineInteger("Ceil", -60, -100, -50, "dB");
    ceil.SetFromUnit(0.51);
    EXPECT_EQ(ceil.value, -74.0) << "-74.5 rounds up";
}

// The squared curve is a product and its inverse a square root, exactly rounded in
// every build. For every plain value, pow (which the builds used before) gives the
// same float unit (what VST 2 hosts read and store), the unit leads back to the
// value, and so does pow's square at a unit beside it.
TEST(PluginParam, TheSquaredCurveGivesWhatPowGave) {
    PluginParam freq;
    freq.DefineInteger("Freq Left", 2500, 40, 20000, "Hz");
    freq.SetCurveExponent(2.0);
    for (int hz = 40; hz <= 20000; ++hz) {
        const double unit = freq.UnitOf(hz), near = unit + 1e-7;
        ASSERT_EQ(static_cast<float>(unit),
                  static_cast<float>(std::pow((hz - 40.0) / 19960.0, 0.5)));
        ASSERT_EQ(freq.PlainForUnit(unit), hz);
        ASSERT_EQ(freq.PlainForUnit(near), std::floor(std::pow(near, 2.0) * 19960.0 + 40.0 + 0.5))
            << hz;
    }
}

TEST(PluginParam, UnitInputsAreClampedAndNonFiniteIgnored) {
    PluginParam p;
    p.DefineInteger("Wet", 80, 0, 100, "%");
    p.SetFromUnit(1.7);
    EXPECT_EQ(p.value, 100.0);
    p.SetFromUnit(-3.0);
    EXPECT_EQ(p.value, 0.0);
    p.SetFromUnit(0.42);
    p.SetFromUnit(std::numeric_limits<double>::quiet_NaN());
    p.SetFromUnit(std::numeric_limits<double>::infinity());
    EXPECT_EQ(p.value, 42.0);
    EXPECT_EQ(p.UnitOf(std::numeric_limits<double>::quiet_NaN()), 0.0);

    PluginParam flat;
    flat.DefineContinuous("Flat", 3.0, 3.0, 3.0, 0.0, "");
    EXPECT_EQ(flat.UnitOf(3.0), 0.0);
    EXPECT_EQ(flat.CurrentUnit(), 0.0);
}

TEST(PluginParam, FormatValueTexts) {
    PluginParam two;
    two.DefineContinuous("Mix", 0, -10, 10, 0.01, "");
    EXPECT_EQ(Format(two, 0.0), "0");
    EXPECT_EQ(Format(two, 1.5), "1.50");
    EXPECT_EQ(Format(two, -2.346), "-2.35");
    EXPECT_EQ(Format(two, 0.5, true), "0") << "unit 0.5 is exactly the middle of -10..10";
    EXPECT_EQ(Format(two, 0.75, true), "5.00");

    PluginParam whole;
    whole.DefineInteger("Freq", 2500, 40, 20000, "Hz");
    whole.SetCurveExponent(2.0);
    EXPECT_EQ(Format(whole, -0.5), "0");
    EXPECT_EQ(Format(whole, 2500.9), "2500");
    EXPECT_EQ(Format(whole, 0.5, true), "5030");
    EXPECT_EQ(Format(whole, 1e300), "2147483647") << "no undefined conversion";
    whole.negateDisplay = true;
    EXPECT_EQ(Format(whole, 60), "-60");

    // Short host buffers are never overrun.
    char tiny[4] = {'x', 'x', 'x', 'x'};
    whole.FormatValue(12345, false, tiny, 3);
    EXPECT_STREQ(tiny, "-1");
    EXPECT_EQ(tiny[3], 'x');
}

TEST(PluginParam, LabelsReplaceNumbers) {
    PluginParam accent;
    accent.DefineChoice("Accent", 2, 3, "");
    accent.AddValueLabel(0, "Left");
    accent.AddValueLabel(1, "");
    accent.AddValueLabel(1, "Right");
    accent.AddValueLabel(2, "Both");
    EXPECT_EQ(accent.ValueLabelCount(), 4);
    EXPECT_EQ(Format(accent, 0), "Left");
    EXPECT_EQ(Format(accent, 2.7), "Both") << "the value is truncated before lookup";
    EXPECT_EQ(Format(accent, 1), "1") << "an empty first label falls back to the number";
    EXPECT_STREQ(accent.ValueLabelFor(5), "");
    int v = -1;
    EXPECT_TRUE(accent.ValueForLabel("Right", v));
    EXPECT_EQ(v, 1);
    EXPECT_FALSE(accent.ValueForLabel("right", v));

    PluginParam numeric;
    numeric.DefineChoice("N", 0, 10, "");
    numeric.AddValueLabel(3, "7");
    EXPECT_EQ(numeric.ParseText("7"), 3.0) << "a label wins over its numeric reading";
    EXPECT_EQ(numeric.ParseText("8"), 8.0);
}

TEST(PluginParam, ParseTextReadsLeadingNumbers) {
    PluginParam p;
    p.DefineContinuous("x", 0, -100, 100, 0.1, "");
    EXPECT_EQ(p.ParseText("  -12.5dB"), -12.5);
    EXPECT_EQ(p.ParseText("+3e2 Hz"), 300.0);
    EXPECT_EQ(p.ParseText(".5"), 0.5);
    EXPECT_EQ(p.ParseText("1e"), 1.0);
    EXPECT_EQ(p.ParseText("abc"), 0.0);
    EXPECT_EQ(p.ParseText(""), 0.0);
    EXPECT_EQ(p.ParseText(nullptr), 0.0);
    EXPECT_EQ(p.ParseText("nan"), 0.0);
    EXPECT_TRUE(std::isinf(p.ParseText("1e999")));
    EXPECT_EQ(p.ParseText("1e-999"), 0.0);
    p.negateDisplay = true;
    EXPECT_EQ(p.ParseText("6"), -6.0);
}

// A host may run with a locale whose decimal mark is a comma.
TEST(PluginParam, TextsIgnoreTheCLocale) {
    const char* candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252", "German",
                                "fr_FR.UTF-8"};
    const char* chosen = nullptr;
    for (const char* name : candidates) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            chosen = name;
            break;
        }
    }
    ASSERT_NE(chosen, nullptr) << "no locale with a decimal comma is installed";
    EXPECT_STREQ(std::localeconv()->decimal_point, ",") << chosen << " really uses a comma";

    PluginParam p;
    p.DefineContinuous("x", 0, -100, 100, 0.01, "");
    EXPECT_EQ(Format(p, 1.25), "1.25");
    EXPECT_EQ(p.ParseText("1.25"), 1.25);
    EXPECT_EQ(p.ParseText("1,25"), 1.0);
    std::setlocale(LC_ALL, "C");
}

// What VST 3 and CLAP hosts' typed text gives: a value text or a finite number,
// clamped into the range; anything else is refused and changes nothing.
TEST(PluginParam, TypedTextForTheFormatsIsANumberClampedIntoTheRange) {
    PluginParam freq, mode, threshold;
    freq.DefineInteger("Freq", 1000, 40, 20000, "Hz");
    mode.DefineChoice("Mode", 0, 3, "");
    mode.AddValueLabel(0, "Slow");
    mode.AddValueLabel(2, "Fast");
    threshold.DefineInteger("Threshold", -75, -100, -50, "dB");
    const double kRefused = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const PluginParam* param;
        const char* text;
        double plain;
    } cases[] = {
        {&freq, "1000", 1000},
        {&freq, " 250 Hz", 250},
        {&freq, "30000", 20000},
        {&freq, "10", 40},
        {&freq, "-5", 40},
        {&freq, ".5e3", 500},
        {&freq, "abc", kRefused},
        {&freq, "", kRefused},
        {&freq, "nan", kRefused},
        {&freq, "inf", kRefused},
        {&freq, "-inf", kRefused},
        {&freq, "1e999", kRefused},
        {&freq, ".", kRefused},
        {&freq, "Hz 100", kRefused},
        {&threshold, "-60", -60},
        {&threshold, "0", -50},
        {&threshold, "-1e999", kRefused},
        {&mode, "Fast", 2},
        {&mode, "1", 1},
        {&mode, "9", 2},
        {&mode, "Medium", kRefused},
    };
    for (const auto& c : cases) {
        double plain = 123.0;
        const bool taken = c.param->ParseTyped(c.text, plain);
        EXPECT_EQ(taken, !std::isnan(c.plain)) << '"' << c.text << '"';
        EXPECT_EQ(plain, taken ? c.plain : 123.0) << '"' << c.text << '"';
    }
    double plain = 0.0;
    EXPECT_FALSE(freq.ParseTyped(nullptr, plain));
    // VST 2 keeps its reading: no number is 0, a number is not clamped.
    EXPECT_EQ(freq.ParseText("abc"), 0.0);
    EXPECT_EQ(freq.ParseText("30000"), 30000.0);
}

// What the effect runs with: a stored value between steps rounds as the effect
// rounds it (halves away from zero), into the range; continuous values stay.
TEST(PluginParam, EffectiveValueIsTheStepTheEffectUses) {
    PluginParam division, threshold, gain;
    division.DefineChoice("Division", 0, 31, "");
    threshold.DefineInteger("Threshold", -75, -100, -50, "dB");
    gain.DefineContinuous("Gain", 0.5, 0.0, 1.0, 0.25, "");
    const struct {
        PluginParam* param;
        double stored;
        double effective;
    } cases[] = {
        {&division, 13.7, 14},    {&division, 13.2, 13},    {&division, 13.5, 14},
        {&division, 99.0, 30},    {&division, -3.0, 0},     {&threshold, -75.5, -76},
        {&threshold, -75.4, -75}, {&threshold, -20.0, -50}, {&gain, 0.3, 0.3},
    };
    for (const auto& c : cases) {
        c.param->value = c.stored;
        EXPECT_EQ(c.param->EffectiveValue(), c.effective) << c.param->Name() << " " << c.stored;
    }
}

}  // namespace
}  // namespace tav
