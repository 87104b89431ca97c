// The host side of the UI's own effect core: it never processes audio, and all
// it tells the host goes out through ports (plain values, gestures as ui:touch),
// so that hosts running the UI in another process see the same.
#pragma once

#include <bitset>
#include <cstdint>

#include "core/transport_core.h"

namespace tav::lv2 {

class Lv2UiCore : public TransportCore {
  public:
    // What the UI instance does with the core's notices; the host's calls.
    class Sink {
      public:
        virtual void WritePort(uint32_t port, float value) = 0;
        virtual void TouchPort(uint32_t port, bool grabbed) = 0;
        // Asks the host to resize for the scale; whether the face took it.
        virtual bool RequestScale(int percent) = 0;

      protected:
        ~Sink() = default;
    };

    static constexpr int kMaxParams = 13;

    explicit Lv2UiCore(const EffectIdentity& identity) : TransportCore(identity) {}

    void HostBeginEdit(int index) override;
    void HostAutomate(int index, double unit) override;
    void HostEndEdit(int index) override;
    void HostDisplayChanged() override {}
    void HostSettingEdited(int setting, double value) override;
    bool ChangeEditorScale(int percent) override;

    void SetSink(Sink* sink) { sink_ = sink; }
    // Ends every gesture the host still holds open (the UI is going away).
    void ReleaseTouches();

  private:
    Sink* sink_ = nullptr;
    std::bitset<kMaxParams> touched_;  // gestures the host was told of, not yet ended
};

}  // namespace tav::lv2
