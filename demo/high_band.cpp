#include "demo/high_band.h"

#include <algorithm>
#include <cmath>

namespace tav {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Biquad {
    double b0, b1, b2, a1, a2;
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
    double Run(double x) {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        return y;
    }
};

// A second-order high-pass of this Q, normalised by a0.
Biquad HighPass(double cutoff, double rate, double q) {
    const double w = 2.0 * kPi * cutoff / rate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double c = std::cos(w), a0 = 1.0 + alpha;
    return {(1.0 + c) / 2.0 / a0, -(1.0 + c) / a0, (1.0 + c) / 2.0 / a0, -2.0 * c / a0,
            (1.0 - alpha) / a0};
}

std::pair<size_t, size_t> Span(const std::vector<double>& channel, std::int64_t from,
                               std::int64_t to) {
    const auto size = static_cast<std::int64_t>(channel.size());
    return {static_cast<size_t>(std::clamp<std::int64_t>(from, 0, size)),
            static_cast<size_t>(std::clamp<std::int64_t>(to, 0, size))};
}

}  // namespace

std::vector<std::vector<double>> HighBand(const AudioBuffer& audio, double cutoff) {
    std::vector<std::vector<double>> band;
    for (const std::vector<float>& channel : audio.channels) {
        // Butterworth: the poles' pairs have Q = 1 / (2 cos((2k - 1) pi / 16)).
        std::vector<Biquad> stages;
        for (int k = 1; k <= 4; ++k) {
            const double q = 1.0 / (2.0 * std::cos((2 * k - 1) * kPi / 16.0));
            stages.push_back(HighPass(cutoff, audio.sampleRate, q));
        }
        std::vector<double>& out = band.emplace_back(channel.size());
        for (size_t i = 0; i < channel.size(); ++i) {
            double v = channel[i];
            for (Biquad& stage : stages) v = stage.Run(v);
            out[i] = v;
        }
    }
    return band;
}

double BandPeak(const std::vector<std::vector<double>>& band, std::int64_t from, std::int64_t to) {
    double peak = 0.0;
    for (const std::vector<double>& channel : band) {
        const auto [a, b] = Span(channel, from, to);
        for (size_t i = a; i < b; ++i) peak = std::max(peak, std::fabs(channel[i]));
    }
    return peak;
}

double BandRms(const std::vector<std::vector<double>>& band, std::int64_t from, std::int64_t to) {
    double largest = 0.0;
    for (const std::vector<double>& channel : band) {
        const auto [a, b] = Span(channel, from, to);
        double sum = 0.0;
        for (size_t i = a; i < b; ++i) sum += channel[i] * channel[i];
        if (b > a) largest = std::max(largest, std::sqrt(sum / static_cast<double>(b - a)));
    }
    return largest;
}

}  // namespace tav
