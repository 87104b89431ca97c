#pragma once

namespace tav {

class EditorSurface;
class IEffectCore;

// The platform's editor window for core, unopened; none where the module has no
// editor.
EditorSurface* CreatePlatformEditor(IEffectCore& core);

// The module the effect lives in, whose resources hold the skin.
void* EffectModuleInstance();

}  // namespace tav
