#include <windows.h>

#include "raster/resource_lookup.h"

namespace tav {

bool FindPngResourceBytes(ModuleHandle module, int resourceId, ResourceBytes* bytes) {
    auto* instance = static_cast<HMODULE>(module);
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(resourceId), L"PNG");
    if (found == nullptr) return false;
    const DWORD size = SizeofResource(instance, found);
    HGLOBAL loaded = LoadResource(instance, found);
    if (loaded == nullptr) return false;
    // Resource memory is part of the mapped module: nothing to copy or release.
    bytes->data = LockResource(loaded);
    bytes->size = size;
    return bytes->data != nullptr;
}

}  // namespace tav
