// The AEffect record, channel layouts, editor attachment and the host-side calls.
#include <functional>
#include <future>
#include <memory>

#include "tests/vst2/adapter_fixture.h"

namespace tav {
namespace {

TEST_F(AdapterTest, RecordDescribesTheEffect) {
    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_EQ(effect->numPrograms, 4);
    EXPECT_EQ(effect->numParams, 4);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    // replacing | double replacing | program chunks | mono; no editor attached
    EXPECT_EQ(effect->flags, 0x1038);
    EXPECT_EQ(effect->initialDelay, 0);
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_EQ(effect->object, fx);
    EXPECT_EQ(effect->user, nullptr);
    EXPECT_EQ(effect->uniqueID, 0x54657374);
    EXPECT_EQ(effect->version, 10203);
    EXPECT_NE(effect->process, nullptr);
    EXPECT_NE(effect->processReplacing, nullptr);
    EXPECT_NE(effect->processDoubleReplacing, nullptr);
    EXPECT_NE(effect->process, effect->processReplacing);
    EXPECT_EQ(fx->BlockFrames(), 1024);
    for (char byte : effect->future) EXPECT_EQ(byte, 0);

    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    EXPECT_EQ(Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
    ASSERT_TRUE(in && out);
    EXPECT_EQ(in->type, kSpeakerArrStereo);
    EXPECT_EQ(in->numChannels, 2);
    EXPECT_EQ(out->type, kSpeakerArrStereo);
}

TEST(AdapterLayout, ChannelStringsDecideMonoFlagAndArrangements) {
    FakeHost host;
    struct Case {
        const char* io;
        int inputs;
        bool mono;
        VstInt32 arrangement;
    } cases[] = {{"2-2", 2, false, kSpeakerArrStereo},
                 {"1-1", 1, true, kSpeakerArrMono},
                 {"4-4", 4, false, kSpeakerArrUserDefined},
                 {"0-2", 0, false, kSpeakerArrEmpty}};
    for (const Case& c : cases) {
        auto* fx = new TestEffect(&FakeHost::Callback, c.io);
        AEffect* e = fx->Effect();
        EXPECT_EQ(e->numInputs, c.inputs) << c.io;
        EXPECT_EQ((e->flags & effFlagsCanMono) != 0, c.mono) << c.io;
        VstSpeakerArrangement* in = nullptr;
        VstSpeakerArrangement* out = nullptr;
        e->dispatcher(e, effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out, 0);
        EXPECT_EQ(in->type, c.arrangement) << c.io;
        e->dispatcher(e, effClose, 0, 0, nullptr, 0);
    }
}

TEST(AdapterLayout, NoPresetsStillReportsOneProgramThroughTheModuleEntry) {
    FakeHost host;
    auto* fx = new TestEffect(&FakeHost::Callback, "1-1 2-2", 0);
    EXPECT_EQ(fx->Effect()->numPrograms, 0);  // the entry point raises it, see module tests
    fx->EnsureDefaultPreset();
    EXPECT_EQ(fx->PresetCount(), 1);
    fx->Effect()->dispatcher(fx->Effect(), effClose, 0, 0, nullptr, 0);
}

struct FakeEditor : IEditorLink {
    int width = 520, height = 335;
    int opened = 0, closed = 0;
    void* window = reinterpret_cast<void*>(0x1234);
    void PushParamToControls(int, double, bool) override {}
    void CreateCanvas() override {}
    void SetGestureTimeout(int) override {}
    void CancelGestureTimeout() override {}
    int Width() const override { return width; }
    int Height() const override { return height; }
    int FrameRate() const override { return 24; }
    int idled = 0;
    CoreLock* coreLock = nullptr;
    bool lockFreeInOpen = false, lockFreeInClose = false, lockFreeInIdle = false;
    // Whether another thread could take the core lock right now.
    bool CoreLockFree() const {
        return std::async(std::launch::async,
                          [this] {
                              if (coreLock == nullptr) return true;
                              if (!coreLock->TryLock()) return false;
                              coreLock->Unlock();
                              return true;
                          })
            .get();
    }
    void* OpenInParent(void*) override {
        lockFreeInOpen = CoreLockFree();
        return ++opened, window;
    }
    void CloseNative() override {
        lockFreeInClose = CoreLockFree();
        ++closed;
        if (onClose) onClose();
    }
    std::function<void()> onClose;
    void Idle() override {
        lockFreeInIdle = CoreLockFree();
        ++idled;
    }
    intptr_t HandleCursorWheel(float) override { return 7; }
};

TEST_F(AdapterTest, AttachedEditorSetsFlagAndRectangle) {
    ERect* rect = nullptr;
    EXPECT_EQ(Dispatch(effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(1)), 0);

    auto* editor = new FakeEditor();  // owned by the instance from here on
    fx->AttachEditor(editor);
    EXPECT_EQ(effect->flags, 0x1039);
    ASSERT_EQ(Dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 335);
    EXPECT_EQ(rect->right, 520);

    editor->width = 600;
    fx->EditorSizeChanged();
    EXPECT_EQ(rect->right, 600);

    EXPECT_EQ(Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(1)), 1);
    EXPECT_EQ(Dispatch(effEditClose), 1);
    EXPECT_EQ(editor->opened, 1);
    EXPECT_EQ(editor->closed, 1);
    EXPECT_EQ(Dispatch(effEditIdle), 0);
    EXPECT_EQ(editor->idled, 1);
    // The wheel extension reaches the editor only with the right magic value.
    EXPECT_EQ(Dispatch(effVendorSpecific, 0x73744341, 0x57686565, nullptr, 1.0f), 7);
    EXPECT_EQ(Dispatch(effVendorSpecific, 0x73744341, 0, nullptr, 1.0f), 0);
}

// An editor window that works on a thread of its own takes its lock before the core
// lock, so the host's window calls must reach it without the core lock held.
TEST_F(AdapterTest, EditorWindowCallsRunOutsideTheCoreLock) {
    auto* editor = new FakeEditor();
    editor->coreLock = &fx->Lock();
    fx->AttachEditor(editor);
    Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(1));
    Dispatch(effEditIdle);
    Dispatch(effEditClose);
    EXPECT_TRUE(editor->lockFreeInOpen);
    EXPECT_TRUE(editor->lockFreeInIdle);
    EXPECT_TRUE(editor->lockFreeInClose);
}

TEST_F(AdapterTest, ClosingTheInstanceClosesAnEditorLeftOpen) {
    auto* editor = new FakeEditor();
    fx->AttachEditor(editor);
    Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(1));
    bool closedBeforeDeletion = false;
    editor->onClose = [&] { closedBeforeDeletion = true; };
    Dispatch(effClose);
    effect = nullptr;
    EXPECT_TRUE(closedBeforeDeletion);
}

