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

// A new tempo from a beat on.
struct TempoStep {
    double atBeat = 0.0;
    double bpm = 0.0;
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
    // The tempo map instead of the ramp above: steps, and a ramp linear in beats
    // from mapRampFrom BPM at beat mapRampStart to mapRampTo at mapRampEnd. The
    // song position integrates the map; blocks end where a step or the ramp's
    // ends fall, and each reports the tempo at its first frame.
    std::vector<TempoStep> tempoSteps;
    bool mapRamp = false;
    double mapRampStart = 0.0, mapRampEnd = 0.0, mapRampFrom = 0.0, mapRampTo = 0.0;
    // As Ardour 7 does: the ramp's first tempo reported until it ends, while the
    // position follows the map.
    bool reportRampStartTempo = false;
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
    // The beat the song reaches frames into the block Now() describes (which
    // holds no jump), playing.
    double BeatAfter(int frames) const { return BeatAt(now_.samplePos + frames); }
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
    // The tempo map: the real tempo at a beat, the seconds between two beats,
    // the beat reached that many seconds after another, and what is reported.
    double MapTempo(double beat) const;
    double MapSeconds(double from, double to) const;
    double MapBeatAfter(double from, double seconds) const;
    double ReportedTempo(double beat) const;
    // The segment of the map that holds the beat: -1 before its first point.
    int MapSegment(double beat) const;
    void FollowMap();
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
    // A point of the tempo map: its tempo there, changing by slope BPM per beat
    // until the next point.
    struct TempoPoint {
        double beat, bpm, slope;
    };
    double tempo0_;
    TransportPlan plan_;
    std::vector<TempoPoint> map_;
    bool mapped_ = false;
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
