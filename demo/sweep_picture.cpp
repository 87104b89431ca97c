#include "demo/sweep_picture.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <initializer_list>
#include <utility>
#include <vector>

#include "demo/picture_canvas.h"

namespace tav {

namespace {

constexpr int kFftSize = 4096;
constexpr int kHop = 512;
constexpr int kBandHeight = 240;
constexpr int kBandGap = 14;
constexpr double kLowHz = 40.0;
constexpr double kHighHz = 20000.0;
constexpr double kLowDb = -40.0;
constexpr double kHighDb = 12.0;
constexpr double kPi = 3.14159265358979323846;

// Room around the bands: channel names and frequency labels to the left, the title
// above, beats and seconds below, the colour scale to the right.
constexpr int kNameWidth = 52;
constexpr int kPlotLeft = 122;
constexpr int kPlotTop = 44;
constexpr int kBelow = 62;
constexpr int kRight = 112;
constexpr int kBarGap = 22;
constexpr int kBarWidth = 16;

constexpr Pixel kTooQuiet = 0xFF303030;

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

// Power spectrum of one windowed frame starting at `start` (zero outside the signal).
std::vector<double> Power(const std::vector<float>& x, int64_t start) {
    std::vector<std::complex<double>> a(kFftSize);
    for (int k = 0; k < kFftSize; ++k) {
        const double w = 0.5 - 0.5 * std::cos(2 * kPi * k / kFftSize);
        const int64_t at = start + k;
        a[k] = at >= 0 && at < int64_t(x.size()) ? w * x[size_t(at)] : 0.0;
    }
    Fft(a);
    std::vector<double> p(kFftSize / 2);
    for (int k = 0; k < kFftSize / 2; ++k) p[k] = std::norm(a[k]);
    return p;
}

// A ramp from black through blue, green and yellow to white, for the gain in dB.
Pixel Colour(double db) {
    static const double stops[5][3] = {
        {0, 0, 0}, {20, 40, 170}, {30, 170, 90}, {240, 220, 40}, {255, 255, 255}};
    const double t = std::clamp((db - kLowDb) / (kHighDb - kLowDb), 0.0, 1.0) * 4.0;
    const int i = std::min(3, int(t));
    const double f = t - i;
    Pixel pixel = 0xFF000000;
    for (int c = 0; c < 3; ++c)
        pixel |= Pixel(stops[i][c] + (stops[i + 1][c] - stops[i][c]) * f) << (16 - 8 * c);
    return pixel;
}

// Row of a band (0 at its top) where hz lies.
int RowOf(double hz) {
    return int(std::lround((kBandHeight - 1) *
                           (1.0 - std::log(hz / kLowHz) / std::log(kHighHz / kLowHz))));
}

// The smallest step of the list that puts labels at least `room` pixels apart.
double StepFor(double pixelsPerUnit, double room, std::initializer_list<double> steps) {
    for (double step : steps)
        if (step * pixelsPerUnit >= room) return step;
    return *(steps.end() - 1) * std::ceil(room / (*(steps.end() - 1) * pixelsPerUnit));
}

// The gain of each channel, one column per hop, the column's frame centred on its time.
void DrawBands(Canvas& canvas, const AudioBuffer& dry, const AudioBuffer& wet, int columns,
               const std::vector<PixelRect>& bands) {
    const double binHz = dry.sampleRate / kFftSize;
    for (size_t c = 0; c < bands.size(); ++c) {
        for (int col = 0; col < columns; ++col) {
            const int64_t start = int64_t(col) * kHop - kFftSize / 2;
            const std::vector<double> x = Power(dry.channels[c], start);
            const std::vector<double> y = Power(wet.channels[c], start);
            const double loudest = *std::max_element(x.begin(), x.end());
            for (int row = 0; row < kBandHeight; ++row) {
                const double hz = kLowHz * std::pow(kHighHz / kLowHz, (kBandHeight - 1 - row) /
                                                                          double(kBandHeight - 1));
                const int bin = std::clamp(int(std::lround(hz / binHz)), 1, kFftSize / 2 - 2);
                double px = 0, py = 0;
                for (int b = bin - 1; b <= bin + 1; ++b) px += x[b], py += y[b];
                const bool quiet = px < loudest * 1e-6 || px <= 0.0;
                canvas.Set(bands[c].left + col, bands[c].top + row,
                           quiet ? kTooQuiet : Colour(10 * std::log10(std::max(py / px, 1e-12))));
            }
        }
    }
}

// Frequency ticks left of each band, labelled at the decades.
PixelRect DrawFrequencyAxis(Canvas& canvas, const std::vector<PixelRect>& bands) {
    PixelRect labels;
    for (const PixelRect& band : bands) {
        for (double decade = 10; decade < kHighHz; decade *= 10) {
            for (int m = 1; m < 10; ++m) {
                const double hz = decade * m;
                if (hz < kLowHz || hz > kHighHz) continue;
                const int y = band.top + RowOf(hz);
                const int length = m == 1 ? 6 : 3;
                canvas.Fill({band.left - 1 - length, y, band.left - 1, y + 1}, kInk);
                if (m != 1) continue;
                const std::string text =
                    hz < 1000 ? Number(hz) + " Hz" : Number(hz / 1000) + " kHz";
                labels = Union(
                    labels, canvas.Text(Canvas::kLabel, text, {0, y - 10, band.left - 10, y + 10},
                                        TextRight | TextVCenter));
            }
        }
    }
    return labels;
}

// Beats (when the tempo is known) and seconds under the last band.
PixelRect DrawTimeAxis(Canvas& canvas, const PixelRect& band, double sampleRate, double tempo,
                       double seconds) {
    const double perSecond = sampleRate / kHop;
    PixelRect labels;
    int y = band.bottom + 1;
    auto axis = [&](const char* name, double unitSeconds, double step) {
        for (int i = 0; i * step * unitSeconds <= seconds + 1e-9; ++i) {
            const double t = i * step * unitSeconds;
            const int x = band.left + int(std::lround(t * perSecond));
            canvas.Fill({x, y, x + 1, y + 5}, kInk);
            labels = Union(labels, canvas.TextBelow(Number(t / unitSeconds), x, y + 6));
        }
        canvas.Text(Canvas::kLabel, name, {0, y + 6, band.left - 14, y + 26}, TextRight, kFaintInk);
        y += 27;
    };
    if (tempo > 0) {
        const double beat = 60.0 / tempo;
        axis("beats", beat, StepFor(beat * perSecond, 28, {1, 2, 4, 8, 16, 32, 64}));
    }
    axis("seconds", 1.0, StepFor(perSecond, 44, {0.25, 0.5, 1, 2, 5, 10, 15, 30, 60}));
    return labels;
}

// The colour scale beside the bands, and the grey of "too quiet" under it.
PixelRect DrawColourBar(Canvas& canvas, const PixelRect& bands) {
    const PixelRect bar{bands.right + kBarGap, bands.top, bands.right + kBarGap + kBarWidth,
                        bands.bottom};
    const double dbPerRow = (kHighDb - kLowDb) / (bar.Height() - 1);
    for (int row = 0; row < bar.Height(); ++row)
        canvas.Fill({bar.left, bar.top + row, bar.right, bar.top + row + 1},
                    Colour(kHighDb - row * dbPerRow));
    canvas.Frame(bar, kFaintInk);
    PixelRect covered =
        Union(bar, canvas.TextBelow("gain", (bar.left + bar.right) / 2, bar.top - 20));
    for (double db = 10; db >= kLowDb; db -= 10) {
        const int y = bar.top + int(std::lround((kHighDb - db) / dbPerRow));
        canvas.Fill({bar.right + 1, y, bar.right + 5, y + 1}, kInk);
        covered = Union(covered,
                        canvas.Text(Canvas::kLabel, Number(db, true) + " dB",
                                    {bar.right + 8, y - 10, bar.right + 200, y + 10}, TextVCenter));
    }
    const PixelRect quiet{bar.left, bar.bottom + 10, bar.right, bar.bottom + 22};
    canvas.Fill(quiet, kTooQuiet);
    return Union(covered,
                 canvas.Text(Canvas::kLabel, "too quiet",
                             {quiet.right + 6, quiet.top - 4, quiet.right + 200, quiet.bottom + 4},
                             TextVCenter));
}

}  // namespace

bool DrawTransferPicture(const AudioBuffer& dry, const AudioBuffer& wet, const SweepLabels& labels,
                         RgbImage* picture, SweepPictureParts* parts, std::string* error) {
    if (dry.NumChannels() == 0 || dry.NumChannels() != wet.NumChannels() ||
        dry.NumFrames() != wet.NumFrames() || dry.NumFrames() < kFftSize) {
        *error = "the dry and processed audio must have the same shape and last at least 0.1 s";
        return false;
    }
    const int channels = dry.NumChannels();
    const int columns = int((dry.NumFrames() + kHop - 1) / kHop);
    const int bandsHeight = channels * kBandHeight + (channels - 1) * kBandGap;
    Canvas canvas(kPlotLeft + columns + kRight, kPlotTop + bandsHeight + kBelow);
    SweepPictureParts drawn;

    for (int c = 0; c < channels; ++c) {
        const int top = kPlotTop + c * (kBandHeight + kBandGap);
        drawn.bands.push_back({kPlotLeft, top, kPlotLeft + columns, top + kBandHeight});
        const std::string name = c < static_cast<int>(labels.bandNames.size())
                                     ? labels.bandNames[static_cast<size_t>(c)]
                                 : channels == 2 ? (c == 0 ? "Left" : "Right")
                                 : channels == 1 ? "Mono"
                                                 : "Ch " + std::to_string(c + 1);
        drawn.bandNames.push_back(canvas.Text(Canvas::kName, name,
                                              {0, top, kNameWidth, top + kBandHeight},
                                              TextCenter | TextVCenter));
    }
    DrawBands(canvas, dry, wet, columns, drawn.bands);
    for (const PixelRect& band : drawn.bands) canvas.Frame(band, kFaintInk);
    drawn.frequencyTicks = DrawFrequencyAxis(canvas, drawn.bands);
    drawn.timeTicks = DrawTimeAxis(canvas, drawn.bands.back(), dry.sampleRate, labels.tempo,
                                   double(dry.NumFrames()) / dry.sampleRate);
    drawn.colourBar = DrawColourBar(canvas, Union(drawn.bands.front(), drawn.bands.back()));

    std::string title = labels.title;
    if (labels.tempo > 0) title += (title.empty() ? "" : ", ") + Number(labels.tempo) + " bpm";
    drawn.title = canvas.Text(Canvas::kTitle, title, {12, 10, kPlotLeft + columns, 36}, 0);
    // What the colours mean, where the picture is wide enough to say it.
    const std::string meaning = "gain of the processed signal over the dry one";
    const PixelRect after{title.empty() ? 12 : drawn.title.right + 14, 14, kPlotLeft + columns, 36};
    if (canvas.Measure(Canvas::kLabel, meaning).right <= after.Width())
        drawn.title = Union(drawn.title, canvas.Text(Canvas::kLabel, meaning, after, 0, kFaintInk));

    *picture = canvas.ToRgb();
    if (parts != nullptr) *parts = std::move(drawn);
    return true;
}

bool WriteTransferSpectrogram(const AudioBuffer& dry, const AudioBuffer& wet,
                              const SweepLabels& labels, const std::string& pngPath,
                              std::string* error) {
    RgbImage picture;
    return DrawTransferPicture(dry, wet, labels, &picture, nullptr, error) &&
           WritePngFile(pngPath, picture, error);
}

}  // namespace tav
