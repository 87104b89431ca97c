#include "clap/gui.h"

#include <cstring>

#include "clap/clap_plugin.h"
#include "core/editor_link.h"

namespace tav::clap {
namespace {

// The instance when it has an editor to show.
ClapPlugin* WithEditor(const clap_plugin* plugin) {
    ClapPlugin* self = ClapPlugin::From(plugin);
    return self != nullptr && self->Ready() && self->Effect().Editor() != nullptr ? self : nullptr;
}

ClapPlugin* Created(const clap_plugin* plugin) {
    ClapPlugin* self = WithEditor(plugin);
    return self != nullptr && self->Gui().created ? self : nullptr;
}

bool ApiSupported(const clap_plugin* plugin, const char* api, bool floating) {
    return WithEditor(plugin) != nullptr && api != nullptr && !floating &&
           std::strcmp(api, PlatformGuiApi()) == 0;
}

bool PreferredApi(const clap_plugin* plugin, const char** api, bool* floating) {
    if (WithEditor(plugin) == nullptr || api == nullptr || floating == nullptr) return false;
    *api = PlatformGuiApi();
    *floating = false;
    return true;
}

bool Create(const clap_plugin* plugin, const char* api, bool floating) {
    ClapPlugin* self = WithEditor(plugin);
    if (self == nullptr || !ApiSupported(plugin, api, floating) || self->Gui().created)
        return false;
    self->Gui() = GuiState{};
    self->Gui().created = true;
    return true;
}

void Destroy(const clap_plugin* plugin) {
    if (ClapPlugin* self = Created(plugin)) DestroyGui(*self);
}

// The host's scale, rounded to the nearest face the editor has.
bool SetScale(const clap_plugin* plugin, double scale) {
    ClapPlugin* self = Created(plugin);
    const int percent = NearestEditorScale(scale);
    return self != nullptr && percent != 0 && ApplyEditorScale(*self, percent);
}

bool Size(const clap_plugin* plugin, uint32_t* width, uint32_t* height) {
    ClapPlugin* self = Created(plugin);
    if (self == nullptr || width == nullptr || height == nullptr) return false;
    IEditorLink* editor = self->Effect().Editor();
    editor->SettleScale();
    *width = static_cast<uint32_t>(editor->Width());
    *height = static_cast<uint32_t>(editor->Height());
    return true;
}

bool CanResize(const clap_plugin*) {
    return false;
}

bool ResizeHints(const clap_plugin* plugin, clap_gui_resize_hints* hints) {
    if (Created(plugin) == nullptr || hints == nullptr) return false;
    *hints = clap_gui_resize_hints{false, false, true, 0, 0};
    return true;
}

// The nearest usable size is the one size there is.
bool AdjustSize(const clap_plugin* plugin, uint32_t* width, uint32_t* height) {
    return Size(plugin, width, height);
}

bool SetSize(const clap_plugin* plugin, uint32_t width, uint32_t height) {
    uint32_t w = 0, h = 0;
    return Size(plugin, &w, &h) && width == w && height == h;
}

bool SetParent(const clap_plugin* plugin, const clap_window* window) {
    ClapPlugin* self = Created(plugin);
    if (self == nullptr || window == nullptr || window->api == nullptr ||
        std::strcmp(window->api, PlatformGuiApi()) != 0 || window->ptr == nullptr ||
        self->Gui().open) {
        return false;
    }
    self->Effect().Editor()->SettleScale();
    if (!OpenPlatformWindow(*self, *window)) return false;
    self->Gui().open = true;
    CoreLockGuard guard(&self->Effect().Lock());
    self->Effect().EditorOpened();
    return true;
}

bool SetTransient(const clap_plugin*, const clap_window*) {
    return false;  // embedded only
}

void SuggestTitle(const clap_plugin*, const char*) {}

// The child window shows with its parent; nothing to do beyond saying so.
bool ShowOrHide(const clap_plugin* plugin) {
    return Created(plugin) != nullptr;
}

void OnTimer(const clap_plugin* plugin, clap_id id) {
    ClapPlugin* self = Created(plugin);
    if (self != nullptr && self->Gui().open && id == self->Gui().timerId)
        self->Effect().Editor()->Idle();
}

void OnFd(const clap_plugin* plugin, int fd, uint32_t) {
    ClapPlugin* self = Created(plugin);
    if (self != nullptr && self->Gui().open && fd == self->Gui().fd)
        self->Effect().Editor()->Idle();
}

}  // namespace

bool ApplyEditorScale(ClapPlugin& plugin, int percent) {
    IEditorLink* editor = plugin.Ready() ? plugin.Effect().Editor() : nullptr;
    if (editor == nullptr) return false;
    if (plugin.Gui().open && percent != editor->ScalePercent()) {
        const clap_host* host = plugin.Host();
        const auto* gui =
            host->get_extension != nullptr
                ? static_cast<const clap_host_gui*>(host->get_extension(host, CLAP_EXT_GUI))
                : nullptr;
        if (gui == nullptr || gui->request_resize == nullptr ||
            !gui->request_resize(host, static_cast<uint32_t>(editor->WidthAt(percent)),
                                 static_cast<uint32_t>(editor->HeightAt(percent)))) {
            return false;
        }
    }
    editor->SetScalePercent(percent);
    return editor->ScalePercent() == percent;
}

void DestroyGui(ClapPlugin& plugin) {
    GuiState& gui = plugin.Gui();
    if (gui.open) {
        {
            CoreLockGuard guard(&plugin.Effect().Lock());
            plugin.Effect().EditorClosed();
        }
        ClosePlatformWindow(plugin);
    }
    gui = GuiState{};
}

const clap_plugin_gui kGuiExtension = {ApiSupported, PreferredApi, Create,    Destroy,
                                       SetScale,     Size,         CanResize, ResizeHints,
                                       AdjustSize,   SetSize,      SetParent, SetTransient,
                                       SuggestTitle, ShowOrHide,   ShowOrHide};
const clap_plugin_timer_support kTimerExtension = {OnTimer};
const clap_plugin_posix_fd_support kPosixFdExtension = {OnFd};

}  // namespace tav::clap
