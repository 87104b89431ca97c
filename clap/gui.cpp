#include "clap/gui.h"

#include <cstring>

#include "clap/clap_plugin.h"
#include "core/editor_link.h"

namespace tav::clap {
namespace {

// The instance when it can show an editor; every gui call is the main thread's.
ClapPlugin* WithEditor(const clap_plugin* plugin, const char* entry) {
    ClapPlugin* self = ClapPlugin::From(plugin, entry);
    return self != nullptr && self->Ready() ? self : nullptr;
}

// The instance once its editor and the face behind it are made.
ClapPlugin* Created(const clap_plugin* plugin, const char* entry) {
    ClapPlugin* self = WithEditor(plugin, entry);
    return self != nullptr && self->Gui().created && self->Face() != nullptr ? self : nullptr;
}

bool Supported(const char* api, bool floating) {
    return api != nullptr && !floating && std::strcmp(api, PlatformGuiApi()) == 0;
}

bool ApiSupported(const clap_plugin* plugin, const char* api, bool floating) {
    return WithEditor(plugin, "gui.is_api_supported") != nullptr && Supported(api, floating);
}

bool PreferredApi(const clap_plugin* plugin, const char** api, bool* floating) {
    if (WithEditor(plugin, "gui.get_preferred_api") == nullptr || api == nullptr ||
        floating == nullptr)
        return false;
    *api = PlatformGuiApi();
    *floating = false;
    return true;
}

bool Create(const clap_plugin* plugin, const char* api, bool floating) {
    ClapPlugin* self = WithEditor(plugin, "gui.create");
    if (self == nullptr || !Supported(api, floating) || self->Gui().created) return false;
    if (!self->MakeFace()) return false;
    self->Gui().created = true;
    return true;
}

void Destroy(const clap_plugin* plugin) {
    if (ClapPlugin* self = Created(plugin, "gui.destroy")) DestroyGui(*self);
}

// The host's scale, rounded to the nearest face the editor has.
bool SetScale(const clap_plugin* plugin, double scale) {
    ClapPlugin* self = Created(plugin, "gui.set_scale");
    const int percent = NearestEditorScale(scale);
    return self != nullptr && percent != 0 && ApplyEditorScale(*self, percent);
}

bool SizeOf(ClapPlugin* self, uint32_t* width, uint32_t* height) {
    if (self == nullptr || width == nullptr || height == nullptr) return false;
    IEditorLink* editor = self->Face()->Editor();
    editor->SettleScale();
    *width = static_cast<uint32_t>(editor->Width());
    *height = static_cast<uint32_t>(editor->Height());
    return true;
}

bool Size(const clap_plugin* plugin, uint32_t* width, uint32_t* height) {
    return SizeOf(Created(plugin, "gui.get_size"), width, height);
}

bool CanResize(const clap_plugin* plugin) {
    ClapPlugin::From(plugin, "gui.can_resize");
    return false;
}

bool ResizeHints(const clap_plugin* plugin, clap_gui_resize_hints* hints) {
    if (Created(plugin, "gui.get_resize_hints") == nullptr || hints == nullptr) return false;
    *hints = clap_gui_resize_hints{false, false, true, 0, 0};
    return true;
}

// The nearest usable size is the one size there is.
bool AdjustSize(const clap_plugin* plugin, uint32_t* width, uint32_t* height) {
    return SizeOf(Created(plugin, "gui.adjust_size"), width, height);
}

bool SetSize(const clap_plugin* plugin, uint32_t width, uint32_t height) {
    uint32_t w = 0, h = 0;
    return SizeOf(Created(plugin, "gui.set_size"), &w, &h) && width == w && height == h;
}

bool SetParent(const clap_plugin* plugin, const clap_window* window) {
    ClapPlugin* self = Created(plugin, "gui.set_parent");
    if (self == nullptr || window == nullptr || window->api == nullptr ||
        std::strcmp(window->api, PlatformGuiApi()) != 0 || window->ptr == nullptr ||
        self->Gui().face.IsOpen()) {
        return false;
    }
    return OpenPlatformWindow(*self, *window);
}

bool SetTransient(const clap_plugin* plugin, const clap_window*) {
    ClapPlugin::From(plugin, "gui.set_transient");
    return false;  // embedded only
}

void SuggestTitle(const clap_plugin* plugin, const char*) {
    ClapPlugin::From(plugin, "gui.suggest_title");
}

// The child window shows with its parent; nothing to do beyond saying so.
bool Show(const clap_plugin* plugin) {
    return Created(plugin, "gui.show") != nullptr;
}

bool Hide(const clap_plugin* plugin) {
    return Created(plugin, "gui.hide") != nullptr;
}

void OnTimer(const clap_plugin* plugin, clap_id id) {
    ClapPlugin* self = Created(plugin, "timer_support.on_timer");
    if (self != nullptr && id == self->Gui().loop.timerId) self->Gui().face.HostIdle(*self->Face());
}

void OnFd(const clap_plugin* plugin, int fd, uint32_t) {
    ClapPlugin* self = Created(plugin, "posix_fd_support.on_fd");
    if (self != nullptr && fd == self->Gui().loop.fd) self->Gui().face.HostIdle(*self->Face());
}

template <class T>
const T* HostExtension(const clap_host* host, const char* id) {
    return host != nullptr && host->get_extension != nullptr
               ? static_cast<const T*>(host->get_extension(host, id))
               : nullptr;
}

}  // namespace

bool HostTimerAndFd::StartTimer(uint32_t milliseconds) {
    const auto* timers = HostExtension<clap_host_timer_support>(host, CLAP_EXT_TIMER_SUPPORT);
    clap_id timer = CLAP_INVALID_ID;
    if (timers == nullptr || !timers->register_timer(host, milliseconds, &timer)) return false;
    timerId = timer;
    return timerId != CLAP_INVALID_ID;
}

bool HostTimerAndFd::WatchDescriptor(int descriptor) {
    const auto* fds = HostExtension<clap_host_posix_fd_support>(host, CLAP_EXT_POSIX_FD_SUPPORT);
    if (fds == nullptr || !fds->register_fd(host, descriptor, CLAP_POSIX_FD_READ)) return false;
    fd = descriptor;
    return true;
}

void HostTimerAndFd::StopAll() {
    if (timerId != CLAP_INVALID_ID) {
        if (const auto* timers =
                HostExtension<clap_host_timer_support>(host, CLAP_EXT_TIMER_SUPPORT))
            timers->unregister_timer(host, timerId);
    }
    if (fd >= 0) {
        if (const auto* fds =
                HostExtension<clap_host_posix_fd_support>(host, CLAP_EXT_POSIX_FD_SUPPORT))
            fds->unregister_fd(host, fd);
    }
    timerId = CLAP_INVALID_ID;
    fd = -1;
}

bool ApplyEditorScale(ClapPlugin& plugin, int percent) {
    if (!plugin.Ready() || plugin.Face() == nullptr) return false;
    const clap_host* host = plugin.Host();
    return plugin.Gui().face.ApplyScale(*plugin.Face(), percent, [host](int width, int height) {
        const auto* gui = HostExtension<clap_host_gui>(host, CLAP_EXT_GUI);
        return gui != nullptr && gui->request_resize != nullptr &&
               gui->request_resize(host, static_cast<uint32_t>(width),
                                   static_cast<uint32_t>(height));
    });
}

void DestroyGui(ClapPlugin& plugin) {
    GuiState& gui = plugin.Gui();
    if (plugin.Face() != nullptr) gui.face.Close(*plugin.Face());
    gui.loop = HostTimerAndFd{};
    gui.created = false;
    plugin.DropFace();
}

const clap_plugin_gui kGuiExtension = {
    ApiSupported, PreferredApi, Create,    Destroy,      SetScale,     Size, CanResize, ResizeHints,
    AdjustSize,   SetSize,      SetParent, SetTransient, SuggestTitle, Show, Hide};
const clap_plugin_timer_support kTimerExtension = {OnTimer};
const clap_plugin_posix_fd_support kPosixFdExtension = {OnFd};

}  // namespace tav::clap
