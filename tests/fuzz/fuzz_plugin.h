// What the plug-in fuzzers share: an instance made through the module's entry
// point and driven only through its AEffect, a host callback whose transport the
// input controls, buffers sized exactly (so the address sanitizer guards their
// ends) and the state as the host sees it through chunks.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "vst2/vst2_abi.h"

namespace tav::fuzz {

// The transport the host reports through audioMasterGetTime.
struct HostTransport {
    double tempo = 120.0;
    double samplePos = 0.0;
    VstInt32 flags = kVstTempoValid | kVstTimeSigValid;
    VstInt32 timeSigNumerator = 4;
    VstInt32 timeSigDenominator = 4;
};
HostTransport& Transport();

// What the plug-in told the host about edits: gestures opened and closed.
struct EditNotices {
    int begins = 0;
    int ends = 0;
    int automations = 0;
};
EditNotices& Notices();

// An allocation of exactly size bytes: one byte past either end is a finding.
class ExactBuffer {
  public:
    explicit ExactBuffer(size_t size, uint8_t fill = 0);
    uint8_t* Data() const { return bytes_.get(); }
    size_t Size() const { return size_; }

  private:
    std::unique_ptr<uint8_t[]> bytes_;
    size_t size_;
};

// A NUL-terminated copy of bytes in a buffer of exactly its length.
ExactBuffer TextBuffer(const uint8_t* bytes, size_t size);

class FuzzedPlugin {
  public:
    // VSTPluginMain, then what a host does before audio: open, rate, block, resume.
    FuzzedPlugin();
    ~FuzzedPlugin();  // effClose
    FuzzedPlugin(const FuzzedPlugin&) = delete;
    FuzzedPlugin& operator=(const FuzzedPlugin&) = delete;

    AEffect* Effect() const { return effect_; }
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    // The chunk the plug-in hands out, copied (empty when it gives none).
    std::vector<uint8_t> Chunk(bool bank);
    // Closes this instance and makes a fresh one, as a host reloading a project.
    void Reload();
    // Replacing, accumulating and double processing of a steady finite signal:
    // whether every output sample came out finite.
    bool ProcessesFinite(int frames);

  private:
    void Create();
    void Close();

    AEffect* effect_ = nullptr;
};

// A steady finite test signal, and whether a block is all finite. The fuzz build
// keeps its coverage tracing out of these per-sample loops.
template <class Sample>
void FillSamples(Sample* samples, int frames, int phase) {
    for (int i = 0; i < frames; ++i) {
        samples[i] = static_cast<Sample>(((i + phase) & 63) - 32) * static_cast<Sample>(0.01);
    }
}
template <class Sample>
bool AllFinite(const Sample* samples, int frames) {
    bool finite = true;
    for (int i = 0; i < frames; ++i) finite &= samples[i] - samples[i] == 0;
    return finite;
}

// The state as a host can observe it: current program, live values (program
// chunk), every preset (bank chunk) and the sweep sync (the trailer both carry
// when it is Song: "TvSy", int32 1, int32 1), decoded independently of the plug-in.
struct PresetImage {
    std::string name;
    bool initialised = false;
    std::vector<double> values;
};
struct StateImage {
    int program = 0;
    std::vector<double> live;
    std::vector<PresetImage> presets;
    // The settings beyond the parameters, from the trailers after both chunks' data.
    int sweepSync = 0;  // 1: Song
    int glide = 1;      // 0: Off
};
// The settings' trailers after a chunk's data at pos, in order ("TvSy" then "TvGl",
// each int32 1 and int32 0 or 1), each left at its default where the bytes there
// are not its tag; none when a tag starts but its trailer is not whole and sound.
// end is where they end.
std::optional<StateImage> SettingsAfter(const std::vector<uint8_t>& chunk, size_t pos, size_t& end);
StateImage Capture(FuzzedPlugin& plugin);
// Whatever happened, the plug-in's own bank and program come back as they went out.
void RequireOwnChunksTaken(FuzzedPlugin& plugin);
// Empty when equal, otherwise the first difference in words.
std::string Difference(const StateImage& expected, const StateImage& actual);

// Little-endian reads of chunk bytes.
int32_t ReadInt32(const uint8_t* p);
double ReadF64(const uint8_t* p);

}  // namespace tav::fuzz
