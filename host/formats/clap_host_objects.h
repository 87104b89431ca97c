// What a CLAP host hands to a plug-in: the host record with the extensions we
// offer, event lists, and byte streams. For tavhost's CLAP hosting and the tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "clap/clap_abi.h"
#include "clap/clap_abi_controls.h"
#include "clap/clap_abi_gui.h"
#include "clap/clap_abi_presets.h"

namespace tav::claphost {

// Events in arrival order, each copied whole (as many bytes as its size says).
class EventList {
  public:
    EventList();
    void Add(const clap::clap_event_header& event);
    void AddParam(uint32_t time, clap::clap_id id, double value);
    void Clear() { offsets_.clear(), bytes_.clear(); }
    uint32_t Count() const { return static_cast<uint32_t>(offsets_.size()); }
    const clap::clap_event_header* At(uint32_t index) const;
    const clap::clap_input_events* Input() const { return &input_; }
    const clap::clap_output_events* Output() const { return &output_; }

  private:
    std::vector<size_t> offsets_;
    std::vector<uint64_t> bytes_;  // 8-byte aligned storage
    clap::clap_input_events input_;
    clap::clap_output_events output_;
};

// A stream over memory; a limit makes it hand out or take at most that many
// bytes per call, as some hosts do.
class Streams {
  public:
    explicit Streams(std::vector<uint8_t> bytes = {}, uint64_t perCall = 0);
    const clap::clap_istream* In() const { return &in_; }
    const clap::clap_ostream* Out() const { return &out_; }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
    size_t readAt_ = 0;
    uint64_t perCall_;
    clap::clap_istream in_;
    clap::clap_ostream out_;
};

// The host record and what the plug-in asked of it. It lends timers and
// descriptor watching (a run loop, driven by Pump) unless told not to.
class Host {
  public:
    Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    const clap::clap_host* Record() const { return &record_; }

    void LendRunLoop(bool lend) { lendRunLoop_ = lend; }
    bool LendsRunLoop() const { return lendRunLoop_; }
    // The instance the run loop calls back.
    void SetPlugin(const clap::clap_plugin* plugin) { plugin_ = plugin; }
    // Runs the timers that are due and tells of every watched descriptor as
    // readable (the plug-in reads what there is without waiting).
    void Pump();
    int Timers() const { return static_cast<int>(timers_.size()); }
    int Fds() const { return static_cast<int>(fds_.size()); }

    struct Timer {
        clap::clap_id id;
        uint32_t periodMs;
        int64_t dueMs;
    };
    std::vector<Timer> timers_;
    std::vector<int> fds_;
    clap::clap_id nextTimer_ = 1;

    // Answers the editor's resize requests; none refuses them.
    std::function<bool(int width, int height)> onResize;

    // The host's own context-menu entries; the extension is offered only while
    // there are any. The actions the plug-in performed of them, in order.
    struct MenuEntry {
        std::string label;
        clap::clap_id action;
    };
    std::vector<MenuEntry> menuEntries;
    std::vector<clap::clap_id> menuPerformed;

    int rescans = 0;
    int flushRequests = 0;
    int dirtyMarks = 0;
    int presetsLoaded = 0;
    int presetErrors = 0;
    int pageChanges = 0;
    int pageSuggestions = 0;

  private:
    clap::clap_host record_;
    const clap::clap_plugin* plugin_ = nullptr;
    bool lendRunLoop_ = true;
};

}  // namespace tav::claphost
