// Open/close cycles of a plug-in's editor in one host window, and whether they
// leave anything behind: descriptors, shared memory and memory on Linux, GDI
// objects and windows on Windows (platform files).
#pragma once

#include "host/editor_window.h"

namespace tav::test {

// Twenty cycles to settle, then `cycles` more: nothing may grow, and no editor
// window may outlive its close.
void ExpectEditorCyclesLeakNothing(EditorHostWindow& window, PluginInstance& plugin, int cycles);

// Threads of this process, for the editors that must not start one (Linux only:
// Windows editors run on the host's window thread anyway).
int ThreadCount();

}  // namespace tav::test
