// An adapter instance driven directly through its AEffect, with a fake host.
#pragma once

#include <gtest/gtest.h>

#include "tests/vst2/fake_host.h"
#include "tests/vst2/test_effect.h"

namespace tav {

class AdapterTest : public ::testing::Test {
  protected:
    ~AdapterTest() override {
        if (effect != nullptr) Dispatch(effClose);
    }

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    FakeHost host;
    TestEffect* fx = new TestEffect(&FakeHost::Callback);
    AEffect* effect = fx->Effect();
};

}  // namespace tav
