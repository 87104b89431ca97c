// What a user does to the editor (press, drag, release, double-click, wheel, keys,
// typed entries, closing and reopening) on a window-less surface with the
// effect's own layout and skin, interleaved with the host's automation, programs, typed
// text, chunks and audio. Afterwards every edit the host was told about has
// ended, the parameters hold sound values and the chunks come back unchanged.
#include <fuzzer/FuzzedDataProvider.h>

#include <limits>
#include <string>
#include <vector>

#include "editor/headless_surface.h"
#include "tests/fuzz/editor_layout_for_fuzzing.h"
#include "tests/fuzz/fuzz_plugin.h"
#include "vst2/ivst_effect.h"

namespace tav::fuzz {
namespace {

int Coordinate(FuzzedDataProvider& in, int extent) {
    static const int kEdges[] = {-1, 0, std::numeric_limits<int>::min(),
                                 std::numeric_limits<int>::max()};
    if (in.ConsumeIntegralInRange(0, 15) == 0) return in.PickValueInArray(kEdges);
    return in.ConsumeIntegralInRange(-8, extent + 8);
}

MouseMods Mods(FuzzedDataProvider& in) {
    const uint8_t bits = in.ConsumeIntegral<uint8_t>();
    MouseMods mods;
    mods.left = (bits & 1) != 0;
    mods.right = (bits & 2) != 0;
    mods.shift = (bits & 4) != 0;
    mods.control = (bits & 8) != 0;
    mods.alt = (bits & 16) != 0;
    return mods;
}

void HostStep(FuzzedPlugin& plugin, FuzzedDataProvider& in) {
    AEffect* effect = plugin.Effect();
    const int index = in.ConsumeIntegralInRange(-1, effect->numParams);
    switch (in.ConsumeIntegralInRange(0, 4)) {
        case 0:
            effect->setParameter(effect, index, in.ConsumeFloatingPointInRange(-0.5f, 1.5f));
            break;
        case 1:
            plugin.Dispatch(effSetProgram, 0, in.ConsumeIntegralInRange(-1, effect->numPrograms));
            break;
        case 2: {
            const std::string text = in.ConsumeRandomLengthString(24);
            plugin.Dispatch(effString2Parameter, index, 0, const_cast<char*>(text.c_str()));
            break;
        }
        case 3: {
            const bool bank = in.ConsumeBool();
            std::vector<uint8_t> chunk = plugin.Chunk(bank);
            chunk.resize(in.ConsumeIntegralInRange<size_t>(0, chunk.size()));
            plugin.Dispatch(effSetChunk, bank ? 0 : 1, static_cast<VstIntPtr>(chunk.size()),
                            chunk.data());
            break;
        }
        default:
            FUZZ_CHECK(plugin.ProcessesFinite(32), "audio not finite");
            break;
    }
}

// One instance with its editor open serves every input, as in a host session:
// building the layout and painting the whole face for each input cost nearly
// all of the run. Each input starts from the instance's first bank and program.
struct Session {
    Session()
        : core(IVstEffect::FromEffect(plugin.Effect())), surface(AttachHeadlessEditor(*core)) {
        surface->OpenInParent(nullptr);
        surface->Tick();
        bank = plugin.Chunk(true);
        program = plugin.Chunk(false);
    }

    void Restore() {
        Transport() = HostTransport();
        Notices() = EditNotices();
        for (const bool isBank : {true, false}) {
            std::vector<uint8_t>& chunk = isBank ? bank : program;
            const VstIntPtr taken = plugin.Dispatch(
                effSetChunk, isBank ? 0 : 1, static_cast<VstIntPtr>(chunk.size()), chunk.data());
            FUZZ_CHECK(taken == 1, "first state refused");
        }
    }

    FuzzedPlugin plugin;
    IVstEffect* core;
    HeadlessSurface* surface;  // the core owns it
    std::vector<uint8_t> bank, program;
};

}  // namespace
}  // namespace tav::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tav;
    using namespace tav::fuzz;
    static Session session;
    session.Restore();
    FuzzedPlugin& plugin = session.plugin;
    IVstEffect* core = session.core;
    HeadlessSurface* surface = session.surface;
    const int width = surface->Width(), height = surface->Height();
    FuzzedDataProvider in(data, size);

    for (int step = 0; step < 96 && in.remaining_bytes() > 0; ++step) {
        const int x = Coordinate(in, width), y = Coordinate(in, height);
        switch (in.ConsumeIntegralInRange(0, 12)) {
            case 0:
                surface->PressAt(x, y, Mods(in));
                break;
            case 1:
            case 2:
                surface->DragTo(x, y, Mods(in));
                break;
            case 3:
                surface->ReleaseAt(x, y, Mods(in));
                break;
            case 4:
                surface->DoubleClickAt(x, y, Mods(in));
                break;
            case 5:
                surface->WheelAt(x, y, Mods(in),
                                 in.ConsumeIntegralInRange(-3, 3) * (in.ConsumeBool() ? 1 : 40));
                break;
            case 6:
                surface->KeyAt(x, y, in.ConsumeIntegral<int>());
                break;
            case 7:
                surface->CommitEntry(in.ConsumeRandomLengthString(40).c_str());
                break;
            case 8:
                surface->CancelEntry();
                break;
            case 9:
                surface->Tick();
                break;
            case 10:
                surface->CloseNative();
                surface->OpenInParent(nullptr);
                break;
            default:
                HostStep(plugin, in);
                break;
        }
    }

    // The user lets go and the timer runs on: every gesture must have ended.
    surface->ReleaseAt(0, 0, MouseMods());
    surface->CancelEntry();
    for (int tick = 0; tick < 200 && (tick < 2 || surface->GestureCountdown() != 0); ++tick)
        surface->Tick();
    FUZZ_CHECK(Notices().begins == Notices().ends, std::to_string(Notices().begins) +
                                                       " edits begun, " +
                                                       std::to_string(Notices().ends) + " ended");
    for (int i = 0; i < core->ParamCount(); ++i) {
        const PluginParam* param = core->Param(i);
        FUZZ_CHECK(param->value >= param->minValue && param->value <= param->maxValue,
                   "parameter " + std::to_string(i) + " at " + std::to_string(param->value));
    }
    RequireOwnChunksTaken(plugin);
    FUZZ_CHECK(plugin.ProcessesFinite(64), "audio not finite after the editor");
    return 0;
}
