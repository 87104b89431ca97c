// Typed values and reported values through the VST 3 controller and the CLAP
// params extension, one table for both formats.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/formats/hosted_clap.h"
#include "host/formats/hosted_vst3.h"

namespace tav {
namespace {

constexpr int kEffectParams = 13;
constexpr int kFreqLeft = 0;
constexpr int kRateLeft = 3;  // a division: a list of 31
constexpr int kThreshold = 12;

// One format as a host uses it: plain values in, plain values out.
struct Format {
    const char* name;
    std::unique_ptr<PluginInstance> instance;
    // Takes bytes as its state.
    std::function<bool(const std::vector<uint8_t>& bytes)> load;
    // The plain value text gives, false when refused.
    std::function<bool(int id, const char* text, double& plain)> typed;
    // The value the host reads back, on the plain scale.
    std::function<double(int id)> reported;
};

std::vector<Format> BothFormats() {
    std::vector<Format> formats;
    std::string error;
    auto vst3 = HostedVst3::Load(TAV_VST3_BUNDLE, HostSettings{}, &error);
    EXPECT_TRUE(vst3) << error;
    auto clapPlugin = HostedClap::Load(TAV_CLAP_MODULE, HostSettings{}, &error);
    EXPECT_TRUE(clapPlugin) << error;
    if (!vst3 || !clapPlugin) return formats;

    vst3::IEditController* controller = vst3->Controller();
    HostedVst3* vst3Plugin = vst3.get();
    Format v{"VST 3", std::move(vst3), nullptr, nullptr, nullptr};
    v.load = [vst3Plugin](const std::vector<uint8_t>& bytes) {
        return vst3Plugin->LoadState(false, bytes);
    };
    v.typed = [controller](int id, const char* text, double& plain) {
        vst3::TChar wide[128] = {};
        for (int i = 0; text[i] != '\0' && i < 127; ++i)
            wide[i] = static_cast<vst3::TChar>(text[i]);
        vst3::ParamValue normalized = -1.0;
        if (controller->getParamValueByString(static_cast<vst3::ParamID>(id), wide, &normalized) !=
            vst3::kResultOk)
            return false;
        plain = controller->normalizedParamToPlain(static_cast<vst3::ParamID>(id), normalized);
        return true;
    };
    // A list host reads normalized * steps; other values on the range.
    v.reported = [controller](int id) {
        vst3::ParameterInfo info{};
        for (vst3::int32 i = 0; i < controller->getParameterCount(); ++i) {
            controller->getParameterInfo(i, &info);
            if (info.id == static_cast<vst3::ParamID>(id)) break;
        }
        const double normalized = controller->getParamNormalized(static_cast<vst3::ParamID>(id));
        if (info.stepCount > 0) return normalized * info.stepCount;
        return controller->normalizedParamToPlain(static_cast<vst3::ParamID>(id), normalized);
    };
    formats.push_back(std::move(v));

    const clap::clap_plugin* p = clapPlugin->Plugin();
    const auto* params =
        static_cast<const clap::clap_plugin_params*>(p->get_extension(p, clap::CLAP_EXT_PARAMS));
    HostedClap* clapHosted = clapPlugin.get();
    Format c{"CLAP", std::move(clapPlugin), nullptr, nullptr, nullptr};
    c.load = [clapHosted](const std::vector<uint8_t>& bytes) {
        return clapHosted->LoadState(false, bytes);
    };
    c.typed = [p, params](int id, const char* text, double& plain) {
        return params->text_to_value(p, static_cast<clap::clap_id>(id), text, &plain);
    };
    c.reported = [p, params](int id) {
        double value = NAN;
        EXPECT_TRUE(params->get_value(p, static_cast<clap::clap_id>(id), &value));
        return value;
    };
    formats.push_back(std::move(c));
    return formats;
}

// A bare program chunk (what a VST 2 host keeps): the thirteen plain values as
// little-endian doubles.
std::vector<uint8_t> BareProgram(const std::vector<double>& values) {
    std::vector<uint8_t> bytes(values.size() * 8);
    for (size_t i = 0; i < values.size(); ++i) {
        uint64_t bits = 0;
        std::memcpy(&bits, &values[i], 8);
        for (int b = 0; b < 8; ++b) bytes[i * 8 + b] = static_cast<uint8_t>(bits >> (8 * b));
    }
    return bytes;
}

// Text that is no finite number is refused; a number outside the range is clamped
// into it; the effect's own value texts are taken as before.
TEST(FormatValues, TypedTextIsAFiniteNumberClampedIntoTheRange) {
    const double kRefused = NAN;
    const struct {
        int id;
        const char* text;
        double plain;
    } cases[] = {
        {kFreqLeft, "1000", 1000},     {kFreqLeft, "30000", 20000},    {kFreqLeft, "5", 40},
        {kFreqLeft, "abc", kRefused},  {kFreqLeft, "", kRefused},      {kFreqLeft, "nan", kRefused},
        {kFreqLeft, "inf", kRefused},  {kFreqLeft, "1e999", kRefused}, {kThreshold, "-75", -75},
        {kThreshold, "abc", kRefused}, {kThreshold, "-300", -100},     {kThreshold, "0", -50},
        {kRateLeft, "1/4", 9},
    };
    for (Format& format : BothFormats()) {
        SCOPED_TRACE(format.name);
        for (const auto& c : cases) {
            double plain = -1.0;
            const bool taken = format.typed(c.id, c.text, plain);
            EXPECT_EQ(taken, !std::isnan(c.plain)) << '"' << c.text << '"';
            if (taken) {
                EXPECT_EQ(plain, c.plain) << '"' << c.text << '"';
            }
        }
    }
}

// A division stored between steps (a foreign or damaged chunk) is reported as the
// step the effect rounds it to, not one a host's truncation makes of it.
TEST(FormatValues, ASteppedValueBetweenStepsIsReportedAsTheEffectUsesIt) {
    for (Format& format : BothFormats()) {
        SCOPED_TRACE(format.name);
        std::vector<double> values;
        for (int i = 0; i < kEffectParams; ++i) values.push_back(format.reported(i));
        values[kRateLeft] = 13.7;
        ASSERT_TRUE(format.load(BareProgram(values)));
        EXPECT_NEAR(format.reported(kRateLeft), 14.0, 1e-9);
        EXPECT_NEAR(format.reported(kFreqLeft), values[kFreqLeft], 1e-6);
    }
}

}  // namespace
}  // namespace tav
