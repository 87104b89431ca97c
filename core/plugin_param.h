#pragma once

#include <cstddef>
#include <cstdint>

#include "core/heap_buffer.h"

namespace tav {

enum ParamKind : int {
    KindUnset = 0,
    KindToggle = 1,
    KindInteger = 2,
    KindChoice = 3,
    KindContinuous = 4,
};

// A text that replaces a number on display; stored back to back in a HeapBuffer.
struct ValueLabel {
    int32_t value;
    char text[32];
};
static_assert(sizeof(ValueLabel) == 36);

// One automatable parameter. The host and the editor see a unit position in
// [0, 1]; the effect and saved states use the plain value in the parameter's own
// range. The two are related by a power curve.
class PluginParam {
  public:
    static constexpr size_t kTextSize = 32;

    PluginParam() = default;
    PluginParam(const PluginParam&) = delete;
    PluginParam& operator=(const PluginParam&) = delete;

    void DefineContinuous(const char* name, double defaultValue, double minValue, double maxValue,
                          double step, const char* unitLabel);
    void DefineInteger(const char* name, int defaultValue, int minValue, int maxValue,
                       const char* unitLabel);
    void DefineChoice(const char* name, int defaultValue, int count, const char* unitLabel);
    void SetCurveExponent(double e);
    bool AddValueLabel(int value, const char* text);

    const char* Name() const { return name; }
    const char* UnitLabel() const { return unitLabel; }
    void GetRange(double& outMin, double& outMax) const;

    void SetFromUnit(double u);
    // The plain value SetFromUnit(u) would store: clamped, and snapped to the step
    // unless the parameter is continuous. NaN gives the current value.
    double PlainForUnit(double u) const;
    double UnitOf(double x) const;
    double CurrentUnit() const { return UnitOf(value); }
    // Stores a plain value clamped into the range (not quantised); NaN becomes the minimum.
    void SetClamped(double x);
    // The plain value the effect runs with: within the range and, unless continuous,
    // on the nearest step (halves away from zero, as the effect rounds), so that a
    // value between steps that a chunk carried reads as the step the effect acts on.
    double EffectiveValue() const;
    // The same of another plain value.
    double EffectiveValueOf(double x) const;

    int ValueLabelCount() const;
    const char* ValueLabelFor(int v) const;
    bool ValueForLabel(const char* text, int& outValue) const;

    void FormatValue(double x, bool isUnit, char* out, size_t outSize) const;
    double ParseText(const char* text) const;
    // What text typed in a VST 3 or CLAP host gives: one of the value texts, or a
    // finite number (units may follow) clamped into the range; false for anything
    // else. VST 2 keeps ParseText, which reads no number as 0.
    bool ParseTyped(const char* typed, double& plain) const;

    ParamKind kind = KindUnset;
    double value = 0.0;
    double minValue = 0.0;
    double maxValue = 1.0;
    double step = 1.0;
    double curveExponent = 1.0;
    int decimals = 0;
    char name[kTextSize] = {};
    char unitLabel[kTextSize] = {};
    bool negateDisplay = false;
    // Growth by half, from room for four: a parameter has a few labels or none.
    HeapBuffer valueLabels{static_cast<int32_t>(4 * sizeof(ValueLabel))};

  private:
    const ValueLabel* LabelAt(int index) const;
    double PlainOfUnit(double u) const;
};

}  // namespace tav
