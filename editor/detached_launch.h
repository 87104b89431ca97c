#pragma once

namespace tav {

// Starts program (looked up in PATH) with one argument, without a shell and without
// waiting for it; no child is left for the caller to reap. True once the program has
// been executed.
bool LaunchDetached(const char* program, const char* argument);

}  // namespace tav
