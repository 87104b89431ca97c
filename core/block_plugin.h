// What the formats whose host hands audio in blocks with timed events (VST 3,
// CLAP, LV2) share, behind one face: the life of the audio (set-up, activation),
// a block's changes in the effect's own units at their frame offsets, the block
// split at them and capped to the scratch, the bypass fade, the tail, and the
// state bytes with their all-or-nothing load under one size limit. A format's
// adapter translates its host's calls and events into these and nothing more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/block_runner.h"
#include "core/state_chunk.h"
#include "core/timed_changes.h"
#include "core/transport_core.h"

namespace tav {

class BlockPlugin {
  public:
    // Scratch beyond this is not worth holding: longer blocks run in slices.
    static constexpr int32_t kMaxScratchFrames = 8192;

    explicit BlockPlugin(TransportCore& core) : core_(core), runner_(core) {}

    TransportCore& Core() { return core_; }

    // The host's rate and its largest block; false for nonsense or no memory.
    bool SetUp(double sampleRate, int64_t maxFrames);
    bool Active() const { return active_; }
    void SetActive(bool active);
    // The host starts the audio afresh (CLAP's reset): filters and fades.
    void Restart();

    // One block's changes: cleared, gathered in any order, then rendered or
    // applied. Offsets are bounded into the block. False when there is no room.
    void BeginChanges(int32_t frames);
    int Room() const { return changes_.Room(); }
    bool AddParam(int32_t offset, int index, double unit);
    bool AddBypass(int32_t offset, bool on);
    bool AddSetting(int32_t offset, int setting, double value);
    bool AddProgram(int32_t offset, int program);
    bool AddTempo(int32_t offset, double bpm);
    int ChangeCount() const { return changes_.Count(); }
    // Without audio to split, every change lands at once: nothing is lost.
    void ApplyChanges();
    // The block's audio, split at its changes; a missing input is silence, a
    // missing output is left alone. The caller holds the instance lock.
    template <class Sample>
    void Render(Sample* const* in, Sample* const* out, int32_t frames);

    bool Bypassed() const { return runner_.Bypassed(); }
    bool Fading() const { return runner_.Fading(); }
    uint32_t TailFrames() { return core_.TailFrames(); }

    // The state as every one of these formats saves it, under the lock.
    bool SaveState(std::vector<uint8_t>& out);
    // Any form the state accepts, completely or not at all, under the lock.
    bool LoadState(const std::vector<uint8_t>& bytes);

  private:
    bool Add(int32_t offset, ChangeKind kind, int32_t index, double value);
    void Apply(const TimedChange& change);

    TransportCore& core_;
    BlockRunner runner_;
    TimedChanges changes_;
    StateChunk chunk_;
    int32_t frames_ = 0;
    bool active_ = false;
};

}  // namespace tav
