#include "raster/pixel_combiner.h"

#include "raster/pixel_rules.h"

namespace tav {

PixelCombiner SelectCombiner(CombineMode mode, int w) {
    using namespace rules;
    const bool sourceAlpha = (mode & UseSourceAlpha) != 0;
    const CombineMode op = mode & kCombineOperationMask;
    // Rules that blend toward a result would extrapolate with a negative weight.
    const bool blends = op == CombineCopy || op == CombineMultiply || op == CombineOverlay ||
                        op == CombineHsvAdjust;
    if (blends && w <= 0) return nullptr;
    switch (op) {
        case CombineCopy:
            if (sourceAlpha) return w == 256 ? CopyAlphaFull : CopyAlphaPartial;
            return w == 256 ? CopyFull : CopyPartial;
        case CombineAdd:
            return sourceAlpha ? AddAlpha : Add;
        case CombineDodge:
            return sourceAlpha ? DodgeAlpha : Dodge;
        case CombineMultiply:
            return sourceAlpha ? MultiplyAlpha : Multiply;
        case CombineOverlay:
            return sourceAlpha ? OverlayAlpha : Overlay;
        case CombineHsvAdjust:
            return sourceAlpha ? HsvAdjustAlpha : HsvAdjust;
        default:
            return nullptr;
    }
}

}  // namespace tav
