#include "host/editor_window.h"

namespace tav {

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
