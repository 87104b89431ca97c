// One instance of the phaser for the browser's AudioWorklet: the effect behind a
// BlockPlugin, with the fixed buffers the worklet writes its input into and reads
// the output from, and a fixed table of the block's timed changes. The worklet's
// thread makes every call, so what it hands between blocks lands at the next one.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/block_plugin.h"
#include "core/transport_core.h"
#include "effect/host_params.h"
#include "effect/phaser_effect.h"

namespace tav::web {

using WebPhaser = PhaserEffect<TransportCore>;

// A timed change as the worklet lays it out in the table: frame offset, host
// parameter id, plain value.
struct WebChange {
    double offset;
    double id;
    double plain;
};

class WebPlugin {
  public:
    static constexpr int32_t kMaxFrames = 4096;
    static constexpr int32_t kMaxChanges = 512;
    static constexpr size_t kMaxStateBytes = 1 << 20;

    // None for a nonsense rate or block size, or without memory.
    static std::unique_ptr<WebPlugin> Create(double sampleRate, int32_t maxFrames);

    float* Input(int channel) { return channel == 0 ? inLeft_.data() : inRight_.data(); }
    float* Output(int channel) { return channel == 0 ? outLeft_.data() : outRight_.data(); }
    int32_t MaxFrames() const { return maxFrames_; }
    WebChange* Changes() { return changes_; }

    // The transport of the next block; nonsense fields count as not given.
    void SetTransport(double tempo, int32_t numerator, int32_t denominator, bool playing,
                      double songBeats, double samplePosition);
    // Renders the input buffers into the output buffers with the first count
    // changes of the table at their offsets. False (output silent) for nonsense.
    bool Process(int32_t frames, int32_t changeCount);
    // Changes the table could not take: refused for a non-finite value, an id
    // nothing has, or an offset that is not a number.
    int32_t RefusedChanges() const { return refused_; }

    HostParams Params() { return HostParams(*effect_); }
    // A host parameter's current plain value (1001: the program); false for ids
    // nothing has.
    bool Value(uint32_t id, double& plain);
    // An edit from the face, raw, at the next block.
    bool Edit(uint32_t id, double plain);

    bool SelectProgram(int32_t program);
    static int32_t ProgramCount();
    static const char* ProgramName(int32_t program);

    bool SaveState(std::vector<uint8_t>& out) { return plugin_->SaveState(out); }
    // Completely or not at all.
    bool LoadState(const std::vector<uint8_t>& bytes);

  private:
    WebPlugin() = default;
    bool AddChange(const WebChange& change, int32_t frames);

    std::unique_ptr<WebPhaser> effect_;
    std::unique_ptr<BlockPlugin> plugin_;
    int32_t maxFrames_ = 0;
    std::vector<float> inLeft_, inRight_, outLeft_, outRight_;
    WebChange changes_[kMaxChanges] = {};
    int32_t refused_ = 0;
};

}  // namespace tav::web
