#include "effect/phaser_engine.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <iterator>

#include "effect/phaser_math.h"
#include "effect/phaser_params.h"

namespace tav {
namespace {

// Tempo the sweep follows when the host has never reported one.
constexpr double kFallbackTempo = 120.0;

// A tempo change this small (a ramp, a host's rounding) re-times the sweeps; a
// larger one is a new tempo and restarts them.
constexpr double kRetimeLimit = 0.02;

// Louder than this (240 dB above full scale) no real signal comes; such a
// sample, like a non-finite one, counts as silence where it arrives.
constexpr double kInputLimit = 1e12;

// Song positions beyond this (15 years at 120 beats per minute) are nonsense.
constexpr double kLatestBeat = 1e9;

// A song position that moves on at between these times the pace the host's tempo
// gives is drifting from it, and the sweeps follow it; beyond, it jumped.
constexpr double kSlowestPace = 0.5;
constexpr double kFastestPace = 2.0;

// A song position this close to where the sweeps have counted is where they are.
constexpr double kOnTrackSamples = 1e-3;

// Exact cycles longer than the rounded period can get are not run.
constexpr double kLongestCycle = 2147483647.0;

// Sweep edges stay inside this band whatever the centre and width.
constexpr int32_t kLowestEdge = 40;
constexpr int32_t kHighestEdge = 20000;

constexpr int kSettingsPerSide = 5;

// Glide: the time constant of each of the two smoothing stages (a step is 99 %
// there after about 26 ms), and how close every lane must be to its target
// before the glide ends and the exact targets take over: -200 dB of the range.
constexpr double kGlideSeconds = 0.004;
constexpr double kGlideSettled = 1e-10;
// A cross-fade's length: long enough that its envelope adds nothing audible
// above a few hundred hertz, short enough that the change still lands on time.
constexpr double kFadeSeconds = 0.008;
// Transitions run in chunks of at most this many frames, so a settled glide
// is noticed soon and the rest of the block runs the steady loop.
constexpr int kTransitionChunk = 64;

// The triangle runs in fixed point, samples with this many fraction bits: in
// integer registers, it leaves the vector registers to the filters. Whole
// samples scale by a power of two, so the coefficients come out bit for bit
// as from plain sample counts.
constexpr int kFractionBits = 30;
constexpr double kFixedOne = static_cast<double>(int64_t{1} << kFractionBits);

int64_t ToFixed(double samples) {
    return static_cast<int64_t>(RoundToNearestEven(samples * kFixedOne));
}

// A side's state copied into locals for one block. Output stores may alias
// any double, so state left in the object would be reloaded every sample.
struct SideRun {
    double x1, x2, x3, x4;
    double y1, y2, y3, y4;
    double feedback;
    double wet;  // carries the accent's sign: in - w*e equals in + (-w)*e bit for bit
    double base;
    double span;
    int64_t period;
    float periodAsFloat;
    int64_t half;
    int64_t counter;
    int64_t step;

    // lanes: base, span, feedback and signed wet as heard during a transition.
    SideRun(const PhaserSide& s, const double* lanes) : SideRun(s, false) { UseLanes(lanes); }

    void UseLanes(const double* lanes) {
        base = lanes[0];
        span = lanes[1];
        feedback = lanes[2];
        wet = lanes[3];
    }

    SideRun(const PhaserSide& s, bool subtract)
        : x1(s.stageInputs[0]),
          x2(s.stageInputs[1]),
          x3(s.stageInputs[2]),
          x4(s.stageInputs[3]),
          y1(s.stageOutputs[0]),
          y2(s.stageOutputs[1]),
          y3(s.stageOutputs[2]),
          y4(s.stageOutputs[3]),
          feedback(s.feedbackGain),
          wet(subtract ? -static_cast<double>(s.wetGain) : static_cast<double>(s.wetGain)),
          base(s.coefficientBase),
          span(s.coefficientSpan),
          period(ToFixed(s.cycleLength)),
          periodAsFloat(static_cast<float>(period)),
          half(ToFixed(s.cycleHalf)),
          counter(ToFixed(s.sweepCounter)),
          step(ToFixed(s.sweepStep)) {}

