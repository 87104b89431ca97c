#pragma once

#include <cstdint>

namespace tav {

// One channel's four-stage all-pass phaser and its triangle sweep.
struct PhaserSide {
    double stageInputs[4] = {};   // x[n-1] of each stage
    double stageOutputs[4] = {};  // y[n-1]; the fourth feeds back and is the wet signal
    float feedbackGain = 0.0f;
    float wetGain = 0.0f;
    double coefficientBase = 0.0;  // coefficient at the lower edge of the sweep
    double coefficientSpan = 0.0;  // twice (upper-edge coefficient - base)
    uint32_t sweepPeriod = 0;      // samples per triangle cycle, rounded
    int32_t halfPeriod = 0;
    // The triangle runs on these. Free, they are the rounded period and its half;
    // locked to the song, the exact length of the division at the tempo, so that
    // the sweep does not drift off the bar lines. The position is whole samples
    // until a tempo change re-times it to the same fraction of the new cycle.
    double cycleLength = 0.0;
    double cycleHalf = 0.0;
    double sweepCounter = 0.0;  // 0 .. cycleLength
    // Samples the counter moves per frame: 1 but where a song-locked sweep follows
    // a position that moves faster or slower than the host's tempo says.
    double sweepStep = 1.0;
    int32_t centreFrequency = 0;  // Hz, last applied
    int32_t sweepWidth = 0;       // Hz, last applied depth converted
    int32_t divisionIndex = 0;    // last applied sweep rate, re-applied on tempo changes
};

// Where the sweeps take their position from: counted on from the last restart,
// or computed from the host's song position while its transport plays.
enum class SweepSync { Free, Song };

// No song position for this block: the sweep runs on from where it is.
inline constexpr double kNoSongPosition = -1.0;

// The stereo phaser: two independent sides, an accent that picks each side's
// polarity, and a silence gate that passes audio through untouched. Knows
// nothing of the host; the caller supplies rates, tempo and setting values.
// Not thread-safe: the caller serialises all calls. Nothing here allocates.
class PhaserEngine {
  public:
    // Holds the parameter defaults for every setting except "Filter Mirror"
    // (off) and "Bypass Ceil" (not applied: the engine is not ready yet).
    PhaserEngine();

    // Applies the current plain value of setting 0 to 12 (see PhaserParam).
    // The value is rounded half away from zero and bounded into the
    // parameter's range; non-finite values and unknown indices are ignored.
    void ApplySetting(int index, double value);

    // Loading a program or a state: both sweeps restart and the filters clear,
    // whichever values changed.
    void Restart();

    // Free or locked to the song; switching keeps each sweep where it is.
    void SetSweepSync(SweepSync sync);
    SweepSync Sync() const { return sync_; }

    // Glide: what would step glides instead. Continuous settings (frequency, depth,
    // feedback, wet, and the accent's polarities) move from old to new over about
    // 25 ms; restarts, new sweep rates, mirror switches, programs, new tempi and
    // re-locks to the song cross-fade from the sound so far to exactly the sound
    // that applying them at once gives. Off, every change lands at once. Steady
    // settings sound the same either way, to the last bit. Switching affects the
    // changes to come; one under way finishes.
    void SetGlide(bool on) { glide_ = on; }
    bool Glide() const { return glide_; }

    // A program or a state is about to land: the sound so far is held to fade
    // from, and what is applied until Restart lands at once under that fade.
    void HoldForRestart();

    // Processes one block of two channels in place or out of place.
    // samplesPerBeat is 0 when the host gives no tempo; the sweep then runs at
    // the last tempo it had, 120 beats per minute if none. songBeats is the
    // host's position in quarter notes at the block's first frame while its
    // transport plays, kNoSongPosition otherwise; only a song-locked sweep reads
    // it. Until "Bypass Ceil" has been applied the outputs are left unwritten.
    void ProcessBlock(const double* const* in, double* const* out, int frames, double sampleRate,
                      double samplesPerBeat, double songBeats = kNoSongPosition);

    // Sample-rate change or (re)activation: recomputes the sweep ranges for a
    // new rate, then clears both filters and restarts both sweeps.
    void ResetProcessing(double sampleRate);

    // Frames the output can still differ from the input once the input falls
    // silent, for the current settings: the filters ringing down below the gate's
    // threshold (an estimate that errs long), then the gate's hold.
    uint32_t TailFrames() const;

