#include "host/editor_window.h"

namespace tav {

bool EditorHostWindow::OpenEditor(PluginInstance& plugin, std::string* error) {
    CloseEditor();
    if (!ReadEditorSize(plugin, error)) return false;
    ShowForEditor();
    ListenForResize(plugin);
    if (!plugin.OpenEditorIn(window_, error)) {
        plugin.onEditorResize = nullptr;
        return false;
    }
    if (!HoldsEditor(error)) {
        plugin.onEditorResize = nullptr;
        plugin.CloseEditorWindow();
        return false;
    }
    plugin_ = &plugin;
    ticks_ = 0;
    return true;
}

void EditorHostWindow::CloseEditor() {
    if (plugin_ == nullptr) return;
    plugin_->CloseEditorWindow();
    StopListening();
    plugin_ = nullptr;
    // Deliver what the closing left behind, so the next cycle starts clean.
    PumpUntil([] { return false; }, 0);
}

void EditorHostWindow::Click(int x, int y, MouseKeys keys) {
    MouseDown(x, y, keys);
    MouseUp(x, y, keys);
}

bool EditorHostWindow::ReadEditorSize(PluginInstance& plugin, std::string* error) {
    if (!plugin.EditorSize(&width_, &height_, error)) return false;
    if (width_ <= 0 || height_ <= 0) {
        *error = "the plug-in gave an empty editor size";
        return false;
    }
    return true;
}

void EditorHostWindow::ListenForResize(PluginInstance& plugin) {
    resizeRequests_ = 0;
    plugin.onEditorResize = [this](int width, int height) {
        ++resizeRequests_;
        if (!acceptResize || width <= 0 || height <= 0) return false;
        ResizeTo(width, height);
        return true;
    };
}

void EditorHostWindow::StopListening() {
    if (plugin_ != nullptr) plugin_->onEditorResize = nullptr;
}

bool SaveEditorScreenshot(PluginInstance& plugin, const std::string& pngPath, std::string* error) {
    auto window = EditorHostWindow::Create(error);
    if (!window || !window->OpenEditor(plugin, error)) return false;
    // The first tick paints everything; the second shows the first one has finished.
    if (!window->WaitTicks(2)) {
        *error = "the editor's timer did not run";
        return false;
    }
    RgbImage image;
    const bool ok = window->Capture(&image, error) && WritePngFile(pngPath, image, error);
    window->CloseEditor();
    return ok;
}

}  // namespace tav
