#include "tools/editor_window.h"

namespace tav {

bool EditorHostWindow::ReadEditorSize(HostedPlugin& plugin, std::string* error) {
    if ((plugin.Effect()->flags & effFlagsHasEditor) == 0) {
        *error = "the plug-in has no editor";
        return false;
    }
    ERect* rect = nullptr;
    if (plugin.Dispatch(effEditGetRect, 0, 0, &rect) == 0 || rect == nullptr) {
        *error = "the plug-in gave no editor size";
        return false;
    }
    width_ = rect->right - rect->left;
    height_ = rect->bottom - rect->top;
    if (width_ <= 0 || height_ <= 0) {
        *error = "the plug-in gave an empty editor size";
        return false;
    }
    return true;
}

bool SaveEditorScreenshot(HostedPlugin& plugin, const std::string& pngPath, std::string* error) {
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
