#include "raster/stable_trig.h"

#include <cmath>

namespace tav {
namespace {

// pi/2 split in two so that q * kPiOver2High is exact for the quadrant counts we see.
constexpr double kPiOver2High = 1.57079632673412561417e+00;
constexpr double kPiOver2Low = 6.07710050650619224932e-11;
constexpr double kTwoPi = 6.28318530717958647692;
constexpr double kTwoOverPi = 0.63661977236758134308;

// Taylor series to x^19 / x^18: far below float resolution on [-pi/4, pi/4].
// Coefficients of x^3, x^5, ... and x^2, x^4, ...; evaluated from the highest term.
constexpr double kSin[] = {-1.0 / 6.0,
                           1.0 / 120.0,
                           -1.0 / 5040.0,
                           1.0 / 362880.0,
                           -1.0 / 39916800.0,
                           1.0 / 6227020800.0,
                           -1.0 / 1307674368000.0,
                           1.0 / 355687428096000.0,
                           -1.0 / 121645100408832000.0};
constexpr double kCos[] = {-1.0 / 2.0,
                           1.0 / 24.0,
                           -1.0 / 720.0,
                           1.0 / 40320.0,
                           -1.0 / 3628800.0,
                           1.0 / 479001600.0,
                           -1.0 / 87178291200.0,
                           1.0 / 20922789888000.0,
                           -1.0 / 6402373705728000.0};

double Horner(const double (&coefficients)[9], double x2) {
    double sum = coefficients[8];
    for (int k = 7; k >= 0; --k) sum = sum * x2 + coefficients[k];
    return sum;
}

double SinSeries(double x) {
    return x + x * (x * x) * Horner(kSin, x * x);
}
double CosSeries(double x) {
    return 1.0 + (x * x) * Horner(kCos, x * x);
}

}  // namespace

void StableSinCos(float angle, float* sine, float* cosine) {
    if (!std::isfinite(angle)) {
        *sine = *cosine = NAN;
        return;
    }
    // fmod is exact, so this reduction gives the same bits everywhere.
    const double turn = std::fmod(static_cast<double>(angle), kTwoPi);
    const double q = std::nearbyint(turn * kTwoOverPi);
    const double x = (turn - q * kPiOver2High) - q * kPiOver2Low;
    const double s = SinSeries(x);
    const double c = CosSeries(x);
    double rs = 0.0, rc = 0.0;
    switch ((static_cast<int>(q) % 4 + 4) % 4) {
        case 0:
            rs = s, rc = c;
            break;
        case 1:
            rs = c, rc = -s;
            break;
        case 2:
            rs = -s, rc = -c;
            break;
        default:
            rs = -c, rc = s;
            break;
    }
    *sine = static_cast<float>(rs);
    *cosine = static_cast<float>(rc);
}

}  // namespace tav
