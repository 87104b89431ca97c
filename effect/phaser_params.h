#pragma once

namespace tav {

// Parameter indices as the host sees them. Within a side the order is
// frequency, feedback, depth, sweep rate, wet.
enum PhaserParam : int {
    ParamFreqLeft = 0,
    ParamFBackLeft,
    ParamLeftDepth,
    ParamLeftSweepRate,
    ParamWetLeft,
    ParamFreqRight,
    ParamFBackRight,
    ParamRightDepth,
    ParamRightSweepRate,
    ParamWetRight,
    ParamAccent,
    ParamFilterMirror,
    ParamBypassCeil,
    ParamCount
};

// Which side's phased signal is added (the other one is subtracted).
enum PhaserAccent : int { AccentLeft = 0, AccentRight = 1, AccentBoth = 2 };

// Plain-value range and default of each parameter, in index order.
struct PhaserParamRange {
    int minValue;
    int maxValue;
    int defaultValue;
};

inline constexpr PhaserParamRange kPhaserParamRanges[ParamCount] = {
    {40, 20000, 2500}, {0, 100, 60}, {0, 100, 30},    {0, 30, 12}, {0, 100, 80},
    {40, 20000, 2500}, {0, 100, 60}, {0, 100, 30},    {0, 30, 12}, {0, 100, 80},
    {0, 2, 2},         {0, 1, 1},    {-100, -50, -60}};

}  // namespace tav
