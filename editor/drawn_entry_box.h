#pragma once

#include <string>
#include <vector>

#include "editor/editor_types.h"
#include "editor/entry_state.h"
#include "raster/memory_bitmap.h"
#include "raster/pixel_rect.h"

namespace tav {

class RasterFont;

// Keys an entry box understands, already translated from the window system's.
enum class EntryKey { Enter, Escape, BackSpace, Delete, Left, Right, Home, End, Up, Down, Text };

// An entry box the editor draws itself, for window systems without native ones: a
// one-line edit field or an opened list of choices. It keeps the text, caret and
// choice, answers keys and clicks with the entry state they ask for, and paints
// itself into a bitmap of its own size.
class DrawnEntryBox {
  public:
    enum class Kind { Closed, Edit, List };
    static constexpr size_t kMaxText = 999;

    // The box in editor coordinates; align 0 left, 1 centre, 2 right.
    void OpenEdit(const PixelRect& rect, const std::string& text, int align, bool password,
                  bool readOnly);
    // selected: the row shown as chosen, -1 for none.
    void OpenList(const PixelRect& rect, const std::vector<std::string>& items, int selected,
                  int rowHeight);
    void Close();

    Kind BoxKind() const { return kind_; }
    bool IsOpen() const { return kind_ != Kind::Closed; }
    const PixelRect& Rect() const { return rect_; }

    // text is the typed character(s) for EntryKey::Text. Returns EntryCommit,
    // EntryCancel, EntryEditing (the box changed or took the key) or EntryIdle.
    EntryState Key(EntryKey key, const char* text = nullptr);
    // A left press at editor coordinates inside the box: places the caret, or
    // chooses a row (which commits).
    EntryState Click(int x, int y, RasterFont* font);
    // Wheel notches over a list longer than its box scroll it (positive: upwards).
    void Scroll(int notches);

    // The text to apply: the edit text, or the chosen row's label.
    std::string Text() const;
    // False for a list where nothing is chosen.
    bool HasChoice() const { return kind_ != Kind::List || chosen_ >= 0; }
    int Chosen() const { return chosen_; }
    int FirstRow() const { return firstRow_; }
    int VisibleRows() const;
    int Caret() const { return caret_; }
    bool AllSelected() const { return selectAll_ && !text_.empty(); }

    // Paints the box into out (resized to the box); font none draws no text.
    void Render(MemoryBitmap& out, RasterFont* font) const;

  private:
    std::string Shown() const;
    int TextWidth(RasterFont* font, const std::string& text, int count) const;
    int TextOrigin(RasterFont* font) const;
    void DeleteSelection();
    void ShowChosen();

    Kind kind_ = Kind::Closed;
    PixelRect rect_;
    std::string text_;
    std::vector<std::string> items_;
    int caret_ = 0;
    bool selectAll_ = false;
    int align_ = 1;
    bool password_ = false;
    bool readOnly_ = false;
    int chosen_ = -1;
    int firstRow_ = 0;  // the list row at the top of the box
    int rowHeight_ = 16;
    mutable MemoryBitmap scratch_{1, 1, 1};  // measuring needs a bitmap to measure for
};

}  // namespace tav
