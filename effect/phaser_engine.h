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
    uint32_t sweepPeriod = 0;      // samples per triangle cycle
    int32_t halfPeriod = 0;
    int32_t sweepCounter = 0;     // 0 .. sweepPeriod - 1
    int32_t centreFrequency = 0;  // Hz, last applied
    int32_t sweepWidth = 0;       // Hz, last applied depth converted
    int32_t divisionIndex = 0;    // last applied sweep rate, re-applied on tempo changes
};

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

    // Processes one block of two channels in place or out of place.
    // samplesPerBeat is 0 when the host gives no tempo; the sweep then runs at
    // 120 beats per minute. Until "Bypass Ceil" has been applied the outputs
    // are left unwritten.
    void ProcessBlock(const double* const* in, double* const* out, int frames, double sampleRate,
                      double samplesPerBeat);

    // Sample-rate change or (re)activation: recomputes the sweep ranges for a
    // new rate, then clears both filters and restarts both sweeps.
    void ResetProcessing(double sampleRate);

    // Frames the output can still differ from the input once the input falls
    // silent, for the current settings: the filters ringing down below the gate's
    // threshold (an estimate that errs long), then the gate's hold.
    uint32_t TailFrames() const;

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
    void ResetState();
    bool StateIsSound() const;
    void RunFrames(const double* inL, const double* inR, double* outL, double* outR, int frames);

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
};

}  // namespace tav
