#pragma once

#include <cstdint>
#include <string>

#include "editor/icontrol.h"

namespace tav {

// A knob drawn by turning one small bitmap about its centre, with the linked
// parameter's value text in a strip underneath.
class IKnobRotVal : public IControl {
  public:
    // width 0 takes the width from one frame of the bitmap; steps of 1 or less is a
    // continuous knob.
    IKnobRotVal(IEffectCore* owner, int paramIndex, int centreX, int centreY,
                const BitmapRef& knobBitmap, const TextStyle& textStyle, int textGap,
                int sweepDegrees, double gearing, int width, int dragDirection, float knobWeight,
                bool appendUnit, int steps);

    void MouseReleased(int x, int y, const MouseMods& mods) override;
    void MouseDragged(int x, int y, int dx, int dy, const MouseMods& mods) override;
    void CapturePaintState() override;
    void SetMarks(const ParamMarks& marks) override;
    bool Render(EditorSurface* surface) override;

    // The turn for a normalised value, in radians, and the matching source shift.
    static float AngleFor(double v, int sweepDegrees);
    static float SourceShiftFor(double v);
    // The strip the value text is painted in.
    PixelRect TextStrip() const;
    // What the last capture will paint (the value text with its unit).
    const std::string& PaintedText() const { return paintText; }

    int32_t dragDirection;
    double gearing;
    TextStyle textStyle;
    BitmapRef knobBitmap;
    int32_t centreX;
    int32_t centreY;
    int32_t textGap;
    int32_t sweepDegrees;
    int16_t stepIntervals;
    float knobWeight;
    bool appendUnit;
    BlendSpec knobBlend;
    BitmapRef spinCache;

  private:
    bool RenderMultiFrame(EditorSurface* surface, float angle, float shift);
    void RenderMarks(EditorSurface* surface) const;

    std::string paintText;
    ParamMarks marks_;
    ParamMarks paintMarks_;
};

}  // namespace tav
