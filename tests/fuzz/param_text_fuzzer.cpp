// Text a user types for a parameter, as the host passes it on: effString2Parameter
// for every parameter, and the display-and-parse extension some hosts use. The
// value must become exactly the text's number (or label) bounded into the range,
// and nothing else may change.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "editor/headless_surface.h"
#include "tests/fuzz/editor_layout_for_fuzzing.h"
#include "tests/fuzz/fuzz_plugin.h"
#include "vst2/ivst_effect.h"

namespace tav::fuzz {
namespace {

constexpr VstInt32 kVendorAnswer = 0xBEEF;

bool Digit(char c) {
    return c >= '0' && c <= '9';
}

// A decimal number at the start of the text, read by the C library: white space,
// sign, digits with a fraction, an exponent; anything else after it is ignored.
double ReadNumber(const char* text) {
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    int digits = 0;
    for (; Digit(*p); ++p) ++digits;
    if (*p == '.') {
        for (++p; Digit(*p); ++p) ++digits;
    }
    if (digits == 0) return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        if (Digit(*q)) {
            while (Digit(*q)) ++q;
            p = q;
        }
    }
    const std::string number(start, p);
    return std::strtod(number.c_str(), nullptr);
}

double Expected(const PluginParam& param, const char* text) {
    for (int i = 0; i < param.ValueLabelCount(); ++i) {
        const auto* label = reinterpret_cast<const ValueLabel*>(param.valueLabels.Data()) + i;
        if (std::strcmp(label->text, text) == 0) return label->value;
    }
    const double x = ReadNumber(text);
    return param.negateDisplay ? -x : x;
}

// The control of the attached editor bound to index; an instance without an
// editor gets the effect's layout on a window-less surface.
IControl* ControlFor(IVstEffect& core, int index) {
    auto* surface = dynamic_cast<EditorSurface*>(core.Editor());
    if (surface == nullptr) surface = AttachHeadlessEditor(core);
    for (int i = 0; i < surface->ControlCount(); ++i) {
        if (surface->Control(i)->paramIndex == index) return surface->Control(i);
    }
    return nullptr;
}

}  // namespace
}  // namespace tav::fuzz

// Input: a byte that picks the parameter (a few past either end) and the path:
// the host's text call, its display-and-parse extension, or the editor's entry
// box; then the text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tav;
    using namespace tav::fuzz;
    if (size < 1) return 0;
    FuzzedPlugin plugin;
    AEffect* effect = plugin.Effect();
    const int index = data[0] % (effect->numParams + 4) - 2;
    const bool vendorPath = (data[0] & 0xC0) == 0x80;
    const bool editorPath = (data[0] & 0xC0) == 0xC0;
    ExactBuffer text = TextBuffer(data + 1, size - 1);
    const char* typed = reinterpret_cast<const char*>(text.Data());

    const StateImage before = Capture(plugin);
    StateImage expected = before;
    IVstEffect* core = IVstEffect::FromEffect(effect);
    const PluginParam* param = core->Param(index);

    if (vendorPath) {
        // The host's buffer holds the text and takes the answer: at least 32 bytes.
        ExactBuffer io(std::max<size_t>(text.Size(), kVstExtMaxParamStrLen));
        std::memcpy(io.Data(), text.Data(), text.Size());
        const VstIntPtr answer =
            plugin.Dispatch(effVendorSpecific, effString2Parameter, index, io.Data());
        const auto* reply = reinterpret_cast<const char*>(io.Data());
        if (param == nullptr) {
            FUZZ_CHECK(answer == 0, "answer for a parameter that does not exist");
        } else if (typed[0] != '\0' && std::isfinite(Expected(*param, typed))) {
            FUZZ_CHECK(answer == kVendorAnswer, std::to_string(answer));
            FUZZ_CHECK(std::memchr(reply, 0, kVstExtMaxParamStrLen) != nullptr, "unterminated");
            const double unit = std::strtod(reply, nullptr);
            FUZZ_CHECK(unit >= 0.0 && unit <= 1.0, reply);
            const double wanted = param->UnitOf(Expected(*param, typed));
            FUZZ_CHECK(std::fabs(unit - wanted) < 1e-15, std::string(reply) + " for " + typed);
        }
    } else if (editorPath) {
        IControl* control = ControlFor(*core, index);
        auto* surface = dynamic_cast<EditorSurface*>(core->Editor());
        surface->ApplyEnteredText(control, const_cast<PluginParam*>(param), typed);
        if (control != nullptr && param != nullptr) {
            // Through the control's unit position and back: quantised like any edit.
            double bounded = Expected(*param, typed);
            if (!(bounded >= param->minValue)) bounded = param->minValue;
            if (bounded > param->maxValue) bounded = param->maxValue;
            // Rounding noise over the range, and half a step where values snap to steps.
            const double tolerance = 1e-9 * (param->maxValue - param->minValue) +
                                     (param->kind == KindContinuous ? 0.0 : param->step * 0.5);
            const double now = param->value;
            FUZZ_CHECK(now >= param->minValue && now <= param->maxValue &&
                           std::fabs(now - bounded) <= tolerance,
                       std::to_string(now) + " for " + typed);
            expected.live[static_cast<size_t>(index)] = now;
            expected.presets[static_cast<size_t>(expected.program)].values = expected.live;
        }
    } else {
        const VstIntPtr answer = plugin.Dispatch(effString2Parameter, index, 0, text.Data());
        if (param == nullptr) {
            FUZZ_CHECK(answer == 0, "answer for a parameter that does not exist");
        } else {
            const double x = Expected(*param, typed);
            // A number past the double range has no place in the range; it is refused.
            FUZZ_CHECK(answer == (std::isfinite(x) ? 1 : 0),
                       std::to_string(answer) + " for " + typed);
            if (answer == 1) {
                double bounded = x;
                if (!(bounded >= param->minValue)) bounded = param->minValue;
                if (bounded > param->maxValue) bounded = param->maxValue;
                expected.live[static_cast<size_t>(index)] = bounded;
                expected.presets[static_cast<size_t>(expected.program)].values = expected.live;
            }
        }
    }
    const std::string difference = Difference(expected, Capture(plugin));
    FUZZ_CHECK(difference.empty(), difference + "\ntext: " + typed);

    // The display text fits the 8 bytes the interface gives it.
    ExactBuffer display(kVstMaxParamStrLen);
    plugin.Dispatch(effGetParamDisplay, index, 0, display.Data());
    FUZZ_CHECK(param == nullptr || std::memchr(display.Data(), 0, display.Size()) != nullptr,
               "display text not terminated");
    FUZZ_CHECK(plugin.ProcessesFinite(64), "audio not finite after typed text");
    return 0;
}
