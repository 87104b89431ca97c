#include "host/host_transport.h"

#include <algorithm>
#include <cmath>

namespace tav {
namespace {

bool Positive(double value) {
    return value > 0.0 && std::isfinite(value);
}

// Sample counts from beats, kept far from where llround or the sums overflow
// (2^52 frames last three thousand years at 48 kHz).
std::int64_t RoundSamples(double samples) {
    constexpr double kLimit = 4503599627370496.0;
    if (!(samples == samples)) return 0;
    return std::llround(std::clamp(samples, -kLimit, kLimit));
}

}  // namespace

HostTransport::HostTransport(double sampleRate, double tempo, int timeSigNumerator,
                             int timeSigDenominator, const TransportPlan& plan)
    : tempo0_(tempo), plan_(plan) {
    now_.sampleRate = Positive(sampleRate) ? sampleRate : 44100.0;
    now_.timeSigNumerator = timeSigNumerator;
    now_.timeSigDenominator = timeSigDenominator;
    std::stable_sort(
        plan_.pauses.begin(), plan_.pauses.end(),
        [](const TransportPause& a, const TransportPause& b) { return a.atBeat < b.atBeat; });
    for (const TempoStep& step : plan_.tempoSteps) {
        if (Positive(step.bpm) && std::isfinite(step.atBeat))
            map_.push_back({step.atBeat, step.bpm, 0.0});
    }
    const double rampBeats = plan_.mapRampEnd - plan_.mapRampStart;
    if (plan_.mapRamp && Positive(plan_.mapRampFrom) && Positive(plan_.mapRampTo) &&
        Positive(rampBeats)) {
        const double slope = (plan_.mapRampTo - plan_.mapRampFrom) / rampBeats;
        map_.push_back({plan_.mapRampStart, plan_.mapRampFrom, slope});
        map_.push_back({plan_.mapRampEnd, plan_.mapRampTo, 0.0});
    } else {
        plan_.mapRamp = false;
    }
    std::stable_sort(map_.begin(), map_.end(),
                     [](const TempoPoint& a, const TempoPoint& b) { return a.beat < b.beat; });
    Start();
}

double HostTransport::BeatAt(std::int64_t sample) const {
    if (mapped_) {
        return MapBeatAfter(anchorBeat_,
                            static_cast<double>(sample - anchorSample_) / now_.sampleRate);
    }
    // The order of operations is the one this host always used at the song start.
    return anchorBeat_ +
           static_cast<double>(sample - anchorSample_) / now_.sampleRate * now_.tempo / 60.0;
}

std::int64_t HostTransport::SampleAt(double beat) const {
    if (mapped_) {
        return anchorSample_ + RoundSamples(MapSeconds(anchorBeat_, beat) * now_.sampleRate);
    }
    return anchorSample_ + RoundSamples((beat - anchorBeat_) * now_.sampleRate * 60.0 / now_.tempo);
}

double HostTransport::RampTempo() const {
    if (rendered_ >= plan_.rampFrames) return plan_.rampTo;
    const double done = static_cast<double>(rendered_) / static_cast<double>(plan_.rampFrames);
    return tempo0_ + (plan_.rampTo - tempo0_) * done;
}

int HostTransport::MapSegment(double beat) const {
    int segment = -1;
    while (segment + 1 < static_cast<int>(map_.size()) &&
           map_[static_cast<size_t>(segment + 1)].beat <= beat) {
        ++segment;
    }
    return segment;
}

double HostTransport::MapTempo(double beat) const {
    const int segment = MapSegment(beat);
    if (segment < 0) return tempo0_;
    const TempoPoint& p = map_[static_cast<size_t>(segment)];
    return p.bpm + p.slope * (beat - p.beat);
}

double HostTransport::MapSeconds(double from, double to) const {
    if (to < from) return -MapSeconds(to, from);
    double seconds = 0.0;
    for (double at = from; at < to;) {
        const int segment = MapSegment(at);
        const auto next = static_cast<size_t>(segment + 1);
        const double end = next < map_.size() ? std::min(to, map_[next].beat) : to;
        const double tempo = MapTempo(at);
        const double slope = segment < 0 ? 0.0 : map_[static_cast<size_t>(segment)].slope;
        // Beats pass at tempo/60 a second; under a slope that integrates to a logarithm.
        seconds += slope == 0.0 ? 60.0 * (end - at) / tempo
                                : 60.0 / slope * std::log1p(slope * (end - at) / tempo);
        at = end;
    }
    return seconds;
}

double HostTransport::MapBeatAfter(double from, double seconds) const {
    double at = from;
    for (;;) {
        const int segment = MapSegment(at);
        const auto next = static_cast<size_t>(segment + 1);
        if (next < map_.size()) {
            const double toNext = MapSeconds(at, map_[next].beat);
            if (seconds >= toNext) {
                seconds -= toNext;
                at = map_[next].beat;
                continue;
            }
        }
        const double tempo = MapTempo(at);
        const double slope = segment < 0 ? 0.0 : map_[static_cast<size_t>(segment)].slope;
        if (slope == 0.0 || seconds < 0.0) return at + seconds * tempo / 60.0;
        return at + tempo / slope * std::expm1(slope * seconds / 60.0);
    }
}

double HostTransport::ReportedTempo(double beat) const {
    if (plan_.reportRampStartTempo && plan_.mapRamp && beat >= plan_.mapRampStart &&
        beat < plan_.mapRampEnd) {
        return plan_.mapRampFrom;
    }
    return MapTempo(beat);
}

void HostTransport::FollowMap() {
    if (!mapped_) return;
    // A block that ends on a point of the map lands on its beat, so that the next
    // reports the tempo from there.
    for (const TempoPoint& p : map_) {
        if (SampleAt(p.beat) == now_.samplePos) now_.beats = p.beat;
    }
    now_.tempo = ReportedTempo(now_.beats);
}

void HostTransport::Start() {
    TransportState fresh;
    fresh.sampleRate = now_.sampleRate;
    fresh.timeSigNumerator = now_.timeSigNumerator;
    fresh.timeSigDenominator = now_.timeSigDenominator;
    fresh.tempo = Positive(tempo0_) ? tempo0_ : 0.0;
    now_ = fresh;
    anchorSample_ = 0;
    anchorBeat_ = 0.0;
    rendered_ = 0;
    pauseLeft_ = 0;
    loopPassesLeft_ = 0;
    pauses_.clear();
    ramping_ = false;
    mapped_ = false;
    if (now_.tempo > 0.0) {
        mapped_ = !map_.empty();
        ramping_ = !mapped_ && plan_.ramp && Positive(plan_.rampTo) && plan_.rampFrames > 0;
        now_.samplePos = std::max<std::int64_t>(0, SampleAt(std::max(0.0, plan_.startBeat)));
        now_.beats = BeatAt(now_.samplePos);
        FollowMap();
        now_.hasLoop = plan_.loopStart >= 0.0 && plan_.loopStart < plan_.loopEnd;
        // Play that starts at or past the loop's end never reaches it.
        if (now_.hasLoop && SampleAt(plan_.loopEnd) > now_.samplePos) {
            loopPassesLeft_ = std::max(0, plan_.loopPasses);
        }
        for (const TransportPause& pause : plan_.pauses) {
            const bool behind = SampleAt(pause.atBeat) < now_.samplePos;
            pauses_.push_back({pause, behind || !Positive(pause.beats)});
        }
    }
    Settle();
    Refresh();
}

void HostTransport::MoveAnchorTo(double tempo) {
    anchorSample_ = now_.samplePos;
    anchorBeat_ = now_.beats;
    now_.tempo = tempo;
}

void HostTransport::JumpTo(double beat) {
    const bool steady = anchorSample_ == 0 && anchorBeat_ == 0.0;
    now_.samplePos = std::max<std::int64_t>(0, SampleAt(beat));
    if (steady) {
        now_.beats = BeatAt(now_.samplePos);
    } else {
        // Once the tempo has changed no single tempo maps beats to song samples:
        // land on the beat itself and count on from there.
        anchorSample_ = now_.samplePos;
        anchorBeat_ = beat;
        now_.beats = beat;
    }
    FollowMap();
}

void HostTransport::Settle() {
    if (now_.tempo <= 0.0) return;
    while (now_.playing) {
        if (loopPassesLeft_ > 0 && now_.samplePos >= SampleAt(plan_.loopEnd)) {
            --loopPassesLeft_;
            JumpTo(plan_.loopStart);
            now_.changed = true;
            continue;
        }
        auto due = std::find_if(pauses_.begin(), pauses_.end(), [&](const Pending& p) {
            return !p.done && now_.samplePos >= SampleAt(p.pause.atBeat);
        });
        if (due == pauses_.end()) return;
        due->done = true;
        pauseLeft_ = RoundSamples(due->pause.beats * now_.sampleRate * 60.0 / now_.tempo);
        if (pauseLeft_ > 0) {
            now_.playing = false;
            now_.changed = true;
        }
    }
}

void HostTransport::Refresh() {
    now_.barStart = 0.0;
    now_.barNumber = 0;
    now_.loopActive = false;
    if (now_.tempo <= 0.0) return;
    const double perBar = now_.timeSigNumerator * 4.0 / now_.timeSigDenominator;
    if (Positive(perBar)) {
        now_.barStart = perBar * std::floor(now_.beats / perBar);
        now_.barNumber = static_cast<int>(std::min(now_.barStart / perBar, 2147483647.0));
    }
    if (now_.hasLoop) {
        now_.loopActive = loopPassesLeft_ > 0;
        now_.loopStart = plan_.loopStart;
        now_.loopEnd = plan_.loopEnd;
        now_.loopStartSample = SampleAt(plan_.loopStart);
        now_.loopEndSample = SampleAt(plan_.loopEnd);
    }
}

int HostTransport::MaxFrames(int wanted) const {
    std::int64_t most = std::max(1, wanted);
    if (!now_.playing) {
        most = std::min(most, pauseLeft_);
    } else if (now_.tempo > 0.0) {
        if (loopPassesLeft_ > 0) most = std::min(most, SampleAt(plan_.loopEnd) - now_.samplePos);
        for (size_t i = 0; mapped_ && i < map_.size(); ++i) {
            const std::int64_t ahead = SampleAt(map_[i].beat) - now_.samplePos;
            if (ahead > 0) most = std::min(most, ahead);
        }
        for (const Pending& p : pauses_) {
            if (!p.done) most = std::min(most, SampleAt(p.pause.atBeat) - now_.samplePos);
        }
    }
    return static_cast<int>(std::max<std::int64_t>(1, most));
}

void HostTransport::Advance(int frames) {
    if (frames <= 0) return;
    now_.changed = false;
    rendered_ += frames;
    if (now_.playing) {
        now_.samplePos += frames;
        if (now_.tempo > 0.0) now_.beats = BeatAt(now_.samplePos);
        FollowMap();
    } else if ((pauseLeft_ -= frames) <= 0) {
        pauseLeft_ = 0;
        now_.playing = true;
        now_.changed = true;
    }
    if (ramping_) {
        const double tempo = RampTempo();
        if (tempo != now_.tempo) MoveAnchorTo(tempo);
    }
    Settle();
    Refresh();
}

void HostTransport::SetTempo(double bpm) {
    tempo0_ = bpm;
    plan_.ramp = false;
    ramping_ = false;
    mapped_ = false;
    map_.clear();
    MoveAnchorTo(Positive(bpm) ? bpm : 0.0);
    now_.changed = true;
    Refresh();
}

void HostTransport::SetSampleRate(double rate) {
    if (!Positive(rate)) return;  // a rate the plug-in refuses too; the old one holds
    if (rendered_ == 0) {
        now_.sampleRate = rate;
        Start();
        return;
    }
    MoveAnchorTo(now_.tempo);
    now_.sampleRate = rate;
    Refresh();
}

}  // namespace tav
