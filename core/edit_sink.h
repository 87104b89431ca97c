// Where the editor's gestures go: each format's adapter turns them into its
// host's terms (VST 3's component handler, CLAP events through the block seam,
// LV2 ports and ui:touch). The core calls it on the editor's thread, under the
// core lock, except ChangeEditorScale.
#pragma once

namespace tav {

class EditSink {
  public:
    // A gesture on one of the effect's parameters, its values as unit positions.
    virtual void BeginEdit(int param) = 0;
    virtual void PerformEdit(int param, double unit) = 0;
    virtual void EndEdit(int param) = 0;
    // A setting the user picked in the editor: a whole edit at once.
    virtual void SettingEdited(int setting, double value) = 0;
    // Every value may have changed (a program); for hosts that re-read them.
    virtual void DisplayChanged() {}
    // The editor's new scale: asks the host for the window's size; whether taken.
    virtual bool ChangeEditorScale(int percent) = 0;

  protected:
    ~EditSink() = default;
};

}  // namespace tav
