#include "editor/drawn_entry_box.h"

#include <algorithm>

#include "raster/fill_area.h"
#include "raster/raster_font.h"

namespace tav {
namespace {

// The skin's palette: dark panel, light lettering, the blue of the lit buttons.
constexpr Pixel kFace = 0xFF1C2026;
constexpr Pixel kBorder = 0xFF7FA7C9;
constexpr Pixel kText = 0xFFE6EAEE;
constexpr Pixel kSelection = 0xFF3A6C99;
constexpr Pixel kSelectedText = 0xFFFFFFFF;
constexpr int kPad = 2;

constexpr uint32_t kLineFlags = TextNoClip | TextSingleLine | TextNoPrefix;

void Fill(MemoryBitmap& out, int x, int y, int w, int h, Pixel colour) {
    FillArea(&out, x, y, w, h, colour, 1.0f, CombineCopy);
}

void Frame(MemoryBitmap& out, Pixel colour) {
    const int w = out.Width();
    const int h = out.Height();
    Fill(out, 0, 0, w, 1, colour);
    Fill(out, 0, h - 1, w, 1, colour);
    Fill(out, 0, 0, 1, h, colour);
    Fill(out, w - 1, 0, 1, h, colour);
}

void DrawLine(MemoryBitmap& out, RasterFont* font, const std::string& text, int x, int y,
              Pixel colour) {
    if (font == nullptr || text.empty()) return;
    font->SetForeground(colour);
    PixelRect where{x, y, x + 4096, y + out.Height()};
    font->RenderText(&out, text.c_str(), static_cast<int>(text.size()), &where, kLineFlags);
}

}  // namespace

void DrawnEntryBox::OpenEdit(const PixelRect& rect, const std::string& text, int align,
                             bool password, bool readOnly) {
    kind_ = Kind::Edit;
    rect_ = rect;
    text_ = text.substr(0, kMaxText);
    items_.clear();
    caret_ = static_cast<int>(text_.size());
    selectAll_ = true;
    align_ = align;
    password_ = password;
    readOnly_ = readOnly;
    chosen_ = -1;
}

void DrawnEntryBox::OpenList(const PixelRect& rect, const std::vector<std::string>& items,
                             int selected, int rowHeight) {
    kind_ = Kind::List;
    rect_ = rect;
    text_.clear();
    items_ = items;
    chosen_ = selected >= 0 && selected < static_cast<int>(items_.size()) ? selected : -1;
    rowHeight_ = std::max(1, rowHeight);
    caret_ = 0;
    selectAll_ = false;
    // A list taller than the editor scrolls; it opens with its choice in the middle.
    firstRow_ = chosen_ - VisibleRows() / 2;
    ShowChosen();
}

int DrawnEntryBox::VisibleRows() const {
    return std::max(1, (rect_.Height() - 2) / rowHeight_);
}

void DrawnEntryBox::ShowChosen() {
    const int visible = VisibleRows();
    const int count = static_cast<int>(items_.size());
    if (chosen_ >= 0 && chosen_ < firstRow_) firstRow_ = chosen_;
    if (chosen_ >= firstRow_ + visible) firstRow_ = chosen_ - visible + 1;
    firstRow_ = std::clamp(firstRow_, 0, std::max(0, count - visible));
}

void DrawnEntryBox::Scroll(int notches) {
    if (kind_ != Kind::List) return;
    const int count = static_cast<int>(items_.size());
    firstRow_ = std::clamp(firstRow_ - notches, 0, std::max(0, count - VisibleRows()));
}

void DrawnEntryBox::Close() {
    kind_ = Kind::Closed;
    rect_ = {};
    text_.clear();
    items_.clear();
    chosen_ = -1;
}

std::string DrawnEntryBox::Text() const {
    if (kind_ == Kind::List) return chosen_ >= 0 ? items_[static_cast<size_t>(chosen_)] : "";
    return text_;
}

std::string DrawnEntryBox::Shown() const {
    return password_ ? std::string(text_.size(), '*') : text_;
}

void DrawnEntryBox::DeleteSelection() {
    if (!AllSelected()) return;
    text_.clear();
    caret_ = 0;
    selectAll_ = false;
}

EntryState DrawnEntryBox::Key(EntryKey key, const char* text) {
    if (kind_ == Kind::Closed) return EntryIdle;
    if (key == EntryKey::Enter) {
        selectAll_ = false;
        return EntryCommit;
    }
    if (key == EntryKey::Escape) return EntryCancel;
    if (kind_ == Kind::List) {
        const int last = static_cast<int>(items_.size()) - 1;
        if (key == EntryKey::Up) chosen_ = chosen_ < 0 ? last : std::max(0, chosen_ - 1);
        if (key == EntryKey::Down) chosen_ = std::min(last, chosen_ + 1);
        if (key == EntryKey::Home && last >= 0) chosen_ = 0;
        if (key == EntryKey::End) chosen_ = last;
        ShowChosen();
        return EntryEditing;
    }
    const int size = static_cast<int>(text_.size());
    switch (key) {
        case EntryKey::Left:
            caret_ = AllSelected() ? 0 : std::max(0, caret_ - 1);
            selectAll_ = false;
            break;
        case EntryKey::Right:
            caret_ = AllSelected() ? size : std::min(size, caret_ + 1);
            selectAll_ = false;
            break;
        case EntryKey::Home:
        case EntryKey::Up:
            caret_ = 0;
            selectAll_ = false;
            break;
        case EntryKey::End:
        case EntryKey::Down:
            caret_ = size;
            selectAll_ = false;
            break;
        case EntryKey::BackSpace:
        case EntryKey::Delete:
            if (readOnly_) break;
            if (AllSelected()) {
                DeleteSelection();
            } else if (key == EntryKey::BackSpace && caret_ > 0) {
                text_.erase(static_cast<size_t>(--caret_), 1);
            } else if (key == EntryKey::Delete && caret_ < size) {
                text_.erase(static_cast<size_t>(caret_), 1);
            }
            break;
        case EntryKey::Text: {
            if (readOnly_ || text == nullptr) break;
            std::string typed;
            for (const char* c = text; *c != '\0'; ++c) {
                if (*c >= 0x20 && *c < 0x7F) typed += *c;  // the parameters' texts are ASCII
            }
            if (typed.empty()) break;
            DeleteSelection();
            typed = typed.substr(0, kMaxText - std::min(kMaxText, text_.size()));
            text_.insert(static_cast<size_t>(caret_), typed);
            caret_ += static_cast<int>(typed.size());
            break;
        }
        default:
            break;
    }
    return EntryEditing;
}

int DrawnEntryBox::TextWidth(RasterFont* font, const std::string& text, int count) const {
    if (count <= 0) return 0;
    if (font == nullptr) return 7 * count;
    PixelRect measured{0, 0, 4096, 256};
    font->RenderText(&scratch_, text.c_str(), count, &measured, kLineFlags | TextCalcRect);
    return measured.right - measured.left;
}

// Left edge of the text in box coordinates, moved so that the caret stays visible.
int DrawnEntryBox::TextOrigin(RasterFont* font) const {
    const std::string shown = Shown();
    const int w = rect_.Width();
    const int full = TextWidth(font, shown, static_cast<int>(shown.size()));
    int origin = kPad;
    if (align_ == 1) origin = (w - full) / 2;
    if (align_ == 2) origin = w - kPad - full;
    const int caretX = origin + TextWidth(font, shown, caret_);
    if (caretX > w - kPad) origin -= caretX - (w - kPad);
    if (origin + TextWidth(font, shown, caret_) < kPad)
        origin = kPad - TextWidth(font, shown, caret_);
    return origin;
}

EntryState DrawnEntryBox::Click(int x, int y, RasterFont* font) {
    if (kind_ == Kind::Closed || !rect_.Contains(x, y)) return EntryIdle;
    if (kind_ == Kind::List) {
        const int row = firstRow_ + (y - rect_.top - 1) / rowHeight_;
        if (y - rect_.top - 1 < 0 || row >= static_cast<int>(items_.size())) return EntryEditing;
        chosen_ = row;
        return EntryCommit;
    }
    // The caret goes to the character boundary nearest the click.
    const std::string shown = Shown();
    const int origin = TextOrigin(font);
    const int local = x - rect_.left;
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i <= static_cast<int>(shown.size()); ++i) {
        const int distance = std::abs(origin + TextWidth(font, shown, i) - local);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    caret_ = best;
    selectAll_ = false;
    return EntryEditing;
}

void DrawnEntryBox::Render(MemoryBitmap& out, RasterFont* font) const {
    const int w = std::max(1, rect_.Width());
    const int h = std::max(1, rect_.Height());
    out.Resize(w, h);
    if (!out.IsDrawable()) return;
    Fill(out, 0, 0, w, h, kFace);
    if (kind_ == Kind::List) {
        const int last = std::min(static_cast<int>(items_.size()), firstRow_ + VisibleRows());
        for (int i = firstRow_; i < last; ++i) {
            const int y = 1 + (i - firstRow_) * rowHeight_;
            const bool chosen = i == chosen_;
            if (chosen) Fill(out, 1, y, w - 2, rowHeight_, kSelection);
            DrawLine(out, font, items_[static_cast<size_t>(i)], 4, y + 1,
                     chosen ? kSelectedText : kText);
        }
        // Where more rows lie beyond the box, a mark on its right edge says so.
        if (firstRow_ > 0) Fill(out, w - 5, 2, 3, 3, kBorder);
        if (last < static_cast<int>(items_.size())) Fill(out, w - 5, h - 5, 3, 3, kBorder);
    } else if (kind_ == Kind::Edit) {
        const std::string shown = Shown();
        const int origin = TextOrigin(font);
        const int textTop = std::max(0, (h - (font != nullptr ? font->LineHeight() : 14)) / 2);
        if (AllSelected()) {
            Fill(out, std::max(1, origin), 1,
                 TextWidth(font, shown, static_cast<int>(shown.size())), h - 2, kSelection);
        }
        DrawLine(out, font, shown, origin, textTop, AllSelected() ? kSelectedText : kText);
        if (!AllSelected() && !readOnly_) {
            Fill(out, origin + TextWidth(font, shown, caret_), 2, 1, h - 4, kText);
        }
    }
    Frame(out, kBorder);
}

}  // namespace tav
