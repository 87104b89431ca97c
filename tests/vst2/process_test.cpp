// The process callbacks and setParameter/getParameter.

#include <cmath>
#include <limits>
#include <vector>

#include "core/fp_control.h"
#include "tests/vst2/adapter_fixture.h"

namespace tav {
namespace {

// What the test effect computes: out[c] = in[c] x gain + in[other] / 8.
float Expected(float own, float other, double gain = 1.0) {
    return static_cast<float>(own * gain + other * 0.125);
}

class ProcessTest : public AdapterTest {
  protected:
    void Fill(int frames) {
        for (int c = 0; c < 2; ++c) {
            in[c].resize(static_cast<size_t>(frames));
            out[c].assign(static_cast<size_t>(frames), 0.0f);
            for (int i = 0; i < frames; ++i)
                in[c][static_cast<size_t>(i)] = (c + 1) * 0.01f * (i % 50);
            inPtr[c] = in[c].data();
            outPtr[c] = out[c].data();
        }
    }
    void ExpectProcessed(int frames) {
        for (int i = 0; i < frames; ++i) {
            const auto k = static_cast<size_t>(i);
            ASSERT_EQ(out[0][k], Expected(in[0][k], in[1][k])) << "frame " << i;
            ASSERT_EQ(out[1][k], Expected(in[1][k], in[0][k])) << "frame " << i;
        }
    }

    std::vector<float> in[2], out[2];
    float* inPtr[2] = {};
    float* outPtr[2] = {};
};

TEST_F(ProcessTest, ReplacingConvertsThroughScratchAndOverwrites) {
    Fill(100);
    out[0].assign(100, 9.0f);
    effect->processReplacing(effect, inPtr, outPtr, 100);
    EXPECT_EQ(fx->seenFrames, 100);
    EXPECT_EQ(fx->seenInputs[0], reinterpret_cast<double*>(fx->Input(0)->scratch.Data()));
    EXPECT_EQ(fx->seenOutputs[1], reinterpret_cast<double*>(fx->Output(1)->scratch.Data()));
    ExpectProcessed(100);
}

TEST_F(ProcessTest, AccumulatingAddsToWhatIsThere) {
    Fill(64);
    out[0].assign(64, 1.0f);
    out[1].assign(64, -0.5f);
    effect->process(effect, inPtr, outPtr, 64);
    for (size_t i = 0; i < 64; ++i) {
        EXPECT_EQ(out[0][i], Expected(in[0][i], in[1][i]) + 1.0f);
        EXPECT_EQ(out[1][i], Expected(in[1][i], in[0][i]) + -0.5f);
    }
}

TEST_F(ProcessTest, DoubleReplacingWorksInTheHostsBuffers) {
    std::vector<double> a(32, 0.25), b(32, 0.5), x(32, 7.0), y(32, 7.0);
    double* ins[2] = {a.data(), b.data()};
    double* outs[2] = {x.data(), y.data()};
    effect->processDoubleReplacing(effect, ins, outs, 32);
    EXPECT_EQ(fx->seenInputs[0], a.data());
    EXPECT_EQ(fx->seenOutputs[1], y.data());
    EXPECT_EQ(x[31], 0.25 + 0.5 * 0.125);

    x.assign(32, 7.0);
    effect->processDoubleReplacing(effect, ins, outs, 0);
    EXPECT_EQ(fx->seenFrames, 0);
    EXPECT_EQ(x[0], 7.0);
}

TEST_F(ProcessTest, LongCallsRunInSlicesOfTheBlockSize) {
    Dispatch(effSetBlockSize, 0, 64);
    Fill(200);
    fx->blocks = 0;
    effect->processReplacing(effect, inPtr, outPtr, 200);
    EXPECT_EQ(fx->blocks, 4);  // 64 + 64 + 64 + 8
    EXPECT_EQ(fx->seenFrames, 8);
    ExpectProcessed(200);

    std::vector<double> a(200, 0.25), b(200, 0.5), x(200), y(200);
    double* ins[2] = {a.data(), b.data()};
    double* outs[2] = {x.data(), y.data()};
    effect->processDoubleReplacing(effect, ins, outs, 200);
    EXPECT_EQ(x[199], 0.25 + 0.5 * 0.125);
    EXPECT_EQ(y[150], 0.5 + 0.25 * 0.125);
}

TEST_F(ProcessTest, InPlaceBuffersGiveTheSameResult) {
    Fill(50);
    const std::vector<float> a = in[0], b = in[1];
    effect->processReplacing(effect, inPtr, inPtr, 50);
    for (size_t i = 0; i < 50; ++i) {
        ASSERT_EQ(in[0][i], Expected(a[i], b[i]));
        ASSERT_EQ(in[1][i], Expected(b[i], a[i]));
    }

    std::vector<double> l(50, 0.25), r(50, 0.5);
    double* io[2] = {l.data(), r.data()};
    effect->processDoubleReplacing(effect, io, io, 50);
    EXPECT_EQ(l[10], 0.25 + 0.5 * 0.125);
    EXPECT_EQ(r[10], 0.5 + 0.25 * 0.125);
}

TEST_F(ProcessTest, MissingBuffersAreSilenceInAndNowhereOut) {
    Fill(16);
    effect->processReplacing(effect, nullptr, outPtr, 16);
    EXPECT_EQ(out[0][5], 0.0f);
    effect->processReplacing(effect, inPtr, nullptr, 16);
    effect->process(effect, nullptr, nullptr, 16);
    effect->processDoubleReplacing(effect, nullptr, nullptr, 16);

    float* partialIn[2] = {inPtr[0], nullptr};
    float* partialOut[2] = {nullptr, outPtr[1]};
    effect->processReplacing(effect, partialIn, partialOut, 16);
    EXPECT_EQ(out[1][5], Expected(0.0f, in[0][5]));

    double* none[2] = {nullptr, nullptr};
    effect->processDoubleReplacing(effect, none, none, 16);
    EXPECT_EQ(fx->blocks, 6);
    effect->processReplacing(effect, inPtr, outPtr, -5);  // nonsense: nothing happens
    EXPECT_EQ(fx->blocks, 6);
}

TEST_F(ProcessTest, DisconnectedInputIsSilentAndTakesNoHostBuffer) {
    Fill(20);
    effect->processReplacing(effect, inPtr, outPtr, 20);  // both channels carry audio
    VstSpeakerArrangement mono = {};
    mono.numChannels = 1;
    Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), nullptr);
    // The host still passes two buffers; only the first is read, and the audio
    // from before must not linger in the unused channel.
    effect->processReplacing(effect, inPtr, outPtr, 20);
    EXPECT_EQ(fx->seenInputs[1], reinterpret_cast<double*>(fx->Input(1)->scratch.Data()));
    for (size_t i = 0; i < 20; ++i) {
        ASSERT_EQ(out[0][i], Expected(in[0][i], 0.0f));
        ASSERT_EQ(out[1][i], Expected(0.0f, in[0][i]));
    }
}

