// What a Windows process holds of GDI and USER, for leak checks in the editor tests
// and the soak. Windows only.
#pragma once

namespace tav::test {

// Live GDI objects of this process. Wine answers GetGuiResources with 0, so there every
// handle index is probed instead: its handle table matches a handle whose upper word is
// zero to the slot, whatever the slot's generation.
int CountGdiObjects();

// Windows of this process, children included: the USER objects that can be counted
// under Wine.
int CountWindows();

}  // namespace tav::test
