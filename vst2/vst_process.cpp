// The audio and parameter callbacks of the AEffect record.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/denormal_guard.h"
#include "vst2/ivst_effect.h"

namespace tav {
namespace {

double* ScratchOf(HeapBuffer& scratch) {
    return reinterpret_cast<double*>(scratch.Data());
}

void Silence(double* samples, int frames) {
    if (samples != nullptr && frames > 0) {
        std::memset(samples, 0, static_cast<size_t>(frames) * sizeof(double));
    }
}

// Every process callback: find the instance, flush denormals and hold the
// instance lock for the whole block.
template <class Body>
void ProcessUnderLock(IVstEffect* self, Body body) {
    if (self == nullptr) return;
    DenormalGuard denormals;
    CoreLockGuard guard(&self->Lock());
    body(*self);
}

// Hosts may pass more frames than the block size they announced; the scratch
// buffers hold one block, so longer calls run in slices.
template <class Slice>
void InSlices(int frames, int block, Slice slice) {
    if (frames < 0 || block < 1) return;
    int offset = 0;
    do {
        const int n = std::min(frames - offset, block);
        slice(offset, n);
        offset += n;
    } while (offset < frames);
}

}  // namespace

void IVstEffect::ProcessAccumulatingProc(AEffect* effect, float** inputs, float** outputs,
                                         VstInt32 frames) {
    ProcessUnderLock(FromEffect(effect),
                     [&](IVstEffect& self) { self.ProcessFloat(inputs, outputs, frames, true); });
}

void IVstEffect::ProcessReplacingProc(AEffect* effect, float** inputs, float** outputs,
                                      VstInt32 frames) {
    ProcessUnderLock(FromEffect(effect),
                     [&](IVstEffect& self) { self.ProcessFloat(inputs, outputs, frames, false); });
}

void IVstEffect::ProcessDoubleProc(AEffect* effect, double** inputs, double** outputs,
                                   VstInt32 frames) {
    ProcessUnderLock(FromEffect(effect),
                     [&](IVstEffect& self) { self.ProcessDouble(inputs, outputs, frames); });
}

void IVstEffect::ProcessFloat(float** inputs, float** outputs, int frames, bool accumulate) {
    if (MidiMode() != 0) CallHost(audioMasterWantMidi);
    InSlices(frames, BlockFrames(),
             [&](int offset, int n) { ProcessFloatSlice(inputs, outputs, offset, n, accumulate); });
}

void IVstEffect::ProcessFloatSlice(float** inputs, float** outputs, int offset, int frames,
                                   bool accumulate) {
    int cursor = 0;
    for (int c = 0; c < InputCount(); ++c) {
        InputChannel* channel = Input(c);
        double* scratch = ScratchOf(channel->scratch);
        *channel->slot = scratch;
        if (!channel->connected) {
            Silence(scratch, frames);  // an unused pin is silent, whatever was left there
            continue;
        }
        // A missing array or buffer is silence.
        const float* source = inputs != nullptr ? inputs[cursor] : nullptr;
        ++cursor;
        if (scratch == nullptr) continue;
        if (source == nullptr) {
            Silence(scratch, frames);
            continue;
        }
        source += offset;
        for (int i = 0; i < frames; ++i) scratch[i] = source[i];
    }

    cursor = 0;
    for (int c = 0; c < OutputCount(); ++c) {
        OutputChannel* channel = Output(c);
        *channel->slot = ScratchOf(channel->scratch);
        channel->hostDestination = nullptr;
        if (!channel->connected) continue;
        channel->hostDestination = outputs != nullptr ? outputs[cursor] : nullptr;
        ++cursor;
    }

    ProcessBlock(InputCount() > 0 ? InputPointers() : nullptr,
                 OutputCount() > 0 ? OutputPointers() : nullptr, frames);

    for (int c = 0; c < OutputCount(); ++c) {
        OutputChannel* channel = Output(c);
        const double* samples = ScratchOf(channel->scratch);
        if (!channel->connected || channel->hostDestination == nullptr || samples == nullptr) {
            continue;
        }
        float* destination = channel->hostDestination + offset;
        if (accumulate) {
            for (int i = 0; i < frames; ++i) {
                destination[i] = static_cast<float>(samples[i]) + destination[i];
            }
        } else {
            for (int i = 0; i < frames; ++i) destination[i] = static_cast<float>(samples[i]);
        }
    }
}

void IVstEffect::ProcessDouble(double** inputs, double** outputs, int frames) {
    if (MidiMode() != 0) CallHost(audioMasterWantMidi);
    InSlices(frames, BlockFrames(),
             [&](int offset, int n) { ProcessDoubleSlice(inputs, outputs, offset, n); });
}

void IVstEffect::ProcessDoubleSlice(double** inputs, double** outputs, int offset, int frames) {
    int cursor = 0;
    for (int c = 0; c < InputCount(); ++c) {
        InputChannel* channel = Input(c);
        double* scratch = ScratchOf(channel->scratch);
        double* source = nullptr;
        if (channel->connected) {
            source = inputs != nullptr ? inputs[cursor] : nullptr;
            ++cursor;
        }
        if (source != nullptr) {
            *channel->slot = source + offset;
        } else {
            *channel->slot = scratch;
            Silence(scratch, frames);
        }
    }

    cursor = 0;
    for (int c = 0; c < OutputCount(); ++c) {
        OutputChannel* channel = Output(c);
        double* destination = nullptr;
        if (channel->connected) {
            destination = outputs != nullptr ? outputs[cursor] : nullptr;
            ++cursor;
        }
        // No host buffer: the effect writes into scratch and the result goes nowhere.
        *channel->slot =
            destination != nullptr ? destination + offset : ScratchOf(channel->scratch);
    }

    // In-place hosts pass the same buffer as input and output. Such an input is
    // read from a copy, so the effect may write any output before it has read
    // every input.
    for (int c = 0; c < InputCount(); ++c) {
        InputChannel* channel = Input(c);
        double* scratch = ScratchOf(channel->scratch);
        if (scratch == nullptr || *channel->slot == scratch) continue;
        for (int o = 0; o < OutputCount(); ++o) {
            if (*Output(o)->slot == *channel->slot) {
                std::memcpy(scratch, *channel->slot, static_cast<size_t>(frames) * sizeof(double));
                *channel->slot = scratch;
                break;
            }
        }
    }

    ProcessBlock(InputCount() > 0 ? InputPointers() : nullptr,
                 OutputCount() > 0 ? OutputPointers() : nullptr, frames);
}

void IVstEffect::SetParameterProc(AEffect* effect, VstInt32 index, float unit) {
    IVstEffect* self = FromEffect(effect);
    if (self == nullptr) return;
    CoreLockGuard guard(&self->Lock());
    self->SetParameter(index, unit);
}

float IVstEffect::GetParameterProc(AEffect* effect, VstInt32 index) {
    IVstEffect* self = FromEffect(effect);
    if (self == nullptr) return 0.0f;
    CoreLockGuard guard(&self->Lock());
    return self->GetParameter(index);
}

void IVstEffect::SetParameter(int index, float unit) {
    if (index < 0 || index >= ParamCount() || !std::isfinite(unit)) return;
    // Count host sets between two dispatcher calls; the dispatcher reports a burst.
    if (!burstLatch_) {
        ++burstCount_;
        burstHighestIndex_ = std::max(burstHighestIndex_, index);
    }
    ApplyHostParamChange(index, unit);
}

float IVstEffect::GetParameter(int index) {
    if (index < 0 || index >= ParamCount()) return 0.0f;
    return static_cast<float>(Param(index)->CurrentUnit());
}

}  // namespace tav
