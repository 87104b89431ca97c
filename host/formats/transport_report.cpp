#include "host/formats/transport_report.h"

#include <cmath>
#include <cstdint>

namespace tav {
namespace {

// Our CLAP declarations have no name for this flag yet.
constexpr std::uint32_t kClapLoopActive = 64;

std::int64_t BeatTime(double beats) {
    return std::llround(beats * clap::CLAP_BEATTIME_FACTOR);
}

std::int64_t SecTime(std::int64_t samples, double rate) {
    return std::llround(static_cast<double>(samples) / rate * clap::CLAP_SECTIME_FACTOR);
}

}  // namespace

VstTimeInfo Vst2TimeInfo(const TransportState& t) {
    VstTimeInfo info = {};
    info.samplePos = static_cast<double>(t.samplePos);
    info.sampleRate = t.sampleRate;
    info.timeSigNumerator = t.timeSigNumerator;
    info.timeSigDenominator = t.timeSigDenominator;
    info.flags = kVstTimeSigValid;
    if (t.playing) info.flags |= kVstTransportPlaying;
    if (t.changed) info.flags |= kVstTransportChanged;
    if (t.tempo > 0.0) {
        info.tempo = t.tempo;
        info.ppqPos = t.beats;
        info.barStartPos = t.barStart;
        info.flags |= kVstTempoValid | kVstPpqPosValid | kVstBarsValid;
        if (t.hasLoop) {
            info.cycleStartPos = t.loopStart;
            info.cycleEndPos = t.loopEnd;
            info.flags |= kVstCyclePosValid;
        }
        if (t.loopActive) info.flags |= kVstTransportCycleActive;
    }
    return info;
}

vst3::ProcessContext Vst3Context(const TransportState& t) {
    using vst3::ProcessContext;
    ProcessContext context = {};
    context.state = ProcessContext::kTimeSigValid;
    if (t.playing) context.state |= ProcessContext::kPlaying;
    context.sampleRate = t.sampleRate;
    context.projectTimeSamples = t.samplePos;
    context.timeSigNumerator = t.timeSigNumerator;
    context.timeSigDenominator = t.timeSigDenominator;
    if (t.tempo > 0.0) {
        context.tempo = t.tempo;
        context.projectTimeMusic = t.beats;
        context.barPositionMusic = t.barStart;
        context.state |= ProcessContext::kTempoValid | ProcessContext::kProjectTimeMusicValid |
                         ProcessContext::kBarPositionValid;
        if (t.hasLoop) {
            context.cycleStartMusic = t.loopStart;
            context.cycleEndMusic = t.loopEnd;
            context.state |= ProcessContext::kCycleValid;
        }
        if (t.loopActive) context.state |= ProcessContext::kCycleActive;
    }
    return context;
}

clap::clap_event_transport ClapTransport(const TransportState& t) {
    using namespace clap;
    clap_event_transport transport = {};
    transport.header = {sizeof transport, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_TRANSPORT, 0};
    transport.flags = CLAP_TRANSPORT_HAS_SECONDS_TIMELINE | CLAP_TRANSPORT_HAS_TIME_SIGNATURE;
    if (t.playing) transport.flags |= CLAP_TRANSPORT_IS_PLAYING;
    transport.song_pos_seconds = SecTime(t.samplePos, t.sampleRate);
    transport.tsig_num = static_cast<uint16_t>(t.timeSigNumerator);
    transport.tsig_denom = static_cast<uint16_t>(t.timeSigDenominator);
    if (t.tempo > 0.0) {
        transport.flags |= CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_HAS_BEATS_TIMELINE;
        transport.tempo = t.tempo;
        transport.tempo_inc = 0.0;  // the tempo holds until the next block
        transport.song_pos_beats = BeatTime(t.beats);
        transport.bar_start = BeatTime(t.barStart);
        transport.bar_number = t.barNumber;
        if (t.hasLoop) {
            transport.loop_start_beats = BeatTime(t.loopStart);
            transport.loop_end_beats = BeatTime(t.loopEnd);
            transport.loop_start_seconds = SecTime(t.loopStartSample, t.sampleRate);
            transport.loop_end_seconds = SecTime(t.loopEndSample, t.sampleRate);
        }
        if (t.loopActive) transport.flags |= kClapLoopActive;
    }
    return transport;
}

}  // namespace tav
