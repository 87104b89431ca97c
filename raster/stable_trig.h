#pragma once

namespace tav {

// sin and cos rounded to float, computed the same way on every platform: the C
// libraries' sinf/cosf differ in their last bits, and a rotated blit must draw the
// same pixels in every build.
void StableSinCos(float angle, float* sine, float* cosine);

}  // namespace tav
