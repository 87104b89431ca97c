#include "effect/phaser_setup.h"

#include "effect/division_table.h"
#include "effect/factory_presets.h"
#include "effect/phaser_params.h"

// The version is the project's, from the build, so that every module, bundle and
// package says the same.
#if !defined(TAV_VERSION_MAJOR) || !defined(TAV_VERSION_MINOR) || !defined(TAV_VERSION_PATCH)
#error "the build defines TAV_VERSION_MAJOR, TAV_VERSION_MINOR and TAV_VERSION_PATCH"
#endif
// VST 2 hosts read it as major * 10000 + minor * 100 + patch.
static_assert(TAV_VERSION_MINOR < 100 && TAV_VERSION_PATCH < 100, "minor and patch below 100");

namespace tav {

EffectIdentity PhaserIdentity() {
    EffectIdentity id;
    id.paramCount = ParamCount;
    id.channelIo = "1-1 2-2";
    id.presetCount = 10;
    id.effectName = "Tavrellion";
    id.productName = "";
    id.vendorName = "Qorva";
    id.version = (TAV_VERSION_MAJOR << 16) | (TAV_VERSION_MINOR << 8) | TAV_VERSION_PATCH;
    id.uniqueId = 0x656F6F79;          // 'eooy'
    id.manufacturerCode = 0x516F7276;  // 'Qorv'
    id.latency = 0;
    id.midiMode = 0;
    id.doesChunks = false;
    id.isInstrument = false;
    return id;
}

namespace {

// An integer parameter whose range and default come from the shared table.
void DefineRanged(IEffectCore& core, int index, const char* name, const char* unitLabel) {
    const PhaserParamRange& r = kPhaserParamRanges[index];
    core.Param(index)->DefineInteger(name, r.defaultValue, r.minValue, r.maxValue, unitLabel);
}

// A choice parameter labelled by texts[0 .. max].
void DefineLabelled(IEffectCore& core, int index, const char* name, const char* const* texts) {
    const PhaserParamRange& r = kPhaserParamRanges[index];
    PluginParam* param = core.Param(index);
    param->DefineChoice(name, r.defaultValue, r.maxValue + 1, "");
    param->valueLabels.Reserve((r.maxValue + 1) * static_cast<int32_t>(sizeof(ValueLabel)));
    for (int i = 0; i <= r.maxValue; ++i) param->AddValueLabel(i, texts[i]);
}

void DefineSide(IEffectCore& core, int first, const char* freq, const char* feedback,
                const char* depth, const char* rate, const char* wet) {
    DefineRanged(core, first, freq, "Hz");
    // Squared so that the lower half of a knob's travel covers the lowest quarter
    // of the range, where the ear resolves frequency finely.
    core.Param(first)->SetCurveExponent(2.0);
    DefineRanged(core, first + 1, feedback, "%");
    DefineRanged(core, first + 2, depth, "%");
    DefineLabelled(core, first + 3, rate, kDivisionTexts);
    DefineRanged(core, first + 4, wet, "%");
}

}  // namespace

void DefinePhaserParameters(IEffectCore& core) {
    if (core.ParamCount() < ParamCount) return;
    DefineSide(core, ParamFreqLeft, "Freq Left", "FBack Left", "Left Depth", "Left Sweep Rate",
               "Wet Left");
    DefineSide(core, ParamFreqRight, "Freq Right", "FBack Right", "Right Depth", "Right Sweep Rate",
               "Wet Right");
    static const char* const kAccentTexts[] = {"Left", "Right", "Both"};
    static const char* const kMirrorTexts[] = {"No", "Yes"};
    DefineLabelled(core, ParamAccent, "Accent", kAccentTexts);
    DefineLabelled(core, ParamFilterMirror, "Filter Mirror", kMirrorTexts);
    DefineRanged(core, ParamBypassCeil, "Bypass Ceil", "dB");
}

void AddFactoryPresets(IEffectCore& core) {
    // Program 0 is the defaults as they stand right after definition.
    core.FillPresetsFromCurrent(kFactoryPresets[0].name, 1);
    for (int p = 1; p < kFactoryPresetCount; ++p) {
        double values[ParamCount];
        for (int i = 0; i < ParamCount; ++i) values[i] = kFactoryPresets[p].values[i];
        core.AddPreset(kFactoryPresets[p].name, values);
    }
}

}  // namespace tav
