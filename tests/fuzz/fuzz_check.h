// A failed property ends the fuzzing run like a crash, so libFuzzer keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace tav::fuzz {

[[noreturn]] inline void Fail(const char* what, const std::string& detail = "") {
    std::fprintf(stderr, "\n*** check failed: %s\n%s\n", what, detail.c_str());
    std::abort();
}

}  // namespace tav::fuzz

#define FUZZ_CHECK(condition, detail) \
    ((condition) ? (void)0 : ::tav::fuzz::Fail(#condition, detail))
