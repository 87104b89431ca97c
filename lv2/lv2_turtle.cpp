// tav_lv2_turtle BUNDLE_DIR: writes the LV2 bundle's Turtle (manifest.ttl,
// Tavrellion.ttl, presets.ttl) from the effect's own tables, so that the ports,
// ranges, texts and programs hosts read are the ones the binary runs with.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "effect/extra_settings.h"
#include "effect/factory_presets.h"
#include "lv2/lv2_plugin.h"
#include "lv2/lv2_ports.h"

#if !defined(TAV_VERSION_MINOR) || !defined(TAV_VERSION_PATCH)
#error "the build defines TAV_VERSION_MINOR and TAV_VERSION_PATCH"
#endif

namespace tav::lv2 {
namespace {

const std::string kUri = kPluginUri;
constexpr const char* kLicense = "https://qorva.audio/license";

const char* const kPrefixes =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .\n"
    "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix time: <http://lv2plug.in/ns/ext/time#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// A program's URI: its name in lower case, words joined by hyphens.
std::string PresetUri(const char* name) {
    std::string slug;
    for (const char* c = name; *c != '\0'; ++c) {
        const char lower = static_cast<char>(*c >= 'A' && *c <= 'Z' ? *c - 'A' + 'a' : *c);
        const bool word = (lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9');
        if (word) {
            slug += lower;
        } else if (!slug.empty() && slug.back() != '-') {
            slug += '-';
        }
    }
    while (!slug.empty() && slug.back() == '-') slug.pop_back();
    return kUri + "/presets#" + slug;
}

const char* UnitOf(const char* label) {
    const std::string unit = label;
    if (unit == "Hz") return "units:hz";
    if (unit == "%") return "units:pc";
    if (unit == "dB") return "units:db";
    return nullptr;
}

void ScalePoints(std::ostream& out, const char* const* texts, int count) {
    out << " ;\n        lv2:scalePoint ";
    for (int i = 0; i < count; ++i) {
        out << (i > 0 ? " ,\n            " : "") << "[ rdfs:label " << Quoted(texts[i])
            << " ; rdf:value " << i << " ]";
    }
}

// Sweep Sync and Glide: two-step lists, automatable (Glide makes switching smooth).
void SettingPort(std::ostream& out, int setting) {
    const ExtraSetting& info = kExtraSettings[setting];
    out << "a lv2:InputPort , lv2:ControlPort ;\n        lv2:index " << kSettingPorts[setting]
        << " ;\n        lv2:symbol " << Quoted(kPortSymbols[kSettingPorts[setting]])
        << " ;\n        lv2:name " << Quoted(info.name) << " ;\n        lv2:default "
        << info.defaultStep << " ;\n        lv2:minimum 0 ;\n        lv2:maximum 1 ;\n"
        << "        lv2:portProperty lv2:integer , lv2:enumeration";
    ScalePoints(out, info.texts, 2);
}

void ParamPort(std::ostream& out, uint32_t port, const PluginParam& param) {
    out << "a lv2:InputPort , lv2:ControlPort ;\n        lv2:index " << port
        << " ;\n        lv2:symbol " << Quoted(kPortSymbols[port]) << " ;\n        lv2:name "
        << Quoted(param.Name()) << " ;\n        lv2:default " << Number(param.value)
        << " ;\n        lv2:minimum " << Number(param.minValue) << " ;\n        lv2:maximum "
        << Number(param.maxValue);
    const bool labelled = param.ValueLabelCount() > 0;
    if (labelled) {
        // A two-way switch ("No", "Yes") is a toggle; its labels name its states all the same.
        const bool toggle = param.minValue == 0.0 && param.maxValue == 1.0;
        out << (toggle ? " ;\n        lv2:portProperty lv2:toggled"
                       : " ;\n        lv2:portProperty lv2:integer , lv2:enumeration");
        std::vector<const char*> texts;
        for (int i = 0; i <= static_cast<int>(param.maxValue); ++i)
            texts.push_back(param.ValueLabelFor(i));
        ScalePoints(out, texts.data(), static_cast<int>(texts.size()));
    } else if (param.kind != KindContinuous) {
        out << " ;\n        lv2:portProperty lv2:integer";
    }
    if (const char* unit = UnitOf(param.UnitLabel())) out << " ;\n        units:unit " << unit;
}

std::string PluginTurtle(Lv2Phaser& effect) {
    std::ostringstream out;
    out << kPrefixes;
    out << "<" << kUri << "#in>\n    a pg:StereoGroup , pg:InputGroup ;\n"
        << "    lv2:symbol \"in\" ;\n    rdfs:label \"Input\" .\n\n";
    out << "<" << kUri << "#out>\n    a pg:StereoGroup , pg:OutputGroup ;\n"
        << "    lv2:symbol \"out\" ;\n    rdfs:label \"Output\" ;\n    pg:source <" << kUri
        << "#in> .\n\n";
    // The UI binary's needs (lv2/lv2_ui*.cpp): the scale comes as an option.
    out << "<" << kUiUri << ">\n    a ui:X11UI ;\n"
        << "    lv2:requiredFeature ui:parent ;\n"
        << "    lv2:optionalFeature ui:idleInterface , ui:resize , ui:touch , urid:map , "
           "opts:options ;\n"
        << "    lv2:extensionData ui:idleInterface , opts:interface ;\n"
        << "    opts:supportedOption ui:scaleFactor .\n\n";
    out << "<" << kUri << ">\n    a lv2:Plugin , lv2:PhaserPlugin , doap:Project ;\n"
        << "    doap:name \"Tavrellion\" ;\n    doap:license <" << kLicense << "> ;\n"
        << "    doap:maintainer [\n        a foaf:Organization ;\n"
        << "        foaf:name \"Qorva\" ;\n        foaf:homepage <https://qorva.audio>\n    ] ;\n"
        << "    lv2:minorVersion " << TAV_VERSION_MINOR << " ;\n    lv2:microVersion "
        << TAV_VERSION_PATCH << " ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , urid:map , opts:options ;\n"
        << "    opts:supportedOption bufsz:maxBlockLength ;\n"
        << "    pg:mainInput <" << kUri << "#in> ;\n    pg:mainOutput <" << kUri << "#out> ;\n"
        << "    ui:ui <" << kUiUri << "> ;\n    lv2:port ";
    struct Audio {
        uint32_t port;
        const char* kind;
        const char* name;
        const char* group;
        const char* side;
    };
    const Audio audio[] = {{kPortInLeft, "lv2:InputPort", "In Left", "in", "pg:left"},
                           {kPortInRight, "lv2:InputPort", "In Right", "in", "pg:right"},
                           {kPortOutLeft, "lv2:OutputPort", "Out Left", "out", "pg:left"},
                           {kPortOutRight, "lv2:OutputPort", "Out Right", "out", "pg:right"}};
    const char* separator = "[\n        ";
    for (const Audio& a : audio) {
        out << separator << "a lv2:AudioPort , " << a.kind << " ;\n        lv2:index " << a.port
            << " ;\n        lv2:symbol " << Quoted(kPortSymbols[a.port]) << " ;\n        lv2:name "
            << Quoted(a.name) << " ;\n        pg:group <" << kUri << "#" << a.group
            << "> ;\n        lv2:designation " << a.side;
        separator = "\n    ] , [\n        ";
    }
    for (uint32_t port = kPortFirstParam; port < kPortEnabled; ++port) {
        out << separator;
        ParamPort(out, port, *effect.Param(ParamOfPort(port)));
    }
    out << separator << "a lv2:InputPort , lv2:ControlPort ;\n        lv2:index " << kPortEnabled
        << " ;\n        lv2:symbol " << Quoted(kPortSymbols[kPortEnabled])
        << " ;\n        lv2:name \"Enabled\" ;\n        lv2:designation lv2:enabled ;\n"
        << "        lv2:default 1 ;\n        lv2:minimum 0 ;\n        lv2:maximum 1 ;\n"
        << "        lv2:portProperty lv2:toggled";
    out << separator;
    SettingPort(out, kSweepSyncSetting);
    out << separator << "a lv2:InputPort , atom:AtomPort ;\n        lv2:index " << kPortControl
        << " ;\n        lv2:symbol " << Quoted(kPortSymbols[kPortControl])
        << " ;\n        lv2:name \"Control\" ;\n        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports time:Position ;\n        lv2:designation lv2:control ;\n"
        // Without it the sweep runs free at the tempo a host without one gets.
        << "        lv2:portProperty lv2:connectionOptional";
    out << separator << "a lv2:OutputPort , lv2:ControlPort ;\n        lv2:index " << kPortLatency
        << " ;\n        lv2:symbol " << Quoted(kPortSymbols[kPortLatency])
        << " ;\n        lv2:name \"Latency\" ;\n        lv2:designation lv2:latency ;\n"
        << "        lv2:portProperty lv2:reportsLatency , lv2:integer , pprops:notOnGUI ;\n"
        << "        units:unit units:frame";
    out << separator;
    SettingPort(out, kGlideSetting);
    out << "\n    ] .\n";
    return out.str();
}

std::string PresetsTurtle(Lv2Phaser& effect) {
    std::ostringstream out;
    out << kPrefixes;
    for (const FactoryPreset& preset : kFactoryPresets) {
        out << "<" << PresetUri(preset.name) << ">\n    a pset:Preset ;\n    lv2:appliesTo <"
            << kUri << "> ;\n    rdfs:label " << Quoted(preset.name) << " ;\n    lv2:port ";
        for (int i = 0; i < ParamCount; ++i) {
            // As loading the program bounds it (Filter Mirror's stored 2 is 1).
            const PluginParam& param = *effect.Param(i);
            double value = preset.values[i];
            value = value < param.minValue ? param.minValue
                                           : (value > param.maxValue ? param.maxValue : value);
            out << (i > 0 ? " , " : "") << "[\n        lv2:symbol "
                << Quoted(kPortSymbols[kPortFirstParam + i]) << " ;\n        pset:value "
                << Number(value) << "\n    ]";
        }
        out << " .\n\n";
    }
    return out.str();
}

std::string ManifestTurtle() {
    std::ostringstream out;
    out << kPrefixes;
    out << "<" << kUri << ">\n    a lv2:Plugin ;\n    lv2:binary <Tavrellion.so> ;\n"
        << "    rdfs:seeAlso <Tavrellion.ttl> .\n\n";
    out << "<" << kUiUri << ">\n    a ui:X11UI ;\n    ui:binary <Tavrellion_ui.so> ;\n"
        << "    rdfs:seeAlso <Tavrellion.ttl> .\n\n";
    for (const FactoryPreset& preset : kFactoryPresets) {
        out << "<" << PresetUri(preset.name) << ">\n    a pset:Preset ;\n    lv2:appliesTo <"
            << kUri << "> ;\n    rdfs:label " << Quoted(preset.name)
            << " ;\n    rdfs:seeAlso <presets.ttl> .\n\n";
    }
    return out.str();
}

bool Write(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    return static_cast<bool>(file.flush());
}

}  // namespace
}  // namespace tav::lv2

int main(int argc, char** argv) {
    using namespace tav::lv2;
    if (argc != 2) {
        std::fprintf(stderr, "usage: tav_lv2_turtle BUNDLE_DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    Lv2Phaser effect;
    if (!Write(dir + "/manifest.ttl", ManifestTurtle()) ||
        !Write(dir + "/Tavrellion.ttl", PluginTurtle(effect)) ||
        !Write(dir + "/presets.ttl", PresetsTurtle(effect))) {
        std::fprintf(stderr, "tav_lv2_turtle: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
