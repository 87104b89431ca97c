// The plug-in's editor as CLAP hosts embed it: the same window the VST 2 and
// VST 3 plug-ins open, fixed in size. The platform files open it; on Linux the
// host's timer and descriptor support drive it when offered.
#pragma once

#include "clap/clap_abi_gui.h"
#include "editor/embedded_editor.h"

namespace tav::clap {

class ClapPlugin;

// The host's timer and descriptor support as the face's loop.
class HostTimerAndFd final : public IHostLoop {
  public:
    bool StartTimer(uint32_t milliseconds) override;
    bool WatchDescriptor(int fd) override;
    void StopAll() override;

    const clap_host* host = nullptr;
    clap_id timerId = CLAP_INVALID_ID;
    int fd = -1;  // registered with the host
};

struct GuiState {
    GuiState() = default;
    // The face points at the loop beside it: a state is never copied.
    GuiState(const GuiState&) = delete;
    GuiState& operator=(const GuiState&) = delete;

    bool created = false;
    EmbeddedEditor face;
    HostTimerAndFd loop;
};

extern const clap_plugin_gui kGuiExtension;
extern const clap_plugin_timer_support kTimerExtension;
extern const clap_plugin_posix_fd_support kPosixFdExtension;

// Closes the window and gives back what the host lent (also when the host
// destroys the instance with its editor still there).
void DestroyGui(ClapPlugin& plugin);

// Takes a scale in percent; an open face changes size only when the host resizes
// its window for it. Whether the face has that scale now.
bool ApplyEditorScale(ClapPlugin& plugin, int percent);

// Platform parts (gui_<platform>.cpp).
const char* PlatformGuiApi();
bool OpenPlatformWindow(ClapPlugin& plugin, const clap_window& window);

}  // namespace tav::clap
