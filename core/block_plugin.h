// What the formats whose host hands audio in blocks with timed events (VST 3,
// CLAP, LV2) share, behind one face: the life of the audio (set-up, activation),
// a block's changes in the effect's own units at their frame offsets, the block
// split at them and capped to the scratch, the bypass fade, the tail, and the
// state bytes with their all-or-nothing load under one size limit. A format's
// adapter translates its host's calls and events into these and nothing more.
//
// The audio callback takes no lock. While the audio is active the audio thread
// alone touches the core: the other threads hand it their changes through a
// queue (a state to load arrives checked and ready), and read what the audio
// thread publishes after each block that changed anything (the values, and the
// bank at each program or state change). A save rebuilds the state from those on
// a model of the effect of its own, so it never stops the audio.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/audio_handoff.h"
#include "core/block_runner.h"
#include "core/caller_wait.h"
#include "core/state_chunk.h"
#include "core/timed_changes.h"
#include "core/transport_core.h"

namespace tav {

// What the other threads read of the audio thread's model.
struct ModelValues {
    static constexpr int kMaxParams = 32;
    static constexpr int kMaxSettings = 4;

    uint64_t handed = 0;      // the handed changes applied before these values
    uint64_t bankSerial = 0;  // which published bank goes with them
    int32_t program = 0;
    int32_t bypass = 0;
    uint32_t tailFrames = 0;
    double params[kMaxParams] = {};  // plain values
    double settings[kMaxSettings] = {};
};

// A change another thread hands the audio thread: one of the block's kinds, or a
// whole state. An echo is the format's own: it hears of the change on the audio
// thread (an editor's gesture its host must learn of); kinds beyond the block's
// with an echo only carry the echo.
struct HandedChange {
    enum class Kind : uint8_t { Change, State, EchoOnly };
    Kind kind = Kind::Change;
    ChangeKind change = ChangeKind::Param;
    int32_t index = 0;
    double value = 0.0;
    uint16_t echo = 0;  // the format's own tag and id for it; 0: no echo
    uint32_t echoId = 0;
    const struct PreparedState* state = nullptr;
};

class BlockPlugin {
  public:
    // Scratch beyond this is not worth holding: longer blocks run in slices.
    static constexpr int32_t kMaxScratchFrames = 8192;
    static constexpr int kHandoffCapacity = 128;
    // A model of the same effect, for what the other threads rebuild.
    using ModelFactory = std::unique_ptr<TransportCore> (*)();
    // The format's ear for echoes, called on the thread that applies the change.
    using EchoSink = void (*)(void* context, const HandedChange& change);

    explicit BlockPlugin(TransportCore& core, ModelFactory makeModel = nullptr);
    ~BlockPlugin();
    BlockPlugin(const BlockPlugin&) = delete;
    BlockPlugin& operator=(const BlockPlugin&) = delete;

    void SetEchoSink(EchoSink sink, void* context) {
        echoSink_ = sink;
        echoContext_ = context;
    }

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

    // The audio thread's (or, while inactive, the caller's).
    bool Bypassed() const { return runner_.Bypassed(); }
    bool Fading() const { return runner_.Fading(); }

    // From any thread but the audio thread.
    // The tail for the current settings and rate.
    uint32_t TailFrames();
    // The state as every one of these formats saves it.
    bool SaveState(std::vector<uint8_t>& out);
    // Any form the state accepts, completely or not at all: false leaves everything.
    bool LoadState(const std::vector<uint8_t>& bytes);
    // A change for the audio thread, applied at its next block (at once while
    // inactive); false when the queue is full.
    bool Hand(const HandedChange& change);
    // The model as the audio thread will have it once it has taken what was handed.
    bool ReadModel(ModelValues& out);

  private:
    struct Published;

    bool Add(int32_t offset, ChangeKind kind, int32_t index, double value);
    void Apply(const TimedChange& change);
    void ApplyHanded(const HandedChange& change);
    // The audio thread's side: what was handed, and what it publishes.
    void TakeHanded();
    void Publish(bool exactTail = false);
    void ReadCore(ModelValues& out);
    // The caller's side.
    void Settle();
    bool PushWaiting(const HandedChange& change);
    bool ReadPublished(ModelValues& values, std::vector<uint8_t>& bank);
    std::unique_ptr<TransportCore> Rebuild(bool& bypass);

    TransportCore& core_;
    ModelFactory makeModel_;
    BlockRunner runner_;
    TimedChanges changes_;
    StateChunk chunk_;
    int32_t frames_ = 0;
    bool active_ = false;
    // Whether the audio thread may run: until it is, callers act on the core itself.
    std::atomic<bool> live_{false};
    static constexpr int kTailEveryBlocks = 32;
    bool valuesChanged_ = false;
    bool tailStale_ = false;
    int tailAge_ = 0;
    uint32_t tailFrames_ = 0;
    bool bankChanged_ = false;
    uint64_t bankSerial_ = 0;
    EchoSink echoSink_ = nullptr;
    void* echoContext_ = nullptr;

    CallerLock callers_;  // the other threads among themselves; never the audio thread
    SpscQueue<HandedChange, kHandoffCapacity> handed_;
    std::unique_ptr<Published> published_;
};

}  // namespace tav