TEST_F(ProcessTest, DenormalsAreFlushedOnlyWhileProcessing) {
    const uint64_t before = ReadFpControl();
    Fill(8);
    effect->processReplacing(effect, inPtr, outPtr, 8);
    EXPECT_EQ(fx->seenFpControl & kFlushDenormals, kFlushDenormals);
    EXPECT_EQ(ReadFpControl(), before);
    fx->seenFpControl = 0;
    effect->process(effect, inPtr, outPtr, 8);
    EXPECT_EQ(fx->seenFpControl & kFlushDenormals, kFlushDenormals);
    std::vector<double> a(8);
    double* p[2] = {a.data(), a.data()};
    fx->seenFpControl = 0;
    effect->processDoubleReplacing(effect, p, p, 8);
    EXPECT_EQ(fx->seenFpControl & kFlushDenormals, kFlushDenormals);
    EXPECT_EQ(ReadFpControl(), before);
}

TEST_F(AdapterTest, ParametersSetAndGetInUnitsWithBadInputIgnored) {
    effect->setParameter(effect, TestEffect::kGain, 0.25f);
    EXPECT_EQ(fx->Param(TestEffect::kGain)->value, 0.5);
    EXPECT_EQ(effect->getParameter(effect, TestEffect::kGain), 0.25f);
    EXPECT_EQ(fx->paramChanges[TestEffect::kGain], 1);

    effect->setParameter(effect, TestEffect::kGain, std::numeric_limits<float>::quiet_NaN());
    effect->setParameter(effect, TestEffect::kGain, std::numeric_limits<float>::infinity());
    effect->setParameter(effect, 4, 0.5f);
    effect->setParameter(effect, -1, 0.5f);
    EXPECT_EQ(fx->Param(TestEffect::kGain)->value, 0.5);
    EXPECT_EQ(fx->paramChanges[TestEffect::kGain], 1);

    effect->setParameter(effect, TestEffect::kGain, 3.0f);  // clamped into [0, 1]
    EXPECT_EQ(effect->getParameter(effect, TestEffect::kGain), 1.0f);
    EXPECT_EQ(effect->getParameter(effect, -1), 0.0f);
    EXPECT_EQ(effect->getParameter(effect, 4), 0.0f);
}

}  // namespace
}  // namespace tav
