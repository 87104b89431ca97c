#include "demo/band_picture.h"

#include <algorithm>
#include <cmath>

#include "demo/high_band.h"
#include "demo/picture_canvas.h"

namespace tav {
namespace {

constexpr int kColumns = 960;
constexpr int kBandHeight = 170;
constexpr int kBandGap = 16;
constexpr int kPlotLeft = 150;
constexpr int kPlotTop = 62;
constexpr int kBelow = 40;
constexpr int kRight = 24;
constexpr double kTopDb = 0.0;
constexpr double kBottomDb = -140.0;

constexpr Pixel kBar = 0xFF2F5FA8;
constexpr Pixel kGoal = 0xFFC03030;
constexpr Pixel kGrid = 0xFFDDDAD2;

int RowOf(double db) {
    const double t = (kTopDb - std::clamp(db, kBottomDb, kTopDb)) / (kTopDb - kBottomDb);
    return static_cast<int>(std::lround(t * (kBandHeight - 1)));
}

}  // namespace

bool DrawBandPicture(const std::vector<AudioBuffer>& renders, const BandPictureLabels& labels,
                     RgbImage* picture, std::string* error) {
    if (renders.empty() || renders[0].NumChannels() == 0 || renders[0].NumFrames() == 0) {
        *error = "no audio to picture";
        return false;
    }
    for (const AudioBuffer& r : renders) {
        if (r.NumFrames() != renders[0].NumFrames() || r.sampleRate != renders[0].sampleRate) {
            *error = "the renders must have the same length and rate";
            return false;
        }
    }
    const double rate = renders[0].sampleRate;
    int64_t frames = renders[0].NumFrames();
    if (labels.seconds > 0.0)
        frames = std::min<int64_t>(frames, static_cast<int64_t>(labels.seconds * rate));
    const int count = static_cast<int>(renders.size());
    Canvas canvas(kPlotLeft + kColumns + kRight,
                  kPlotTop + count * kBandHeight + (count - 1) * kBandGap + kBelow);

    PixelRect band;
    for (int i = 0; i < count; ++i) {
        const int top = kPlotTop + i * (kBandHeight + kBandGap);
        band = {kPlotLeft, top, kPlotLeft + kColumns, top + kBandHeight};
        for (double db = kTopDb; db >= kBottomDb; db -= 20) {
            const int y = top + RowOf(db);
            canvas.Fill({band.left, y, band.right, y + 1}, kGrid);
            canvas.Fill({band.left - 5, y, band.left - 1, y + 1}, kInk);
            canvas.Text(Canvas::kLabel, Number(db), {band.left - 60, y - 10, band.left - 8, y + 10},
                        TextRight | TextVCenter);
        }
        // Each column the loudest peak of the band over its span, channels together.
        const std::vector<std::vector<double>> high =
            HighBand(renders[static_cast<size_t>(i)], labels.cutoff);
        for (int col = 0; col < kColumns; ++col) {
            const int64_t from = frames * col / kColumns;
            const int64_t to = std::max(from + 1, frames * (col + 1) / kColumns);
            const double peak = BandPeak(high, from, to);
            const double db = peak > 0.0 ? 20.0 * std::log10(peak) : kBottomDb;
            canvas.Fill({band.left + col, top + RowOf(db), band.left + col + 1, band.bottom}, kBar);
        }
        const int goal = top + RowOf(labels.goal);
        for (int x = band.left; x < band.right; x += 8)
            canvas.Fill({x, goal, std::min(x + 5, band.right), goal + 1}, kGoal);
        canvas.Frame(band, kFaintInk);
        const std::string name =
            i < static_cast<int>(labels.names.size()) ? labels.names[static_cast<size_t>(i)] : "";
        canvas.Text(Canvas::kName, name, {4, top, band.left - 64, band.bottom},
                    TextCenter | TextVCenter);
    }
    canvas.Text(Canvas::kLabel, "dBFS",
                {band.left - 60, kPlotTop - 24, band.left - 8, kPlotTop - 4}, TextRight, kFaintInk);
    const double seconds = static_cast<double>(frames) / rate;
    const double step = seconds <= 10 ? 1.0 : seconds <= 40 ? 5.0 : 10.0;
    for (double t = 0.0; t <= seconds + 1e-9; t += step) {
        const int x = band.left + static_cast<int>(std::lround(t / seconds * (kColumns - 1)));
        canvas.Fill({x, band.bottom + 1, x + 1, band.bottom + 6}, kInk);
        canvas.TextBelow(Number(t) + " s", x, band.bottom + 8);
    }
    std::string title = labels.title;
    title += (title.empty() ? "" : ": ") + std::string("peak above ") +
             Number(labels.cutoff / 1000) + " kHz, the dashed line at " + Number(labels.goal) +
             " dBFS";
    canvas.Text(Canvas::kTitle, title, {12, 10, kPlotLeft + kColumns, 36}, 0);
    *picture = canvas.ToRgb();
    return true;
}

bool WriteBandPicture(const std::vector<AudioBuffer>& renders, const BandPictureLabels& labels,
                      const std::string& pngPath, std::string* error) {
    RgbImage picture;
    return DrawBandPicture(renders, labels, &picture, error) &&
           WritePngFile(pngPath, picture, error);
}

}  // namespace tav
