// The host's transport, as a DAW's session plays it: what the block about to be
// rendered reports (playing, tempo, song position in samples and quarter notes,
// bar, loop) and where a block must end, since hosts split their blocks where
// the transport jumps or stops. Every format's hosting code reports from it.
#pragma once

#include <cstdint>
#include <vector>

namespace tav {

// A stop at a beat for a number of beats (at the tempo there); audio flows on.
struct TransportPause {
    double atBeat = 0.0;
    double beats = 0.0;
};

// What the session does beyond a steady tempo from the song start. Beats are
// quarter notes; none of it applies without a tempo.
struct TransportPlan {
    // The tempo moves linearly in time to rampTo BPM over rampFrames rendered
    // frames, taken at each block's first frame.
    bool ramp = false;
    double rampTo = 0.0;
    std::int64_t rampFrames = 0;
    double startBeat = 0.0;
    // On reaching loopEnd the position jumps back to loopStart, loopPasses
    // times, then plays on past the end. No loop unless loopStart < loopEnd.
    double loopStart = 0.0, loopEnd = 0.0;
    int loopPasses = 0;
    std::vector<TransportPause> pauses;  // each happens once, the first time it is reached
};

// What the host reports for the block about to be rendered.
struct TransportState {
    bool playing = true;
    bool changed = true;  // play state or position jumped since the last block
    double sampleRate = 44100.0;
    double tempo = 0.0;  // 0: none reported, and nothing below in beats holds
    std::int64_t samplePos = 0;
    double beats = 0.0;
    double barStart = 0.0;  // beats
    int barNumber = 0;      // the bar at song position 0 is bar 0
    int timeSigNumerator = 4, timeSigDenominator = 4;
    bool hasLoop = false;     // loop bounds known
    bool loopActive = false;  // the position will jump back on reaching loopEnd
    double loopStart = 0.0, loopEnd = 0.0;
    std::int64_t loopStartSample = 0, loopEndSample = 0;
};

class HostTransport {
  public:
    // A tempo of 0 or less reports none; the plan then only starts play.
    HostTransport(double sampleRate, double tempo, int timeSigNumerator, int timeSigDenominator,
                  const TransportPlan& plan = {});

    const TransportState& Now() const { return now_; }
    // The most frames the next block may have (at least 1): it ends where a
    // loop jumps back, or a pause starts or ends.
    int MaxFrames(int wanted) const;
    // The block that Now() described has been rendered with this many frames.
    void Advance(int frames);
    // A host's own changes: a steady tempo from here on (the ramp ends), and a
    // new sample rate (before any audio, the session starts over at it).
    void SetTempo(double bpm);
    void SetSampleRate(double rate);

  private:
    // Beats at a song sample, and the song sample at a beat, through the anchor:
    // the same at a steady tempo whatever the start point.
    double BeatAt(std::int64_t sample) const;
    std::int64_t SampleAt(double beat) const;
    double RampTempo() const;
    void Start();
    void MoveAnchorTo(double tempo);
    void JumpTo(double beat);
    // Takes the loop jumps and pauses that are due at the current position.
    void Settle();
    void Refresh();

    struct Pending {
        TransportPause pause;
        bool done = false;
    };
    double tempo0_;
    TransportPlan plan_;
    std::vector<Pending> pauses_;
    TransportState now_;
    std::int64_t anchorSample_ = 0;
    double anchorBeat_ = 0.0;
    bool ramping_ = false;
    int loopPassesLeft_ = 0;
    std::int64_t pauseLeft_ = 0;
    std::int64_t rendered_ = 0;
};

}  // namespace tav
