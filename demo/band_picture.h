// Clicks in a picture: the peak of the band above a cutoff over time, one render
// above the other on a dBFS scale, with the line a click must stay under.
#pragma once

#include <string>
#include <vector>

#include "host/audio_buffer.h"
#include "host/png_file.h"

namespace tav {

struct BandPictureLabels {
    std::string title;
    std::vector<std::string> names;  // one per render
    double cutoff = 8000.0;          // Hz
    double goal = -80.0;             // dBFS, drawn as a line
    double seconds = 0.0;            // the span shown from the start; 0: the whole
};

// Renders of the same length and rate; false with a reason otherwise. The bands
// are 960 columns wide from x = 150, 170 rows high from y = 62, 16 apart; 0 dBFS at
// a band's top row, -140 at its bottom.
bool DrawBandPicture(const std::vector<AudioBuffer>& renders, const BandPictureLabels& labels,
                     RgbImage* picture, std::string* error);
bool WriteBandPicture(const std::vector<AudioBuffer>& renders, const BandPictureLabels& labels,
                      const std::string& pngPath, std::string* error);

}  // namespace tav
