// The audio path allocates nothing: every allocation the process and parameter
// callbacks could make, through operator new or the C allocator, is counted
// while the real plug-in runs through its AEffect record.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <vector>

#include "effect/phaser_params.h"
#include "vst2/ivst_effect.h"
#include "vst2/module_entry.h"

namespace {
std::atomic<bool> watching{false};
std::atomic<int> allocations{0};
void Note() {
    if (watching.load(std::memory_order_relaxed)) allocations.fetch_add(1);
}
}  // namespace

extern "C" void* __real_malloc(std::size_t);

void* operator new(std::size_t size) {
    Note();
    if (void* p = __real_malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    Note();
    return __real_malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

// The C allocator, for the project's own code linked into this program (the
// linker routes its calls here with --wrap).
extern "C" {
void* __real_calloc(std::size_t, std::size_t);
void* __real_realloc(void*, std::size_t);
void* __wrap_malloc(std::size_t size) {
    Note();
    return __real_malloc(size);
}
void* __wrap_calloc(std::size_t n, std::size_t size) {
    Note();
    return __real_calloc(n, size);
}
void* __wrap_realloc(void* p, std::size_t size) {
    Note();
    return __real_realloc(p, size);
}
}

namespace tav {
namespace {

VstTimeInfo timeInfo{};
double hostTempo = 120.0;

VstIntPtr HostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == 7) {  // audioMasterGetTime
        timeInfo.tempo = hostTempo;
        timeInfo.sampleRate = 44100.0;
        timeInfo.flags = 0x400 | 0x2000;
        timeInfo.timeSigNumerator = 4;
        timeInfo.timeSigDenominator = 4;
        return reinterpret_cast<VstIntPtr>(&timeInfo);
    }
    if (opcode == 1) return 2400;  // audioMasterVersion
    return 0;
}

TEST(AudioPath, AllocatesNothing) {
    IVstEffect* instance = CreateEffectInstance(HostCallback);
    ASSERT_NE(instance, nullptr);
    AEffect* e = instance->Effect();
    constexpr int kBlock = 256;
    e->dispatcher(e, 0, 0, 0, nullptr, 0.0f);        // effOpen
    e->dispatcher(e, 10, 0, 0, nullptr, 44100.0f);   // effSetSampleRate
    e->dispatcher(e, 11, 0, kBlock, nullptr, 0.0f);  // effSetBlockSize
    e->dispatcher(e, 12, 0, 1, nullptr, 0.0f);       // effMainsChanged: resume

    std::vector<float> inL(4 * kBlock), inR(4 * kBlock), outL(4 * kBlock), outR(4 * kBlock);
    std::vector<double> dInL(4 * kBlock), dInR(4 * kBlock), dOutL(4 * kBlock), dOutR(4 * kBlock);
    uint32_t noise = 1;
    for (size_t i = 0; i < inL.size(); ++i) {
        noise = noise * 1664525u + 1013904223u;
        inL[i] = float(int32_t(noise)) * 2e-10f;
        inR[i] = -inL[i];
        dInL[i] = inL[i], dInR[i] = inR[i];
    }
    float* ins[2] = {inL.data(), inR.data()};
    float* outs[2] = {outL.data(), outR.data()};
    double* dIns[2] = {dInL.data(), dInR.data()};
    double* dOuts[2] = {dOutL.data(), dOutR.data()};

    e->processReplacing(e, ins, outs, kBlock);  // the first block initialises the sweep
    allocations = 0;
    watching = true;
    for (int round = 0; round < 20; ++round) {
        e->processReplacing(e, ins, outs, kBlock);
        e->process(e, ins, outs, kBlock / 2);
        e->processDoubleReplacing(e, dIns, dOuts, kBlock);
        e->processReplacing(e, ins, outs, 4 * kBlock);         // more than announced: slices
        e->processDoubleReplacing(e, dIns, dIns, 3 * kBlock);  // in place
        e->processReplacing(e, nullptr, outs, kBlock);
        for (int p = 0; p < ParamCount; ++p) {
            e->setParameter(e, p, float(round % 10) / 9.0f);
            (void)e->getParameter(e, p);
        }
        e->setParameter(e, 0, std::numeric_limits<float>::quiet_NaN());
        hostTempo = round % 2 ? 97.0 : 120.0;  // tempo changes restart the sweeps
    }
    inL[5] = std::numeric_limits<float>::quiet_NaN();  // a bad sample resets the filters
    e->processReplacing(e, ins, outs, kBlock);
    e->processReplacing(e, ins, outs, kBlock);
    watching = false;
    EXPECT_EQ(allocations.load(), 0);

    // The counter itself works.
    watching = true;
    void* volatile probe = std::malloc(16);
    int* volatile object = new int(3);
    watching = false;
    std::free(probe);
    delete object;
    EXPECT_EQ(allocations.load(), 2);

    e->dispatcher(e, 1, 0, 0, nullptr, 0.0f);  // effClose
}

}  // namespace
}  // namespace tav
