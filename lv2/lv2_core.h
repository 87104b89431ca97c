// The host side of the plug-in core for LV2: the block's transport from the
// host's time:Position objects, kept between blocks since hosts send one only
// when something changes. The DSP binary has no face: an LV2 UI talks to its
// host through ports.
#pragma once

#include <cstdint>

#include "core/transport_core.h"

namespace tav::lv2 {

// What the host last said of its transport, in its own terms, and the frames
// played since: positions are reckoned from there, so they do not drift.
struct HostPosition {
    double bpm = 0.0;    // beats per minute, of beatUnit beats; 0: none said
    double speed = 0.0;  // 0 stopped, 1 playing
    bool hasBeats = false;
    double beats = 0.0;  // since the song's start, in beatUnit beats, when last said
    double beatsPerBar = 0.0;
    int beatUnit = 0;
    bool hasFrame = false;
    double frame = 0.0;    // when last said
    double elapsed = 0.0;  // frames played since, times the speed

    // The transport of a block that starts here, at the rate given.
    BlockTransport Transport(double sampleRate) const;
    // The tempo in quarter notes per minute, as the effect counts it; 0 for none.
    double QuarterTempo() const;
    double BeatsNow(double sampleRate) const;
    void Advance(int64_t frames) { elapsed += static_cast<double>(frames) * speed; }
    // Folds the frames played into the position, before the host says more.
    void Rebase(double sampleRate);
};

// No edit sink: the DSP binary has no face.
class Lv2Core : public TransportCore {
  public:
    explicit Lv2Core(const EffectIdentity& identity) : TransportCore(identity) {}
};

}  // namespace tav::lv2
