#include "vst2/vst_class.h"

#include <new>

#include "vst2/module_entry.h"

namespace tav {

IVstEffect* CreateEffectInstance(audioMasterCallback hostCallback) {
    return new (std::nothrow) VSTCLASS(hostCallback);
}

}  // namespace tav
