// tav_lv2_turtle BUNDLE_DIR: writes the LV2 bundle's Turtle (manifest.ttl,
// Tavrellion.ttl, presets.ttl) from the parameters as every format describes
// them (effect/host_params.h) and the effect's programs, so that the ports,
// ranges, texts and programs hosts read are the ones the binary runs with.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "effect/factory_presets.h"
#include "effect/host_params.h"
#include "lv2/lv2_plugin.h"
#include "lv2/lv2_ports.h"

#if !defined(TAV_VERSION_MINOR) || !defined(TAV_VERSION_PATCH)
#error "the build defines TAV_VERSION_MINOR and TAV_VERSION_PATCH"
#endif

namespace tav::lv2 {
namespace {

const std::string kUri = kPluginUri;
constexpr const char* kLicense = "https://qorva.audio/license";
// The Maintainer of packaging/debian/control.
constexpr const char* kMaintainerMail = "mailto:support@qorva.audio";

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

// A control port from what hosts are told of its parameter. A two-way switch of
// the effect's ("No", "Yes") is a toggle whose labels name its states all the
// same; the settings are two-step lists.
void ControlPort(std::ostream& out, uint32_t port, const HostParams& params,
                 const HostParamInfo& info) {
    out << "a lv2:InputPort , lv2:ControlPort ;\n        lv2:index " << port
        << " ;\n        lv2:symbol " << Quoted(kPortSymbols[port]) << " ;\n        lv2:name "
        << Quoted(info.name) << " ;\n        lv2:default " << Number(info.defaultPlain)
        << " ;\n        lv2:minimum " << Number(info.minPlain) << " ;\n        lv2:maximum "
        << Number(info.maxPlain);
    if (info.list) {
        const bool toggle = info.target.role == HostParamRole::Effect && info.minPlain == 0.0 &&
                            info.maxPlain == 1.0;
        out << (toggle ? " ;\n        lv2:portProperty lv2:toggled"
                       : " ;\n        lv2:portProperty lv2:integer , lv2:enumeration");
        out << " ;\n        lv2:scalePoint ";
        for (int i = 0; i <= info.stepCount; ++i) {
            char text[PluginParam::kTextSize] = {};
            params.Text(info.id, info.minPlain + i, text, sizeof text);
            out << (i > 0 ? " ,\n            " : "") << "[ rdfs:label " << Quoted(text)
                << " ; rdf:value " << Number(info.minPlain + i) << " ]";
        }
    } else if (info.whole) {
        out << " ;\n        lv2:portProperty lv2:integer";
    }
    if (const char* unit = UnitOf(info.unit)) out << " ;\n        units:unit " << unit;
}

std::string PluginTurtle(Lv2Phaser& effect) {
    const HostParams params(effect);
    HostParamInfo byPort[kPortCount];
    for (int position = 0; position < params.Count(); ++position) {
        HostParamInfo info;
        params.Describe(position, info);
        if (const uint32_t port = PortOf(info.target); port < kPortCount) byPort[port] = info;
    }
    std::ostringstream out;
    out << kPrefixes;
    out << "<" << kUri << "#in>\n    a pg:StereoGroup , pg:InputGroup ;\n"
        << "    lv2:symbol \"in\" ;\n    rdfs:label \"Input\" .\n\n";
    out << "<" << kUri << "#out>\n    a pg:StereoGroup , pg:OutputGroup ;\n"
        << "    lv2:symbol \"out\" ;\n    rdfs:label \"Output\" ;\n    pg:source <" << kUri
        << "#in> .\n\n";
    // The UI binary's needs (lv2/lv2_ui*.cpp): the scale comes as an option. It
    // takes a host's ui:resize all the same; the term is deprecated, so unnamed.
    out << "<" << kUiUri << ">\n    a ui:X11UI ;\n"
        << "    lv2:requiredFeature ui:parent ;\n"
        << "    lv2:optionalFeature ui:idleInterface , ui:touch , urid:map , opts:options ;\n"
        << "    lv2:extensionData ui:idleInterface , opts:interface ;\n"
        << "    opts:supportedOption ui:scaleFactor .\n\n";
    out << "<" << kUri << ">\n    a lv2:Plugin , lv2:PhaserPlugin , doap:Project ;\n"
        << "    doap:name \"Tavrellion\" ;\n    doap:license <" << kLicense << "> ;\n"
        << "    doap:maintainer [\n        a foaf:Organization ;\n"
        << "        foaf:name \"Qorva\" ;\n        foaf:mbox <" << kMaintainerMail << "> ;\n"
        << "        foaf:homepage <https://qorva.audio>\n    ] ;\n"
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
        ControlPort(out, port, params, byPort[port]);
    }
    out << separator << "a lv2:InputPort , lv2:ControlPort ;\n        lv2:index " << kPortEnabled
        << " ;\n        lv2:symbol " << Quoted(kPortSymbols[kPortEnabled])
        << " ;\n        lv2:name \"Enabled\" ;\n        lv2:designation lv2:enabled ;\n"
        << "        lv2:default 1 ;\n        lv2:minimum 0 ;\n        lv2:maximum 1 ;\n"
        << "        lv2:portProperty lv2:toggled";
    out << separator;
    ControlPort(out, kPortSweepSync, params, byPort[kPortSweepSync]);
    out << separator << "a lv2:InputPort , atom:AtomPort ;\n        lv2:index " << kPortControl
        << " ;\n        lv2:symbol " << Quoted(kPortSymbols[kPortControl])
        << " ;\n        lv2:name \"Control\" ;\n        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports time:Position ;\n        lv2:designation lv2:control ;\n"
        // Without it the sweep runs free at the tempo a host without one gets.
        << "        lv2:portProperty lv2:connectionOptional";
    out << separator << "a lv2:OutputPort , lv2:ControlPort ;\n        lv2:index " << kPortLatency
        << " ;\n        lv2:symbol " << Quoted(kPortSymbols[kPortLatency])
        << " ;\n        lv2:name \"Latency\" ;\n        lv2:designation lv2:latency ;\n"
        << "        lv2:portProperty lv2:integer , pprops:notOnGUI ;\n"
        << "        units:unit units:frame";
    out << separator;
    ControlPort(out, kPortGlide, params, byPort[kPortGlide]);
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
    out << "<" << kUiUri << ">\n    a ui:X11UI ;\n    lv2:binary <Tavrellion_ui.so> ;\n"
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
