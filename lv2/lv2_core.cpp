#include "lv2/lv2_core.h"

#include <cmath>

namespace tav::lv2 {

double HostPosition::QuarterTempo() const {
    if (!(bpm > 0.0) || !std::isfinite(bpm)) return 0.0;
    // A beat is a beatUnit note: in 6/8 counted in eighths, a quarter is two beats.
    return beatUnit > 0 ? bpm * 4.0 / beatUnit : bpm;
}

double HostPosition::BeatsNow(double sampleRate) const {
    if (!(bpm > 0.0) || !(sampleRate > 0.0) || elapsed == 0.0) return beats;
    return beats + elapsed * bpm / (60.0 * sampleRate);
}

void HostPosition::Rebase(double sampleRate) {
    beats = BeatsNow(sampleRate);
    frame += elapsed;
    elapsed = 0.0;
}

BlockTransport HostPosition::Transport(double sampleRate) const {
    BlockTransport transport;
    transport.tempo = QuarterTempo();
    if (beatUnit > 0 && beatsPerBar >= 1.0 && beatsPerBar < 1000.0) {
        transport.timeSigNumerator = static_cast<int>(beatsPerBar);
        transport.timeSigDenominator = beatUnit;
    }
    const double now = frame + elapsed;
    if (hasFrame && now > 0.0)
        transport.samplePosition = now < 4e18 ? static_cast<int64_t>(now) : int64_t{1} << 62;
    const double songBeats = BeatsNow(sampleRate);
    transport.hasSongBeats = hasBeats && speed != 0.0 && std::isfinite(songBeats);
    if (transport.hasSongBeats)
        transport.songBeats = beatUnit > 0 ? songBeats * 4.0 / beatUnit : songBeats;
    return transport;
}

}  // namespace tav::lv2