TEST_F(AdapterTest, LatencyReachesTheRecord) {
    fx->SetLatencyFrames(64);
    EXPECT_EQ(effect->initialDelay, 64);
    EXPECT_EQ(fx->Latency(), 64);
}

TEST_F(AdapterTest, HostSideOperationsCallTheHost) {
    fx->HostBeginEdit(2);
    fx->HostAutomate(2, 0.25);
    fx->HostEndEdit(2);
    fx->HostDisplayChanged();
    ASSERT_EQ(host.calls.size(), 4u);
    EXPECT_EQ(host.calls[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(host.calls[0].index, 2);
    EXPECT_EQ(host.calls[1].opcode, audioMasterAutomate);
    EXPECT_EQ(host.calls[1].opt, 0.25f);
    EXPECT_EQ(host.calls[2].opcode, audioMasterEndEdit);
    EXPECT_EQ(host.calls[3].opcode, audioMasterUpdateDisplay);

    EXPECT_EQ(fx->HostSamplePosition(), 1234);
    EXPECT_EQ(fx->HostTempo(), 120.0);
    EXPECT_EQ(fx->SamplesPerBeat(), 22050.0);
    int num = -1, den = -1;
    fx->HostTimeSignature(num, den);
    EXPECT_EQ(num, 3);
    EXPECT_EQ(den, 4);
    EXPECT_EQ(host.calls.back().value, kVstTimeSigValid);

    // A host without tempo (or no time info at all): tempo 0, and no samples per beat.
    host.time.flags = kVstTimeSigValid;
    EXPECT_EQ(fx->HostTempo(), 0.0);
    EXPECT_EQ(fx->SamplesPerBeat(), 0.0);
    host.time.samplePos = 1e12;
    EXPECT_EQ(fx->HostSamplePosition(), 2147483647);
    host.giveTime = false;
    EXPECT_EQ(fx->HostSamplePosition(), 0);
    fx->HostTimeSignature(num, den);
    EXPECT_EQ(num, 0);
    EXPECT_EQ(den, 0);
}

TEST_F(AdapterTest, MidiAndSysExOutReachTheHostAsOneEvent) {
    MidiMessage msg;
    msg.offset = 17;
    msg.status = 0x90;
    msg.data1 = 60;
    msg.data2 = 100;
    EXPECT_TRUE(fx->SendMidiOut(msg));
    ASSERT_EQ(host.midiOut.size(), 1u);
    const VstMidiEvent& event = host.midiOut[0];
    EXPECT_EQ(event.type, kVstMidiType);
    EXPECT_EQ(event.byteSize, 32);
    EXPECT_EQ(event.deltaFrames, 17);
    EXPECT_EQ(static_cast<uint8_t>(event.midiData[0]), 0x90);
    EXPECT_EQ(event.midiData[1], 60);
    EXPECT_EQ(event.midiData[3], 0);

    const uint8_t dump[] = {0xF0, 1, 2, 0xF7};
    SysExMessage sysex;
    sysex.offset = 3;
    sysex.size = 4;
    sysex.bytes = dump;
    host.processEventsAnswer = 0;  // a host that refuses: failure reported
    EXPECT_FALSE(fx->SendSysExOut(sysex));
    ASSERT_EQ(host.sysexOut.size(), 1u);
    EXPECT_EQ(host.sysexOut[0].byteSize, 48);
    EXPECT_EQ(host.sysexOut[0].dumpBytes, 4);
}

}  // namespace
}  // namespace tav
