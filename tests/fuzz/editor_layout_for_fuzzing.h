// A window-less editor with the effect's own layout, attached to an instance.
#pragma once

#include "editor/headless_surface.h"
#include "vst2/ivst_effect.h"

namespace tav::fuzz {

// Replaces the instance's editor; the instance owns the surface returned.
HeadlessSurface* AttachHeadlessEditor(IVstEffect& core);

}  // namespace tav::fuzz
