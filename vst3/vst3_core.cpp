#include "vst3/vst3_core.h"

namespace tav::vst3 {

void Vst3Core::SetTransport(const ProcessContext* context) {
    BlockTransport transport;
    if (context != nullptr) {
        if ((context->state & ProcessContext::kTempoValid) != 0) transport.tempo = context->tempo;
        if ((context->state & ProcessContext::kTimeSigValid) != 0) {
            transport.timeSigNumerator = context->timeSigNumerator;
            transport.timeSigDenominator = context->timeSigDenominator;
        }
        transport.samplePosition = context->projectTimeSamples;
        constexpr uint32_t kPlayingWithMusic =
            ProcessContext::kPlaying | ProcessContext::kProjectTimeMusicValid;
        transport.hasSongBeats = (context->state & kPlayingWithMusic) == kPlayingWithMusic;
        transport.songBeats = context->projectTimeMusic;
    }
    TransportCore::SetTransport(transport);
}

}  // namespace tav::vst3
