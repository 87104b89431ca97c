// Shared pieces of the editor tests: a recording core with three parameters, a
// headless surface attached to it, a control that logs what reaches it, and a font
// that draws boxes instead of glyphs.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "editor/headless_surface.h"
#include "editor/icontrol.h"
#include "editor/text_controls.h"
#include "raster/raster_font.h"
#include "tests/support/recording_host.h"

namespace tav::test {

enum TestParam { kFreq, kMode, kDepth, kTestParamCount };

inline EffectIdentity EditorTestIdentity() {
    EffectIdentity id;
    id.paramCount = kTestParamCount;
    id.channelIo = "2-2";
    id.presetCount = 1;
    id.effectName = "Editor Test";
    return id;
}

class EditorTestCore : public RecordingHost {
  public:
    EditorTestCore() : RecordingHost(EditorTestIdentity()) {
        Param(kFreq)->DefineContinuous("Freq", 1000.0, 40.0, 20000.0, 1.0, "Hz");
        Param(kMode)->DefineChoice("Mode", 0, 3, "");
        Param(kMode)->AddValueLabel(0, "Slow");
        Param(kMode)->AddValueLabel(1, "Mid");
        Param(kMode)->AddValueLabel(2, "Fast");
        Param(kDepth)->DefineContinuous("Depth", 50.0, 0.0, 100.0, 0.1, "%");
    }
    // A host that sends each edited value straight back, as it stores it: on a grid
    // of echoGrid units (none when 0).
    void HostAutomate(int index, double unit) override {
        RecordingHost::HostAutomate(index, unit);
        if (echoGrid > 0.0) ApplyHostParamChange(index, std::round(unit / echoGrid) * echoGrid);
    }
    double echoGrid = 0.0;
};

// Logs every event and render as "<what> <name> ...".
class ProbeControl : public IControl {
  public:
    ProbeControl(IEffectCore* owner, const PixelRect& rect, int param, std::string name,
                 std::vector<std::string>* log)
        : IControl(owner, rect, param), name(std::move(name)), log(log) {}

    bool Render(EditorSurface*) override {
        log->push_back("render " + name);
        return true;
    }
    void MousePressed(int x, int y, const MouseMods& mods) override {
        log->push_back("press " + name);
        IControl::MousePressed(x, y, mods);
    }
    void MouseReleased(int, int, const MouseMods&) override { log->push_back("release " + name); }
    void MouseDragged(int, int, int dx, int dy, const MouseMods& mods) override {
        log->push_back("drag " + name + " " + std::to_string(dx) + " " + std::to_string(dy));
        drag.Apply(*this, dx, dy, mods);
    }
    void MouseDoubleClicked(int x, int y, const MouseMods& mods) override {
        log->push_back("double " + name);
        IControl::MouseDoubleClicked(x, y, mods);
    }
    void KeyPressed(int, int, int key) override {
        log->push_back("key " + name + " " + std::to_string(key));
    }

    std::string name;
    std::vector<std::string>* log;
    KnobDragRule drag;
};

// Draws each text as a box of 6 x size pixels per character in the foreground
// colour, clipped to the bitmap, and remembers the last call.
class BoxFont : public RasterFont {
  public:
    void AttachFont(NativeFont, uint32_t) override {}
    Pixel SetForeground(Pixel colour) override { return std::exchange(foreground, colour); }
    Pixel SetBackground(Pixel colour) override { return colour; }
    Pixel SetEffectTint(Pixel colour) override { return colour; }
    int SetBackgroundMode(int mode) override { return mode; }
    void SetBlend(CombineMode, float) override {}
    int RenderText(RasterBitmap* bitmap, const char* text, int, PixelRect* rect,
                   uint32_t flags) override {
        lastText = text;
        lastRect = *rect;
        lastFlags = flags;
        lastBitmapWidth = bitmap->Width();
        ++calls;
        const int64_t w = 6 * static_cast<int64_t>(lastText.size());
        int64_t left = rect->left;
        if (flags & TextCenter) left = (int64_t{rect->left} + rect->right - w) / 2;
        if (flags & TextRight) left = rect->right - w;
        for (int64_t y = std::max<int64_t>(rect->top, 0);
             y < std::min<int64_t>(int64_t{rect->top} + size, bitmap->Height()); ++y)
            for (int64_t x = std::max<int64_t>(left, 0);
                 x < std::min<int64_t>(left + w, bitmap->Width()); ++x)
                bitmap->Pixels()[y * bitmap->RowPitch() + x] = foreground;
        return size;
    }
    Pixel Foreground() const override { return foreground; }
    NativeFont FontHandle() const override { return nullptr; }
    int LineHeight() const override { return size; }

    int size = 10;
    Pixel foreground = 0;
    std::string lastText;
    PixelRect lastRect;
    uint32_t lastFlags = 0;
    int32_t lastBitmapWidth = 0;
    int calls = 0;
};

// A rotating knob with its value as text below it, the way the effect's knobs
// draw: Render reads only what CapturePaintState took.
class SpinKnob : public IControl {
  public:
    SpinKnob(IEffectCore* owner, const PixelRect& rect, int param, const BitmapRef& bitmap,
             const TextStyle& style)
        : IControl(owner, rect, param), bitmap(bitmap), style(style) {}

    void CapturePaintState() override {
        IControl::CapturePaintState();
        std::snprintf(paintText, sizeof paintText, "%.0f %%", paintValue * 100.0);
    }
    bool Render(EditorSurface* surface) override {
        const float angle = static_cast<float>((paintValue - 0.5) * 4.71238898);
        const int cx = (rect.left + rect.right) / 2;
        surface->BlitSpun(bitmap, cx, rect.top + bitmap.height / 2, angle, &paintBlend, 0, 0);
        return surface->PaintText(
            style, paintText, {rect.left, rect.bottom - style.size - 2, rect.right, rect.bottom});
    }
    void MouseDragged(int, int, int dx, int dy, const MouseMods& mods) override {
        drag.Apply(*this, dx, dy, mods);
    }

    BitmapRef bitmap;
    TextStyle style;
    KnobDragRule drag;
    char paintText[32] = "";
};

// A core with a headless 520 x 335 surface attached (the core owns it).
class EditorFixture : public ::testing::Test {
  protected:
    EditorFixture() : surface(new HeadlessSurface(&core, 520, 335)) { core.AttachEditor(surface); }
    ~EditorFixture() override { FreeEditorCaches(); }

    ProbeControl* AddProbe(const PixelRect& rect, int param, const std::string& name) {
        auto* control = new ProbeControl(&core, rect, param, name, &log);
        surface->AddControl(control);
        return control;
    }
    // Lets every pending paint happen, then forgets the log.
    void Settle() {
        while (surface->Tick()) {
        }
        log.clear();
    }

    EditorTestCore core;
    HeadlessSurface* surface;
    std::vector<std::string> log;
};

}  // namespace tav::test
