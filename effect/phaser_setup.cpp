#include "effect/phaser_setup.h"

#include "effect/division_table.h"
#include "effect/factory_presets.h"
#include "effect/phaser_params.h"

namespace tav {

EffectIdentity PhaserIdentity() {
    EffectIdentity id;
    id.paramCount = ParamCount;
    id.channelIo = "1-1 2-2";
    id.presetCount = 10;
    id.effectName = "Tavrellion";
    id.productName = "";
    id.vendorName = "Qorva";
    id.version = 0x10000;
    id.uniqueId = 0x656F6F79;          // 'eooy'
    id.manufacturerCode = 0x516F7276;  // 'Qorv'
    id.latency = 0;
    id.midiMode = 0;
    id.doesChunks = false;
    id.isInstrument = false;
    return id;
}

namespace {

void DefineSide(IEffectCore& core, int first, const char* freq, const char* feedback,
                const char* depth, const char* rate, const char* wet) {
    const auto& r = kPhaserParamRanges;
    core.Param(first)->DefineInteger(freq, r[first].defaultValue, r[first].minValue,
                                     r[first].maxValue, "Hz");
    // Squared so that the lower half of a knob's travel covers the lowest quarter
    // of the range, where the ear resolves frequency finely.
    core.Param(first)->SetCurveExponent(2.0);
    core.Param(first + 1)->DefineInteger(feedback, r[first + 1].defaultValue, 0, 100, "%");
    core.Param(first + 2)->DefineInteger(depth, r[first + 2].defaultValue, 0, 100, "%");
    core.Param(first + 3)->DefineChoice(rate, r[first + 3].defaultValue, kDivisionCount, "");
    for (int i = 0; i < kDivisionCount; ++i)
        core.Param(first + 3)->AddValueLabel(i, kDivisionTexts[i]);
    core.Param(first + 4)->DefineInteger(wet, r[first + 4].defaultValue, 0, 100, "%");
}

}  // namespace

void DefinePhaserParameters(IEffectCore& core) {
    if (core.ParamCount() < ParamCount) return;
    DefineSide(core, ParamFreqLeft, "Freq Left", "FBack Left", "Left Depth", "Left Sweep Rate",
               "Wet Left");
    DefineSide(core, ParamFreqRight, "Freq Right", "FBack Right", "Right Depth", "Right Sweep Rate",
               "Wet Right");

    PluginParam* accent = core.Param(ParamAccent);
    accent->DefineChoice("Accent", AccentBoth, 3, "");
    accent->AddValueLabel(AccentLeft, "Left");
    accent->AddValueLabel(AccentRight, "Right");
    accent->AddValueLabel(AccentBoth, "Both");

    PluginParam* mirror = core.Param(ParamFilterMirror);
    mirror->DefineChoice("Filter Mirror", 1, 2, "");
    mirror->AddValueLabel(0, "No");
    mirror->AddValueLabel(1, "Yes");

    core.Param(ParamBypassCeil)->DefineInteger("Bypass Ceil", -60, -100, -50, "dB");
}

void AddFactoryPresets(IEffectCore& core) {
    // Program 0 is the defaults as they stand right after definition.
    core.FillPresetsFromCurrent(kFactoryPresets[0].name, 1);
    for (int p = 1; p < kFactoryPresetCount; ++p) {
        const int* v = kFactoryPresets[p].values;
        core.AddPreset(kFactoryPresets[p].name,
                       {double(v[0]), double(v[1]), double(v[2]), double(v[3]), double(v[4]),
                        double(v[5]), double(v[6]), double(v[7]), double(v[8]), double(v[9]),
                        double(v[10]), double(v[11]), double(v[12])});
    }
}

}  // namespace tav
