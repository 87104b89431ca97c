#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/edit_sink.h"
#include "core/transport_core.h"
#include "editor/click_tracker.h"
#include "effect/phaser_effect.h"
#include "wam/web_face_edits.h"
#include "wam/web_face_surface.h"

namespace tav {

// Pointer buttons and keys held, as the page reports them.
inline constexpr int32_t FaceModShift = 1;
inline constexpr int32_t FaceModControl = 2;
inline constexpr int32_t FaceModAlt = 4;
inline constexpr int32_t FaceButtonLeft = 0;
inline constexpr int32_t FaceButtonRight = 2;

// The face in a page: a phaser instance of its own with an editor, fed the host's
// values (as a CLAP plug-in keeps its face), its edits queued for the page and its
// canvas copied out as RGBA bytes.
class WebFace final : public EditSink {
  public:
    // None when the scale is not 100, 150 or 200 or the face cannot be built.
    static std::unique_ptr<WebFace> Create(int scalePercent);
    ~WebFace();

    // A value from the host, by its id and plain; false for an unknown id or a
    // value that is not a number (or, for the program, not one of them).
    bool SetHostValue(uint32_t id, double plain);

    // A second left press soon after the first, near it, is a double-click (as the
    // Linux window tells them); timeMs is the page's clock.
    void PointerDown(int x, int y, int button, int mods, uint32_t timeMs);
    void PointerMove(int x, int y, int mods);
    void PointerUp(int x, int y, int button, int mods);
    void Wheel(int x, int y, int notches, int mods);
    void DoubleClick(int x, int y, int mods);

    // One frame: paints what changed and copies it out; the area copied, empty when
    // nothing changed.
    PixelRect Frame();
    // Whether the face still counts frames down (a wheel gesture that will end).
    bool Busy() const;
    int Width() const { return surface_->Width(); }
    int Height() const { return surface_->Height(); }
    int ScalePercent() const { return surface_->ScalePercent(); }
    int FrameRate() const { return surface_->FrameRate(); }
    const uint8_t* Rgba() const { return rgba_.data(); }
    FaceEditQueue& Edits() { return edits_; }
    int RefusedEdits() const { return refused_; }

    // The value box a right click on a control asks for: where it goes in device
    // pixels (empty while none is open), the value it starts with, and the user's
    // answer, applied at the next frame.
    PixelRect EntryBox() const;
    std::string EntryText() const;
    void CommitEntry(const char* text);
    void CancelEntry();
    // The address a click asked to open (the product's page), once; empty for none.
    std::string TakePageToOpen() { return surface_->TakePageToOpen(); }

    // The menu's rows in device pixels, for the page (and its tests) to find them:
    // a scale's row, or an option of a choice (0 Sweep Sync, 1 Glide).
    bool MenuOpen() const { return surface_->ScaleMenuOpen(); }
    PixelRect ScaleRow(int index) const;
    PixelRect ChoiceRow(int choice, int option) const;

    // EditSink: what the face's own instance hands the host.
    void BeginEdit(int param) override;
    void PerformEdit(int param, double unit) override;
    void EndEdit(int param) override;
    void SettingEdited(int setting, double value) override;
    bool ChangeEditorScale(int percent) override;

  private:
    using Effect = PhaserEffect<TransportCore>;
    WebFace() = default;
    static EditorSurface* MakeSurface(IEffectCore& core);
    void Queue(int32_t kind, uint32_t id, double plain);
    // Copies area of the canvas to the RGBA bytes (made whole again at a new size).
    PixelRect CopyOut(PixelRect area);

    std::unique_ptr<Effect> effect_;
    WebFaceSurface* surface_ = nullptr;  // owned by the effect
    std::vector<uint8_t> rgba_;
    FaceEditQueue edits_;
    int refused_ = 0;
    ClickTracker clicks_;
    bool captured_ = false;
    bool leftDown_ = false;
    bool rightDown_ = false;
};

}  // namespace tav