    void StoreTo(PhaserSide& s) const {
        s.stageInputs[0] = x1;
        s.stageInputs[1] = x2;
        s.stageInputs[2] = x3;
        s.stageInputs[3] = x4;
        s.stageOutputs[0] = y1;
        s.stageOutputs[1] = y2;
        s.stageOutputs[2] = y3;
        s.stageOutputs[3] = y4;
        s.sweepCounter = static_cast<double>(counter) / kFixedOne;
    }

    // Triangle position to coefficient; counter 0 sits at the upper edge.
    double NextCoefficient() {
        if (period == 0) return base;  // no usable tempo: hold the lower edge
        const int64_t d = counter >= half ? counter - half : half - counter;
        const double c = base + span * static_cast<double>(static_cast<float>(d) / periodAsFloat);
        Advance();
        return c;
    }

    void Advance() {
        counter += step;
        if (counter >= period) counter -= period;
    }

    // One all-pass stage: y = (u + y[n-1]) c - x[n-1].
    static double Stage(double u, double c, double& x, double& y) {
        const double out = (u + y) * c - x;
        x = u;
        y = out;
        return out;
    }
};

// A non-finite or absurd sample is silence. Tested on its bits in integer
// registers: the filters need every vector register they have.
inline double MaskedSample(const double* at) {
    constexpr uint64_t kMagnitude = ~(uint64_t{1} << 63);
    constexpr uint64_t kLimitBits = std::bit_cast<uint64_t>(kInputLimit);
    uint64_t bits;
    std::memcpy(&bits, at, sizeof bits);
    bits = (bits & kMagnitude) <= kLimitBits ? bits : 0;
    return std::bit_cast<double>(bits);
}

// The gate's test: the input or either side's ringing above the threshold.
// Non-short-circuit: one predictable branch instead of four.
inline bool Loud(double a, double b, const SideRun& l, const SideRun& r, double threshold) {
    return (std::fabs(a) > threshold) | (std::fabs(b) > threshold) | (std::fabs(l.y4) > threshold) |
           (std::fabs(r.y4) > threshold);
}

}  // namespace

PhaserEngine::PhaserEngine() {
    // Defaults stand in until the host applies its values; mirror and the
    // gate threshold wait for it.
    for (int index = 0; index <= ParamAccent; ++index) {
        ApplySetting(index, kPhaserParamRanges[index].defaultValue);
    }
}

void PhaserEngine::ApplySetting(int index, double value) {
    if (index < 0 || index >= ParamCount || !std::isfinite(value)) return;
    const PhaserParamRange& range = kPhaserParamRanges[index];
    const int32_t p = std::clamp(RoundHalfAway(value), range.minValue, range.maxValue);

    const bool continuous =
        index < ParamAccent ? index % kSettingsPerSide != ParamLeftSweepRate : index == ParamAccent;
    if (continuous) BeginGlide();
    if (index < ParamAccent) {
        PhaserSide& side = index < ParamFreqRight ? left_ : right_;
        switch (index % kSettingsPerSide) {
            case ParamFreqLeft:
                side.centreFrequency = p;
                ApplySweepRange(side);
                break;
            case ParamFBackLeft:
                side.feedbackGain = FeedbackGain(p);
                break;
            case ParamLeftDepth:
                side.sweepWidth = DepthToWidth(p);
                ApplySweepRange(side);
                break;
            case ParamLeftSweepRate:
                // A host re-sending the value it has (a flat automation lane) is no change.
                if (p == side.divisionIndex) break;
                side.divisionIndex = p;
                if (!BeginCut()) break;  // owed: the running fade restarts with it
                ApplySweepPeriod(side);
                ResetState();
                break;
            default:
                side.wetGain = WetGain(p);
                break;
        }
        SettleGlideIfUnchanged();
        return;
    }
    switch (index) {
        case ParamAccent:
            accent_ = static_cast<int16_t>(p);
            SettleGlideIfUnchanged();
            break;
        case ParamFilterMirror:
            if (mirror_ == (p > 0)) break;
            mirror_ = p > 0;
            if (BeginCut()) ResetState();
            break;
        default:
            threshold_ = GateThreshold(p);
            ready_ = true;
            break;
    }
}

void PhaserEngine::HoldForRestart() {
    if (!GlideActive() || holding_) return;
    if (fading_) {
        restartOwed_ = true;
        return;
    }
    HoldGhost();
    holding_ = true;
}

void PhaserEngine::Restart() {
    if (holding_) {
        // The fade covers the whole change: the new values are there at once.
        holding_ = false;
        gliding_ = false;
    } else if (restartOwed_) {
        return;  // the running fade ends in the restart
    }
    ResetState();
}

bool PhaserEngine::GlideActive() const {
    // While the gate passes the input untouched, a change is not heard: it lands at once.
    return glide_ && initialised_ && ready_ && !fresh_ && sampleRate_ > 0.0 &&
           quietCounter_ < holdLength_;
}

void PhaserEngine::TargetLanes(double* lanes) const {
    int lane = 0;
    for (const PhaserSide* side : {&left_, &right_}) {
        const bool subtract = side == &left_ ? accent_ == AccentRight : accent_ == AccentLeft;
        const SideRun run(*side, subtract);
        lanes[lane++] = run.base;
        lanes[lane++] = run.span;
        lanes[lane++] = run.feedback;
        lanes[lane++] = run.wet;
    }
}

void PhaserEngine::HeardLanes(double* lanes) const {
    if (gliding_) {
        std::copy(std::begin(glideHeard_), std::end(glideHeard_), lanes);
    } else {
        TargetLanes(lanes);
    }
}

// Before a continuous setting changes: the glide starts from what is heard now.
void PhaserEngine::BeginGlide() {
    if (gliding_ || holding_ || !GlideActive()) return;
    TargetLanes(glideHeard_);
    std::copy(std::begin(glideHeard_), std::end(glideHeard_), glideFirst_);
    gliding_ = true;
}

// A value sent again is no change: nothing glides, and steady settings keep
// the steady loop.
void PhaserEngine::SettleGlideIfUnchanged() {
    if (!gliding_) return;
    double lanes[kLanes];
    TargetLanes(lanes);
    for (int i = 0; i < kLanes; ++i) {
        if (lanes[i] != glideHeard_[i] || lanes[i] != glideFirst_[i]) return;
    }
    gliding_ = false;
}

// Before a change the design applies at once. True: apply it now (with Glide,
// the sound so far is held to fade from). False: a fade is running; the change
// is owed and lands as a restart when that fade ends, so fades never overlap.
bool PhaserEngine::BeginCut() {
    if (holding_ || !GlideActive()) return true;
    if (fading_) {
        restartOwed_ = true;
        return false;
    }
    HoldGhost();
    return true;
}

void PhaserEngine::HoldGhost() {
    ghost_[0] = left_;
    ghost_[1] = right_;
    HeardLanes(ghostLanes_);
    fading_ = true;
    fadePosition_ = 0;
}

// The owed restart: everything the design would have applied, at once.
void PhaserEngine::CutNow() {
    restartOwed_ = false;
    HoldGhost();
    ApplySweepPeriod(left_);
    ApplySweepPeriod(right_);
    ResetState();
}

void PhaserEngine::SetSweepSync(SweepSync sync) {
    if (sync == sync_) return;
    sync_ = sync;
    songBeatsNext_ = kNoSongPosition;
    left_.sweepStep = right_.sweepStep = 1.0;
    RetimeSweeps();
}

void PhaserEngine::ProcessBlock(const double* const* in, double* const* out, int frames,
                                double sampleRate, double samplesPerBeat, double songBeats) {
    if (in == nullptr || out == nullptr || in[0] == nullptr || in[1] == nullptr ||
        out[0] == nullptr || out[1] == nullptr) {
        return;
    }
    if (!(sampleRate > 0.0) || !std::isfinite(sampleRate)) {
        // Nothing can be tuned without a rate; let the audio through dry.
        if (ready_) {
            for (int k = 0; k < frames; ++k) {
                const double l = in[0][k];
                const double r = in[1][k];
                out[0][k] = std::fabs(l) <= kInputLimit ? l : 0.0;
                out[1][k] = std::fabs(r) <= kInputLimit ? r : 0.0;
            }
        }
        return;
    }
    if (samplesPerBeat > 0.0 && std::isfinite(samplesPerBeat)) {
        lastBeatSamples_ = samplesPerBeat;
        lastBeatRate_ = sampleRate;
    } else if (lastBeatSamples_ > 0.0) {
        samplesPerBeat = sampleRate == lastBeatRate_
                             ? lastBeatSamples_
                             : lastBeatSamples_ / lastBeatRate_ * sampleRate;
    } else {
        samplesPerBeat = sampleRate * 60.0 / kFallbackTempo;
    }
    const double whole = samplesPerBeat * 4.0;

    if (!initialised_) {
        wholeNoteLength_ = whole;
        initialised_ = true;
        CaptureRate(sampleRate);
        quietCounter_ = holdLength_;  // the gate starts open
        ApplySweepRange(left_);
        ApplySweepRange(right_);
        ApplySweepPeriod(left_);
        ApplySweepPeriod(right_);
        ResetState();
    } else if (whole != wholeNoteLength_) {
        FollowTempo(whole);
    }
    if (sync_ == SweepSync::Song) LockToSong(songBeats, samplesPerBeat, frames);
    if (!ready_) return;

    RunFrames(in[0], in[1], out[0], out[1], frames);
    if (frames > 0) fresh_ = false;

    // Absurd inputs count as silence, but feedback at the edge of stability can
    // still run away: clear the filters rather than let every output overflow.
    if (!StateIsSound()) ResetState();
}

void PhaserEngine::FollowTempo(double whole) {
    const double change = std::fabs(whole / wholeNoteLength_ - 1.0);
    wholeNoteLength_ = whole;
    if (sync_ == SweepSync::Song || change <= kRetimeLimit) {
        RetimeSweeps();
        return;
    }
    // A new tempo restarts both sweeps.
    if (!BeginCut()) return;
    ApplySweepPeriod(left_);
    ApplySweepPeriod(right_);
    ResetState();
}

void PhaserEngine::RetimeSweeps() {
    for (PhaserSide* side : {&left_, &right_}) {
        const double oldLength = side->cycleLength;
        const double fraction = oldLength > 0.0 ? side->sweepCounter / oldLength : 0.0;
        ApplySweepPeriod(*side);
        // An unchanged cycle keeps its position bit for bit.
        if (side->cycleLength == oldLength) continue;
        double counter = fraction * side->cycleLength;
        if (!(counter < side->cycleLength)) counter = 0.0;
        side->sweepCounter = counter;
    }
}

void PhaserEngine::LockToSong(double songBeats, double samplesPerBeat, int frames) {
    left_.sweepStep = right_.sweepStep = 1.0;
    if (!(songBeats >= 0.0 && songBeats <= kLatestBeat)) {
        songBeatsNext_ = kNoSongPosition;  // runs free until the position returns
        return;
    }
    // Played on without a jump, the sweeps are already there: counted on, and
    // re-timed to the same fraction of their cycles if the tempo moved. Beats
    // a host adds up block by block differ in their last bits only.
    const bool onTrack = std::fabs(songBeats - songBeatsNext_) * samplesPerBeat < kOnTrackSamples;
    const double lastBeats = songBeatsLast_;
    const int lastFrames = songFramesLast_;
    songBeatsLast_ = songBeats;
    songFramesLast_ = frames;
    if (onTrack) {
        songBeatsNext_ = songBeats + frames / samplesPerBeat;
        return;
    }
    if (!holding_ && GlideActive() && songBeatsNext_ != kNoSongPosition && lastFrames > 0 &&
        FollowDrift(songBeats, lastBeats, lastFrames, samplesPerBeat, frames)) {
        return;
    }
    // With Glide the jump fades; during another fade it waits for the next block.
    if (!holding_ && GlideActive() && fading_) return;
    songBeatsNext_ = songBeats + frames / samplesPerBeat;
    if (!holding_ && GlideActive()) HoldGhost();
    // The song position in samples at this tempo: at a steady tempo it is the
    // whole sample the host counts from, whatever the block it arrives with.
    double songSamples = songBeats * samplesPerBeat;
    const double whole = RoundToNearestEven(songSamples);
    if (std::fabs(songSamples - whole) < 1e-6) songSamples = whole;
    for (PhaserSide* side : {&left_, &right_}) {
        if (!(side->cycleLength > 0.0)) continue;
        double counter = ExactRemainder(songSamples, side->cycleLength);
        if (side == &right_ && mirror_) {
            counter += side->cycleHalf;
            if (counter >= side->cycleLength) counter -= side->cycleLength;
        }
        side->sweepCounter = counter;
    }
}

// A host whose tempo lags its position (Ardour 7 reports a tempo ramp's first tempo
// until the ramp ends): the position moved on by more or less than the tempo says.
// Trust the position: over this block each sweep moves at the position's own pace,
// corrected to arrive where the song will be at the block's end, instead of jumping.
// False for a jump (a loop, a relocation) rather than a drift.
bool PhaserEngine::FollowDrift(double songBeats, double lastBeats, int lastFrames,
                               double samplesPerBeat, int frames) {
    const double pace = (songBeats - lastBeats) * samplesPerBeat / lastFrames;
    if (!(pace >= kSlowestPace && pace <= kFastestPace)) return false;
    const double songSamples = songBeats * samplesPerBeat;
    double steps[2] = {1.0, 1.0};
    for (int i = 0; i < 2; ++i) {
        const PhaserSide& side = i == 0 ? left_ : right_;
        const double cycle = side.cycleLength;
        if (!(cycle > 0.0)) continue;
        double there = ExactRemainder(songSamples, cycle);
        if (i == 1 && mirror_) there += side.cycleHalf;
        // The way from here to there at the block's end, the whole cycles that fit
        // the pace taken off.
        double way = there + pace * frames - side.sweepCounter;
        way -= cycle * RoundToNearestEven((way - pace * frames) / cycle);
        steps[i] = way / frames;
        if (!(steps[i] >= kSlowestPace * 0.5 && steps[i] <= kFastestPace)) return false;
    }
    left_.sweepStep = steps[0];
    right_.sweepStep = steps[1];
    songBeatsNext_ = songBeats + pace * frames / samplesPerBeat;
    return true;
}

void PhaserEngine::CaptureRate(double sampleRate) {
    const int32_t oldHold = holdLength_;
    sampleRate_ = sampleRate;
    holdLength_ = RoundHalfAway(sampleRate_ * 0.2);
    glideStep_ = 1.0 / (1.0 + kGlideSeconds * sampleRate_);
    fadeLength_ = std::max(1, RoundHalfAway(sampleRate_ * kFadeSeconds));
    // The quiet counted so far keeps its length in time: an open gate stays open,
    // half a hold counted leaves half the new rate's hold.
    if (oldHold > 0)
        quietCounter_ = std::min(
            holdLength_, RoundHalfAway(static_cast<double>(quietCounter_) * holdLength_ / oldHold));
}

void PhaserEngine::ResetProcessing(double sampleRate) {
    // The audio starts afresh: nothing of the old stream is left to fade from.
    gliding_ = fading_ = holding_ = restartOwed_ = false;
    fresh_ = true;
    if (sampleRate > 0.0 && std::isfinite(sampleRate) && sampleRate != sampleRate_) {
        CaptureRate(sampleRate);
        ApplySweepRange(left_);
        ApplySweepRange(right_);
    }
    ResetState();
}

double PhaserEngine::SweepPosition(const PhaserSide& side) {
    return side.cycleLength > 0.0 ? side.sweepCounter / side.cycleLength : 0.0;
}

void PhaserEngine::ApplySweepRange(PhaserSide& side) const {
    if (!(sampleRate_ > 0.0)) return;  // recomputed once the first block brings a rate
    const int32_t width = side.sweepWidth;
    int32_t low = side.centreFrequency - RoundHalfAway(width * 0.5);
    if (low >= kHighestEdge - width) low = kHighestEdge - width;
    if (low < kLowestEdge) low = kLowestEdge;
    const double lowCoefficient = AllPassCoefficient(2 * low, sampleRate_);
    const double highCoefficient = AllPassCoefficient(2 * (low + width), sampleRate_);
    side.coefficientBase = lowCoefficient;
    side.coefficientSpan = (highCoefficient - lowCoefficient) * 2.0;
}

uint32_t PhaserEngine::TailFrames() const {
    if (!ready_ || !(sampleRate_ > 0.0)) return 0;
    const double threshold = std::max(static_cast<double>(threshold_), 1e-9);
    double ring = 0.0;
    for (const PhaserSide* side : {&left_, &right_}) {
        // Each stage decays as its pole, the coefficient; the slowest edge of the
        // sweep rules. Four stages in a row and the feedback loop stretch it.
        const double top = side->coefficientBase + side->coefficientSpan * 0.5;
        const double pole =
            std::min(0.9999999, std::max(std::fabs(side->coefficientBase), std::fabs(top)));
        const double stage = pole > 0.0 ? std::log(threshold) / std::log(pole) : 1.0;
        const double loop = 1.0 / (1.0 - std::min(0.99, std::fabs(double{side->feedbackGain})));
        ring = std::max(ring, 4.0 * stage * loop);
    }
    const double limit = sampleRate_ * 30.0;
    return static_cast<uint32_t>(std::ceil(std::min(ring, limit))) +
           static_cast<uint32_t>(std::max(holdLength_, 0));
}

void PhaserEngine::ApplySweepPeriod(PhaserSide& side) const {
    const float factor = DivisionFactor(side.divisionIndex);
    side.sweepPeriod = SweepPeriodSamples(factor, wholeNoteLength_);
    side.halfPeriod = static_cast<int32_t>(side.sweepPeriod / 2);
    if (sync_ == SweepSync::Free) {
        side.cycleLength = side.sweepPeriod;
        side.cycleHalf = side.halfPeriod;
        return;
    }
    const double exact = static_cast<double>(factor) * wholeNoteLength_;
    // Under two samples a triangle has no shape: hold the edge as a zero period does.
    side.cycleLength = exact >= 2.0 && exact <= kLongestCycle ? exact : 0.0;
    side.cycleHalf = side.cycleLength * 0.5;
}

void PhaserEngine::ResetState() {
    songBeatsNext_ = kNoSongPosition;
    for (PhaserSide* side : {&left_, &right_}) {
        std::fill(std::begin(side->stageInputs), std::end(side->stageInputs), 0.0);
        std::fill(std::begin(side->stageOutputs), std::end(side->stageOutputs), 0.0);
    }
    left_.sweepCounter = 0.0;
    // Mirrored, the right sweep runs half a cycle behind the left.
    right_.sweepCounter = mirror_ ? right_.cycleHalf : 0.0;
}

bool PhaserEngine::StateIsSound() const {
    // 240 dB above full scale: no real signal comes near, and nothing this size
    // can overflow a float output on its way out. NaN fails the test too.
    constexpr double kLimit = 1e12;
    for (const PhaserSide* side : {&left_, &right_}) {
        for (int s = 0; s < 4; ++s) {
            if (!(std::fabs(side->stageInputs[s]) <= kLimit) ||
                !(std::fabs(side->stageOutputs[s]) <= kLimit)) {
                return false;
            }
        }
    }
    return true;
}

void PhaserEngine::RunFrames(const double* inL, const double* inR, double* outL, double* outR,
                             int frames) {
    if (!gliding_ && !fading_) {
        RunSteady(inL, inR, outL, outR, frames);
        return;
    }
    // A transition runs in chunks that read the input where they write: masked
    // into the outputs first, in a pass of its own.
    MaskInput(inL, outL, frames);
    MaskInput(inR, outR, frames);
    int done = 0;
    while (done < frames) {
        if (!gliding_ && !fading_) {
            RunSteady(outL + done, outR + done, outL + done, outR + done, frames - done);
            return;
        }
        int n = std::min(frames - done, kTransitionChunk);
        if (fading_) n = std::min(n, fadeLength_ - fadePosition_);
        if (gliding_ && fading_) {
            n = RunTransition<true, true>(outL + done, outR + done, n);
        } else if (gliding_) {
            n = RunTransition<true, false>(outL + done, outR + done, n);
        } else {
            n = RunTransition<false, true>(outL + done, outR + done, n);
        }
        done += n;
        EndTransitions();
    }
}

void PhaserEngine::EndTransitions() {
    if (fading_ && fadePosition_ >= fadeLength_) {
        fading_ = false;
        if (restartOwed_) CutNow();
    }
    if (!gliding_) return;
    double targets[kLanes];
    TargetLanes(targets);
    for (int i = 0; i < kLanes; ++i) {
        if (!(std::fabs(glideFirst_[i] - targets[i]) <= kGlideSettled) ||
            !(std::fabs(glideHeard_[i] - targets[i]) <= kGlideSettled)) {
            return;
        }
    }
    gliding_ = false;  // the exact targets take over
}

// Two samples at a time in a vector register (SSE2, NEON): |x| <= limit is false
// for NaN and infinities, and its all-ones or zero mask keeps or clears x. Input
// and output are the same buffer or apart, as hosts hand them.
void PhaserEngine::MaskInput(const double* in, double* out, int frames) {
    using Pair = double __attribute__((vector_size(16)));
    using Mask = int64_t __attribute__((vector_size(16)));
    constexpr Pair kHigh = {kInputLimit, kInputLimit};
    constexpr Pair kLow = {-kInputLimit, -kInputLimit};
    int k = 0;
    for (; k + 2 <= frames; k += 2) {
        Pair x;
        std::memcpy(&x, in + k, sizeof x);
        const Mask keep = (x <= kHigh) & (x >= kLow);
        const Pair kept = keep ? x : Pair{};
        std::memcpy(out + k, &kept, sizeof kept);
    }
    for (; k < frames; ++k) out[k] = std::fabs(in[k]) <= kInputLimit ? in[k] : 0.0;
}

// Settings steady: the design's loop, sample for sample. Reads the masked input
// from the outputs and writes over it.
void PhaserEngine::RunSteady(const double* inL, const double* inR, double* outL, double* outR,
                             int frames) {
    SideRun l(left_, accent_ == AccentRight);
    SideRun r(right_, accent_ == AccentLeft);
    const double threshold = threshold_;
    const int32_t hold = holdLength_;
    // Locked to the song, the sweep moves on through silence as the song does.
    const bool followSong = sync_ == SweepSync::Song;
    int32_t quiet = quietCounter_;
    double coefficient = currentCoefficient_;

    for (int k = 0; k < frames; ++k) {
        const double a = MaskedSample(inL + k);
        const double b = MaskedSample(inR + k);
        if (Loud(a, b, l, r, threshold)) quiet = 0;
        if (quiet >= hold) {
            outL[k] = a;
            outR[k] = b;
            // Gate open: a bit-exact copy, filters frozen, and the sweeps too
            // unless the song carries them.
            if (followSong) {
                if (l.period != 0) l.Advance();
                if (r.period != 0) r.Advance();
            }
            continue;
        }
        const double cL = l.NextCoefficient();
        coefficient = r.NextCoefficient();
        // The two sides are independent chains; written stage by stage side by
        // side so the core works on both at once.
        double uL = a + l.feedback * l.y4;
        double uR = b + r.feedback * r.y4;
        uL = SideRun::Stage(uL, cL, l.x1, l.y1);
        uR = SideRun::Stage(uR, coefficient, r.x1, r.y1);
        uL = SideRun::Stage(uL, cL, l.x2, l.y2);
        uR = SideRun::Stage(uR, coefficient, r.x2, r.y2);
        uL = SideRun::Stage(uL, cL, l.x3, l.y3);
        uR = SideRun::Stage(uR, coefficient, r.x3, r.y3);
        const double eL = SideRun::Stage(uL, cL, l.x4, l.y4);
        const double eR = SideRun::Stage(uR, coefficient, r.x4, r.y4);
        outL[k] = a + l.wet * eL;
        outR[k] = b + r.wet * eR;
        ++quiet;
    }

    l.StoreTo(left_);
    r.StoreTo(right_);
    quietCounter_ = quiet;
    currentCoefficient_ = coefficient;
}

namespace {

// One stereo frame of one voice: both sides' coefficients, filters and mix.
inline void VoiceFrame(SideRun& l, SideRun& r, double a, double b, double& outA, double& outB,
                       double& rightCoefficient) {
    const double cL = l.NextCoefficient();
    const double cR = r.NextCoefficient();
    double uL = a + l.feedback * l.y4;
    double uR = b + r.feedback * r.y4;
    uL = SideRun::Stage(uL, cL, l.x1, l.y1);
    uR = SideRun::Stage(uR, cR, r.x1, r.y1);
    uL = SideRun::Stage(uL, cL, l.x2, l.y2);
    uR = SideRun::Stage(uR, cR, r.x2, r.y2);
    uL = SideRun::Stage(uL, cL, l.x3, l.y3);
    uR = SideRun::Stage(uR, cR, r.x3, r.y3);
    const double eL = SideRun::Stage(uL, cL, l.x4, l.y4);
    const double eR = SideRun::Stage(uR, cR, r.x4, r.y4);
    outA = a + l.wet * eL;
    outB = b + r.wet * eR;
    rightCoefficient = cR;
}

// The fade-in weight at x in (0, 1): smooth to its second derivative at both
// ends, so the fade's envelope puts nothing of its own above a few hundred hertz.
inline double FadeWeight(double x) {
    return x * x * x * (x * (x * 6.0 - 15.0) + 10.0);
}

}  // namespace

// A glide, a cross-fade or both, for at most one chunk. Returns the frames done.
template <bool kGlide, bool kFade>
int PhaserEngine::RunTransition(double* outL, double* outR, int frames) {
    double lanes[kLanes];
    HeardLanes(lanes);
    SideRun l(left_, lanes);
    SideRun r(right_, lanes + 4);
    SideRun gl(ghost_[0], ghostLanes_);
    SideRun gr(ghost_[1], ghostLanes_ + 4);
    double targets[kLanes];
    TargetLanes(targets);
    const double step = glideStep_;
    const double threshold = threshold_;
    const int32_t hold = holdLength_;
    const bool followSong = sync_ == SweepSync::Song;
    const double fadeScale = 1.0 / (fadeLength_ + 1.0);
    int32_t quiet = quietCounter_;
    double coefficient = currentCoefficient_;
    int32_t fadePosition = fadePosition_;
    // Locals: the output stores could alias members.
    double first[kLanes], heard[kLanes];
    std::copy(std::begin(glideFirst_), std::end(glideFirst_), first);
    std::copy(std::begin(glideHeard_), std::end(glideHeard_), heard);

    for (int k = 0; k < frames; ++k) {
        const double a = outL[k];
        const double b = outR[k];
        if (Loud(a, b, l, r, threshold)) quiet = 0;
        if (quiet >= hold) {
            // The gate passes the input untouched: nothing of the change is heard, so
            // it is complete here, as without Glide. The steady loop takes over.
            if (followSong) {
                if (l.period != 0) l.Advance();
                if (r.period != 0) r.Advance();
            }
            std::copy(std::begin(targets), std::end(targets), first);
            std::copy(std::begin(targets), std::end(targets), heard);
            fadePosition = fadeLength_;
            frames = k + 1;
            break;
        }
        if constexpr (kGlide) {
            for (int i = 0; i < kLanes; ++i) {
                first[i] += (targets[i] - first[i]) * step;
                heard[i] += (first[i] - heard[i]) * step;
            }
            l.UseLanes(heard);
            r.UseLanes(heard + 4);
        }
        double mainL, mainR;
        VoiceFrame(l, r, a, b, mainL, mainR, coefficient);
        if constexpr (kFade) {
            double ghostL, ghostR, ignored;
            VoiceFrame(gl, gr, a, b, ghostL, ghostR, ignored);
            ++fadePosition;
            const double weight = FadeWeight(fadePosition * fadeScale);
            mainL = ghostL + (mainL - ghostL) * weight;
            mainR = ghostR + (mainR - ghostR) * weight;
        }
        outL[k] = mainL;
        outR[k] = mainR;
        ++quiet;
    }

    l.StoreTo(left_);
    r.StoreTo(right_);
    if constexpr (kGlide) {
        std::copy(std::begin(first), std::end(first), glideFirst_);
        std::copy(std::begin(heard), std::end(heard), glideHeard_);
    }
    fadePosition_ = fadePosition;
    if constexpr (kFade) {
        gl.StoreTo(ghost_[0]);
        gr.StoreTo(ghost_[1]);
    }
    quietCounter_ = quiet;
    currentCoefficient_ = coefficient;
    return frames;
}

}  // namespace tav
