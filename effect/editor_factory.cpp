#include "effect/editor_factory.h"
#include "core/module_handle.h"

namespace tav {

void* EffectModuleInstance() {
    return ModuleHandle();
}

}  // namespace tav
