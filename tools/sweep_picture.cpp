#include "tools/sweep_picture.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <utility>
#include <vector>

#include "tools/png_file.h"

namespace tav {

namespace {

constexpr int kFftSize = 4096;
constexpr int kHop = 512;
constexpr int kBandHeight = 240;
constexpr double kLowHz = 40.0;
constexpr double kHighHz = 20000.0;
constexpr double kPi = 3.14159265358979323846;

void Fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2 * kPi / double(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w = 1.0;
            for (size_t k = 0; k < len / 2; ++k, w *= step) {
                const std::complex<double> u = a[i + k];
                const std::complex<double> v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

// Power spectrum of one windowed frame starting at `start` (zero past the end).
std::vector<double> Power(const std::vector<float>& x, size_t start) {
    std::vector<std::complex<double>> a(kFftSize);
    for (int k = 0; k < kFftSize; ++k) {
        const double w = 0.5 - 0.5 * std::cos(2 * kPi * k / kFftSize);
        a[k] = start + k < x.size() ? w * x[start + k] : 0.0;
    }
    Fft(a);
    std::vector<double> p(kFftSize / 2);
    for (int k = 0; k < kFftSize / 2; ++k) p[k] = std::norm(a[k]);
    return p;
}

// A ramp from black through blue, green and yellow to white.
void Colour(double t, uint8_t* rgb) {
    static const double stops[5][3] = {
        {0, 0, 0}, {20, 40, 170}, {30, 170, 90}, {240, 220, 40}, {255, 255, 255}};
    t = std::clamp(t, 0.0, 1.0) * 4.0;
    const int i = std::min(3, int(t));
    const double f = t - i;
    for (int c = 0; c < 3; ++c) rgb[c] = uint8_t(stops[i][c] + (stops[i + 1][c] - stops[i][c]) * f);
}

}  // namespace

bool WriteTransferSpectrogram(const AudioBuffer& dry, const AudioBuffer& wet,
                              const std::string& pngPath, std::string* error) {
    if (dry.NumChannels() == 0 || dry.NumChannels() != wet.NumChannels() ||
        dry.NumFrames() != wet.NumFrames() || dry.NumFrames() < kFftSize) {
        *error = "the dry and processed audio must have the same shape and last at least 0.1 s";
        return false;
    }
    const int channels = dry.NumChannels();
    const int columns = int((dry.NumFrames() - kFftSize) / kHop) + 1;
    const int height = channels * kBandHeight + (channels - 1) * 2;
    std::vector<uint8_t> rgb(size_t(columns) * height * 3, 255);
    const double binHz = dry.sampleRate / kFftSize;

    for (int c = 0; c < channels; ++c) {
        const int top = c * (kBandHeight + 2);
        for (int col = 0; col < columns; ++col) {
            const size_t start = size_t(col) * kHop;
            const std::vector<double> x = Power(dry.channels[c], start);
            const std::vector<double> y = Power(wet.channels[c], start);
            const double loudest = *std::max_element(x.begin(), x.end());
            for (int row = 0; row < kBandHeight; ++row) {
                const double hz = kLowHz * std::pow(kHighHz / kLowHz, (kBandHeight - 1 - row) /
                                                                          double(kBandHeight - 1));
                const int bin = std::clamp(int(std::lround(hz / binHz)), 1, kFftSize / 2 - 2);
                double px = 0, py = 0;
                for (int b = bin - 1; b <= bin + 1; ++b) px += x[b], py += y[b];
                uint8_t* pixel = &rgb[(size_t(top + row) * columns + col) * 3];
                if (px < loudest * 1e-6 || px <= 0.0) {
                    pixel[0] = pixel[1] = pixel[2] = 48;
                    continue;
                }
                const double db = 10 * std::log10(std::max(py / px, 1e-12));
                Colour((db + 40.0) / 52.0, pixel);
            }
        }
    }
    return WritePngFile(pngPath, RgbImage{columns, height, std::move(rgb)}, error);
}

}  // namespace tav
