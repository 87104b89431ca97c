// Pictures of how a phaser's response moves: per short analysis frame, the ratio
// of the processed spectrum to the dry one, on a logarithmic frequency axis.
// The notches show up as dark curves that sweep up and down with the tempo.
#pragma once

#include <string>
#include <vector>

#include "host/audio_buffer.h"
#include "host/png_file.h"
#include "raster/pixel_rect.h"

namespace tav {

struct SweepLabels {
    std::string title;                   // e.g. the program's name; the tempo is added when known
    double tempo = 0.0;                  // beats per minute; 0 leaves the beat axis out
    std::vector<std::string> bandNames;  // instead of "Left" and "Right"
};

// Where the picture put its parts, so a reader of the pixels can find them.
struct SweepPictureParts {
    PixelRect title;
    std::vector<PixelRect> bands;      // the plotted gain, one per channel
    std::vector<PixelRect> bandNames;  // "Left", "Right" beside them
    PixelRect frequencyTicks;          // the tick labels left of the bands
    PixelRect timeTicks;               // beat and second labels under the bands
    PixelRect colourBar;               // the dB scale and its labels
};

// One band per channel (left on top), time running to the right, 40 Hz at the bottom
// of a band and 20 kHz at its top; colour is the gain in dB from -40 (black) to +12
// (white). Where the dry signal is too quiet to measure, the pixel is dark grey.
// Axes, title and the colour scale are drawn around the bands.
bool DrawTransferPicture(const AudioBuffer& dry, const AudioBuffer& wet, const SweepLabels& labels,
                         RgbImage* picture, SweepPictureParts* parts, std::string* error);

bool WriteTransferSpectrogram(const AudioBuffer& dry, const AudioBuffer& wet,
                              const SweepLabels& labels, const std::string& pngPath,
                              std::string* error);

}  // namespace tav
