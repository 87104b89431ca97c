// tavrellion_face.wasm's functions for web/plugin/face.js: one face per module
// instance. Every entry refuses calls before tav_face_create or with bad values.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "wam/web_face.h"

#define TAV_FACE_EXPORT(name) extern "C" __attribute__((export_name(#name)))

namespace {

std::unique_ptr<tav::WebFace> gFace;
// An area handed to the page: x, y, width, height.
int32_t gArea[4] = {};
// Text both ways: what the page types, what the face hands it (NUL-terminated).
constexpr int32_t kTextBytes = 256;
char gTextIn[kTextBytes] = {};
char gTextOut[kTextBytes] = {};

const char* PutText(const std::string& text) {
    const size_t n = std::min(text.size(), static_cast<size_t>(kTextBytes - 1));
    std::memcpy(gTextOut, text.data(), n);
    gTextOut[n] = '\0';
    return gTextOut;
}

int32_t* PutArea(const tav::PixelRect& r) {
    gArea[0] = r.left;
    gArea[1] = r.top;
    gArea[2] = r.right > r.left ? r.right - r.left : 0;
    gArea[3] = r.bottom > r.top ? r.bottom - r.top : 0;
    if (gArea[2] == 0 || gArea[3] == 0) gArea[0] = gArea[1] = gArea[2] = gArea[3] = 0;
    return gArea;
}

}  // namespace

// 1 when made (replacing any face before), 0 for a scale other than 100, 150, 200.
TAV_FACE_EXPORT(tav_face_create) int32_t tav_face_create(int32_t scalePercent) {
    gFace.reset();
    gFace = tav::WebFace::Create(scalePercent);
    return gFace ? 1 : 0;
}

TAV_FACE_EXPORT(tav_face_width) int32_t tav_face_width() {
    return gFace ? gFace->Width() : 0;
}

TAV_FACE_EXPORT(tav_face_height) int32_t tav_face_height() {
    return gFace ? gFace->Height() : 0;
}

TAV_FACE_EXPORT(tav_face_scale) int32_t tav_face_scale() {
    return gFace ? gFace->ScalePercent() : 0;
}

// Paints what changed; the area of the RGBA buffer that did (width 0: nothing).
TAV_FACE_EXPORT(tav_face_frame) int32_t* tav_face_frame() {
    return PutArea(gFace ? gFace->Frame() : tav::PixelRect{});
}

// Width x height x 4 bytes, rows top down; valid until the next frame.
TAV_FACE_EXPORT(tav_face_rgba) const uint8_t* tav_face_rgba() {
    return gFace ? gFace->Rgba() : nullptr;
}

// Frames a second the face counts its timeouts in (a wheel gesture's end).
TAV_FACE_EXPORT(tav_face_frame_rate) int32_t tav_face_frame_rate() {
    return gFace ? gFace->FrameRate() : 0;
}

TAV_FACE_EXPORT(tav_face_busy) int32_t tav_face_busy() {
    return gFace && gFace->Busy() ? 1 : 0;
}

TAV_FACE_EXPORT(tav_face_set_value) int32_t tav_face_set_value(uint32_t id, double plain) {
    return gFace && gFace->SetHostValue(id, plain) ? 1 : 0;
}

TAV_FACE_EXPORT(tav_face_pointer_down)
void tav_face_pointer_down(int32_t x, int32_t y, int32_t button, int32_t mods, uint32_t timeMs) {
    if (gFace) gFace->PointerDown(x, y, button, mods, timeMs);
}

TAV_FACE_EXPORT(tav_face_pointer_move)
void tav_face_pointer_move(int32_t x, int32_t y, int32_t mods) {
    if (gFace) gFace->PointerMove(x, y, mods);
}

TAV_FACE_EXPORT(tav_face_pointer_up)
void tav_face_pointer_up(int32_t x, int32_t y, int32_t button, int32_t mods) {
    if (gFace) gFace->PointerUp(x, y, button, mods);
}

TAV_FACE_EXPORT(tav_face_wheel)
void tav_face_wheel(int32_t x, int32_t y, int32_t notches, int32_t mods) {
    if (gFace) gFace->Wheel(x, y, notches, mods);
}

TAV_FACE_EXPORT(tav_face_double_click)
void tav_face_double_click(int32_t x, int32_t y, int32_t mods) {
    if (gFace) gFace->DoubleClick(x, y, mods);
}

// The edits waiting: count, then each as {int32 kind, uint32 id, double plain}
// (16 bytes) from tav_face_edits; tav_face_take_edits(n) drops the first n.
TAV_FACE_EXPORT(tav_face_edit_count) int32_t tav_face_edit_count() {
    return gFace ? gFace->Edits().Count() : 0;
}

TAV_FACE_EXPORT(tav_face_edits) const tav::FaceEdit* tav_face_edits() {
    return gFace ? gFace->Edits().Data() : nullptr;
}

TAV_FACE_EXPORT(tav_face_take_edits) void tav_face_take_edits(int32_t count) {
    if (gFace) gFace->Edits().Drop(count);
}

TAV_FACE_EXPORT(tav_face_menu_open) int32_t tav_face_menu_open() {
    return gFace && gFace->MenuOpen() ? 1 : 0;
}

// A row of the open menu in device pixels (x, y, width, height; all 0 for none):
// choice -1 the scales (option 0..2), 0 Sweep Sync, 1 Glide.
TAV_FACE_EXPORT(tav_face_menu_row) int32_t* tav_face_menu_row(int32_t choice, int32_t option) {
    if (!gFace) return PutArea({});
    return PutArea(choice < 0 ? gFace->ScaleRow(option) : gFace->ChoiceRow(choice, option));
}

// The open value box in device pixels (all 0 for none) and the text it starts with.
TAV_FACE_EXPORT(tav_face_entry_box) int32_t* tav_face_entry_box() {
    return PutArea(gFace ? gFace->EntryBox() : tav::PixelRect{});
}

TAV_FACE_EXPORT(tav_face_entry_text) const char* tav_face_entry_text() {
    return PutText(gFace ? gFace->EntryText() : std::string());
}

// Where the page writes the typed text (UTF-8, at most 255 bytes) before committing.
TAV_FACE_EXPORT(tav_face_text_buffer) char* tav_face_text_buffer() {
    return gTextIn;
}

TAV_FACE_EXPORT(tav_face_entry_commit) void tav_face_entry_commit(int32_t length) {
    if (!gFace) return;
    gTextIn[std::clamp(length, 0, kTextBytes - 1)] = '\0';
    gFace->CommitEntry(gTextIn);
}

TAV_FACE_EXPORT(tav_face_entry_cancel) void tav_face_entry_cancel() {
    if (gFace) gFace->CancelEntry();
}

// The address a click asked to open, once; null for none.
TAV_FACE_EXPORT(tav_face_take_page) const char* tav_face_take_page() {
    if (!gFace) return nullptr;
    const std::string page = gFace->TakePageToOpen();
    return page.empty() ? nullptr : PutText(page);
}
