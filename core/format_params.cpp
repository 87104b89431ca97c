#include "core/format_params.h"

#include <cmath>
#include <cstring>

#include "core/number_text.h"

namespace tav {

bool ParseBypassText(const char* typed, bool& on) {
    if (typed == nullptr) return false;
    for (int i = 0; i < 2; ++i) {
        if (std::strcmp(typed, kBypassTexts[i]) == 0) {
            on = i == 1;
            return true;
        }
    }
    const double x = ParseDecimal(typed);
    if (!std::isfinite(x)) return false;
    on = x >= 0.5;
    return true;
}

namespace {
// Whether text starts (after white space and a sign) with digits, as a number
// ParseDecimal reads does: "nan", "inf" and "" do not.
bool StartsWithNumber(const char* text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
    if (*text == '+' || *text == '-') ++text;
    if (*text == '.') ++text;
    return *text >= '0' && *text <= '9';
}
}  // namespace

bool ParseTypedPlain(const PluginParam& param, const char* typed, double& plain) {
    if (typed == nullptr) return false;
    int labelled = 0;
    const bool isLabel = param.ValueForLabel(typed, labelled);
    if (!isLabel && !StartsWithNumber(typed)) return false;
    const double x = isLabel ? labelled : param.ParseText(typed);
    if (!std::isfinite(x)) return false;
    plain = x < param.minValue ? param.minValue : (x > param.maxValue ? param.maxValue : x);
    return true;
}

double DefaultPlainValue(const IEffectCore& core, int index) {
    const PluginParam* param = core.Param(index);
    if (param == nullptr) return 0.0;
    double plain = param->value;
    const PresetSlot* first = core.Preset(0);
    if (first != nullptr && first->initialised) first->state.GetF64(index * 8, plain);
    return plain;
}

}  // namespace tav