    // Where a side's triangle is, as a fraction of its cycle: 0 at the upper
    // edge, 0.5 at the lower one.
    static double SweepPosition(const PhaserSide& side);

    // A glide or a cross-fade is under way.
    bool Gliding() const { return gliding_; }
    bool Fading() const { return fading_; }

    const PhaserSide& Left() const { return left_; }
    const PhaserSide& Right() const { return right_; }
    double CurrentCoefficient() const { return currentCoefficient_; }
    float Threshold() const { return threshold_; }
    int Accent() const { return accent_; }
    bool Mirror() const { return mirror_; }
    bool Ready() const { return ready_; }
    bool Initialised() const { return initialised_; }
    double SampleRate() const { return sampleRate_; }
    double WholeNoteLength() const { return wholeNoteLength_; }
    int32_t QuietCounter() const { return quietCounter_; }
    int32_t HoldLength() const { return holdLength_; }

  private:
    void ApplySweepRange(PhaserSide& side) const;
    void ApplySweepPeriod(PhaserSide& side) const;
    void RetimeSweeps();
    void FollowTempo(double whole);
    void LockToSong(double songBeats, double samplesPerBeat, int frames);
    bool FollowDrift(double songBeats, double lastBeats, int lastFrames, double samplesPerBeat,
                     int frames);
    void CaptureRate(double sampleRate);
    void ResetState();
    bool StateIsSound() const;
    void RunFrames(const double* inL, const double* inR, double* outL, double* outR, int frames);
    static void MaskInput(const double* in, double* out, int frames);
    void RunSteady(const double* inL, const double* inR, double* outL, double* outR, int frames);
    template <bool kGlide, bool kFade>
    int RunTransition(double* outL, double* outR, int frames);
    void EndTransitions();

    // Glide: the quantities the sample loop uses, per side (left, then right):
    // coefficient base, span, feedback and signed wet gain.
    static constexpr int kLanes = 8;
    bool GlideActive() const;
    void TargetLanes(double* lanes) const;
    void HeardLanes(double* lanes) const;
    void BeginGlide();
    void SettleGlideIfUnchanged();
    bool BeginCut();
    void HoldGhost();
    void CutNow();

    PhaserSide left_;
    PhaserSide right_;
    double currentCoefficient_ = 0.0;
    float threshold_ = 0.0f;
    int16_t accent_ = 0;
    bool mirror_ = false;
    bool ready_ = false;
    bool initialised_ = false;
    double sampleRate_ = 0.0;
    double wholeNoteLength_ = 0.0;
    int32_t quietCounter_ = 0;
    int32_t holdLength_ = 0;
    SweepSync sync_ = SweepSync::Free;
    // The last tempo the host gave, as samples per beat at the rate it came with:
    // a block without one keeps the sweep at that tempo.
    double lastBeatSamples_ = 0.0;
    double lastBeatRate_ = 0.0;
    // Where the song will be at the next block if it plays on, in beats: the
    // sweeps are there already. kNoSongPosition after anything that moved them.
    double songBeatsNext_ = kNoSongPosition;
    // The last block's song position and length, for the position's own pace.
    double songBeatsLast_ = kNoSongPosition;
    int songFramesLast_ = 0;

    // Nothing of this stream was heard yet (a first block, a new activation):
    // there is no sound to glide or fade from.
    bool fresh_ = true;
    bool glide_ = false;  // the effect turns it on: the engine alone is the design
    // A continuous glide: two one-pole stages in a row per lane, so the heard
    // value leaves the old one without a corner and stays smooth when the
    // target moves again halfway.
    bool gliding_ = false;
    double glideStep_ = 0.0;  // per frame, from the captured rate
    double glideFirst_[kLanes] = {};
    double glideHeard_[kLanes] = {};
    // A cross-fade: the sound before the change (the ghost) plays on with the
    // values it had while the design's new sound fades in.
    bool fading_ = false;
    bool holding_ = false;      // a program or state is landing under the held ghost
    bool restartOwed_ = false;  // a change that came during a fade: restarts at its end
    int32_t fadeLength_ = 1;
    int32_t fadePosition_ = 0;
    PhaserSide ghost_[2];
    double ghostLanes_[kLanes] = {};
};

}  // namespace tav
