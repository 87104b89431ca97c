#include "core/plugin_param.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "core/number_text.h"

namespace tav {

namespace {

// The curves in use (linear, squared) are computed exactly rounded, the same in every
// build; any other exponent goes to the C library's pow.
double RaiseToCurve(double u, double exponent) {
    if (exponent == 1.0) return u;
    if (exponent == 2.0) return u * u;
    if (exponent == 0.5) return std::sqrt(u);
    return std::pow(u, exponent);
}

// Whether text starts (after white space and a sign) with digits, as a number
// ParseDecimal reads does: "nan", "inf" and "" do not.
bool StartsWithNumber(const char* text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
    if (*text == '+' || *text == '-') ++text;
    if (*text == '.') ++text;
    return *text >= '0' && *text <= '9';
}

}  // namespace

void PluginParam::DefineContinuous(const char* newName, double defaultValue, double min, double max,
                                   double newStep, const char* newUnitLabel) {
    if (kind == KindUnset) kind = KindContinuous;
    CopyText(name, sizeof name, newName);
    CopyText(unitLabel, sizeof unitLabel, newUnitLabel);
    minValue = min;
    value = defaultValue;
    maxValue = max >= min + newStep ? max : min + newStep;
    step = newStep;
    decimals = 0;
    for (double s = newStep; s != std::floor(s) && decimals < 6; s *= 10.0) ++decimals;
}

void PluginParam::DefineInteger(const char* newName, int defaultValue, int min, int max,
                                const char* newUnitLabel) {
    if (kind == KindUnset) kind = KindInteger;
    DefineContinuous(newName, defaultValue, min, max, 1.0, newUnitLabel);
}

void PluginParam::DefineChoice(const char* newName, int defaultValue, int count,
                               const char* newUnitLabel) {
    if (kind == KindUnset) kind = KindChoice;
    DefineContinuous(newName, defaultValue, 0.0, count - 1.0, 1.0, newUnitLabel);
}

void PluginParam::SetCurveExponent(double e) {
    if (e != 0.0 && std::isfinite(e)) curveExponent = e;
}

bool PluginParam::AddValueLabel(int labelValue, const char* text) {
    ValueLabel label{};
    label.value = labelValue;
    CopyText(label.text, sizeof label.text, text);
    return valueLabels.Append(&label, sizeof label);
}

void PluginParam::GetRange(double& outMin, double& outMax) const {
    outMin = minValue;
    outMax = maxValue;
}

double PluginParam::PlainOfUnit(double u) const {
    return RaiseToCurve(u, curveExponent) * (maxValue - minValue) + minValue;
}

void PluginParam::SetFromUnit(double u) {
    if (!std::isfinite(u)) return;
    value = PlainForUnit(u);
}

double PluginParam::PlainForUnit(double u) const {
    if (!std::isfinite(u)) return value;
    u = u < 0.0 ? 0.0 : (u > 1.0 ? 1.0 : u);
    double v = PlainOfUnit(u);
    if (kind != KindContinuous && step > 0.0) v = std::floor(v / step + 0.5) * step;
    if (v >= maxValue) v = maxValue;
    return v;
}

double PluginParam::UnitOf(double x) const {
    if (!(x >= minValue)) x = minValue;  // NaN lands on the minimum too
    if (x > maxValue) x = maxValue;
    const double range = maxValue - minValue;
    if (!(range > 0.0)) return 0.0;
    return RaiseToCurve((x - minValue) / range, 1.0 / curveExponent);
}

void PluginParam::SetClamped(double x) {
    if (!(x >= minValue)) x = minValue;
    if (x > maxValue) x = maxValue;
    value = x;
}

double PluginParam::EffectiveValue() const {
    return EffectiveValueOf(value);
}

double PluginParam::EffectiveValueOf(double x) const {
    if (!(x >= minValue)) x = minValue;
    if (x > maxValue) x = maxValue;
    if (kind == KindContinuous || !(step > 0.0)) return x;
    x = std::round(x / step) * step;
    return x < minValue ? minValue : (x > maxValue ? maxValue : x);
}

int PluginParam::ValueLabelCount() const {
    return valueLabels.Size() / static_cast<int>(sizeof(ValueLabel));
}

const ValueLabel* PluginParam::LabelAt(int index) const {
    return reinterpret_cast<const ValueLabel*>(valueLabels.Data()) + index;
}

const char* PluginParam::ValueLabelFor(int v) const {
    for (int i = 0; i < ValueLabelCount(); ++i) {
        if (LabelAt(i)->value == v) return LabelAt(i)->text;
    }
    return "";
}

bool PluginParam::ValueForLabel(const char* text, int& outValue) const {
    if (text == nullptr) return false;
    for (int i = 0; i < ValueLabelCount(); ++i) {
        if (std::strcmp(LabelAt(i)->text, text) == 0) {
            outValue = LabelAt(i)->value;
            return true;
        }
    }
    return false;
}

namespace {
// (int)x for any double: out-of-range values saturate instead of being undefined.
int TruncToInt(double x) {
    if (!(x == x)) return 0;
    if (x >= 2147483647.0) return std::numeric_limits<int>::max();
    if (x <= -2147483648.0) return std::numeric_limits<int>::min();
    return static_cast<int>(x);
}
}  // namespace

void PluginParam::FormatValue(double x, bool isUnit, char* out, size_t outSize) const {
    if (out == nullptr || outSize == 0) return;
    if (isUnit) x = PlainOfUnit(x);
    if (!std::isfinite(x)) {
        CopyText(out, outSize, x != x ? "nan" : (x > 0 ? "inf" : "-inf"));
        return;
    }
    const char* label = ValueLabelFor(TruncToInt(x));
    if (label[0] != '\0') {
        CopyText(out, outSize, label);
        return;
    }
    if (negateDisplay) x = -x;
    if (x == 0.0) {
        CopyText(out, outSize, "0");
    } else if (decimals > 0) {
        FormatFixed(x, decimals, out, outSize);
    } else {
        char text[16];
        std::snprintf(text, sizeof text, "%d", TruncToInt(x));
        CopyText(out, outSize, text);
    }
}

double PluginParam::ParseText(const char* text) const {
    int labelled = 0;
    if (ValueLabelCount() > 0 && ValueForLabel(text, labelled)) return labelled;
    const double x = ParseDecimal(text);
    return negateDisplay ? -x : x;
}

bool PluginParam::ParseTyped(const char* typed, double& plain) const {
    if (typed == nullptr) return false;
    int labelled = 0;
    const bool isLabel = ValueForLabel(typed, labelled);
    if (!isLabel && !StartsWithNumber(typed)) return false;
    const double x = isLabel ? labelled : ParseText(typed);
    if (!std::isfinite(x)) return false;
    plain = x < minValue ? minValue : (x > maxValue ? maxValue : x);
    return true;
}

}  // namespace tav
