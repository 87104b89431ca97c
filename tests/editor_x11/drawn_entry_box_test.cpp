// The editor-drawn entry box: what keys and clicks do to its text and choice, and
// which entry state they ask for.
#include <gtest/gtest.h>

#include "editor/drawn_entry_box.h"

namespace tav {
namespace {

const PixelRect kBox{100, 50, 160, 66};

struct KeyStep {
    EntryKey key;
    const char* text;
};

struct EditCase {
    const char* what;
    const char* start;
    std::vector<KeyStep> keys;
    const char* result;
    EntryState lastState;
};

TEST(DrawnEntryBox, EditingKeys) {
    const EditCase cases[] = {
        {"typing replaces the selected text",
         "440 Hz",
         {{EntryKey::Text, "25"}},
         "25",
         EntryEditing},
        {"Enter commits", "12", {{EntryKey::Enter, nullptr}}, "12", EntryCommit},
        {"Escape cancels", "12", {{EntryKey::Escape, nullptr}}, "12", EntryCancel},
        {"End then typing appends",
         "12",
         {{EntryKey::End, nullptr}, {EntryKey::Text, "3"}},
         "123",
         EntryEditing},
        {"BackSpace clears the selection",
         "12",
         {{EntryKey::BackSpace, nullptr}},
         "",
         EntryEditing},
        {"Home, Delete removes the first character",
         "abc",
         {{EntryKey::Home, nullptr}, {EntryKey::Delete, nullptr}},
         "bc",
         EntryEditing},
        {"Left moves before the end",
         "ac",
         {{EntryKey::End, nullptr}, {EntryKey::Left, nullptr}, {EntryKey::Text, "b"}},
         "abc",
         EntryEditing},
        {"control characters are not typed", "", {{EntryKey::Text, "\t\x7f"}}, "", EntryEditing},
        {"BackSpace at the start does nothing",
         "x",
         {{EntryKey::Home, nullptr}, {EntryKey::BackSpace, nullptr}},
         "x",
         EntryEditing},
    };
    for (const EditCase& c : cases) {
        DrawnEntryBox box;
        box.OpenEdit(kBox, c.start, 1, false, false);
        EntryState state = EntryIdle;
        for (const KeyStep& step : c.keys) state = box.Key(step.key, step.text);
        EXPECT_EQ(box.Text(), c.result) << c.what;
        EXPECT_EQ(state, c.lastState) << c.what;
    }
}

TEST(DrawnEntryBox, ReadOnlyBoxKeepsItsTextButStillCommits) {
    DrawnEntryBox box;
    box.OpenEdit(kBox, "fixed", 0, false, true);
    box.Key(EntryKey::Text, "x");
    box.Key(EntryKey::BackSpace);
    EXPECT_EQ(box.Text(), "fixed");
    EXPECT_EQ(box.Key(EntryKey::Enter), EntryCommit);
}

TEST(DrawnEntryBox, TextIsBounded) {
    DrawnEntryBox box;
    box.OpenEdit(kBox, std::string(2000, '7'), 1, false, false);
    EXPECT_EQ(box.Text().size(), DrawnEntryBox::kMaxText);
    box.Key(EntryKey::End);
    box.Key(EntryKey::Text, "8");
    EXPECT_EQ(box.Text().size(), DrawnEntryBox::kMaxText);
}

TEST(DrawnEntryBox, ListChoosesByClickOrKeys) {
    const std::vector<std::string> items{"Off", "Left", "Right"};
    DrawnEntryBox box;
    box.OpenList({10, 10, 70, 10 + 3 * 18 + 2}, items, 1, 18);
    EXPECT_EQ(box.Text(), "Left");
    EXPECT_EQ(box.Click(20, 11 + 2 * 18 + 5, nullptr), EntryCommit);
    EXPECT_EQ(box.Text(), "Right");
    EXPECT_EQ(box.Click(5, 5, nullptr), EntryIdle);  // outside: not the box's

    box.OpenList({10, 10, 70, 66}, items, -1, 18);
    EXPECT_FALSE(box.HasChoice());
    box.Key(EntryKey::Down);
    EXPECT_EQ(box.Text(), "Off");
    box.Key(EntryKey::End);
    box.Key(EntryKey::Down);  // stays on the last row
    EXPECT_EQ(box.Text(), "Right");
    EXPECT_EQ(box.Key(EntryKey::Enter), EntryCommit);
}

TEST(DrawnEntryBox, LongListScrollsToKeepTheChoiceInView) {
    std::vector<std::string> items;
    for (int i = 0; i < 31; ++i) items.push_back("item " + std::to_string(i));
    DrawnEntryBox box;
    box.OpenList({0, 0, 80, 2 + 10 * 20}, items, 25, 20);  // ten rows show
    EXPECT_EQ(box.VisibleRows(), 10);
    EXPECT_EQ(box.FirstRow(), 20);
    EXPECT_EQ(box.Click(5, 1 + 5 * 20 + 3, nullptr), EntryCommit);  // sixth row shown
    EXPECT_EQ(box.Text(), "item 25");
    box.Scroll(100);
    EXPECT_EQ(box.FirstRow(), 0);
    box.Scroll(-100);
    EXPECT_EQ(box.FirstRow(), 21);
    box.Key(EntryKey::Home);
    EXPECT_EQ(box.FirstRow(), 0);
    box.Key(EntryKey::End);
    EXPECT_EQ(box.FirstRow(), 21);
    EXPECT_EQ(box.Text(), "item 30");
}

TEST(DrawnEntryBox, PasswordBoxPaintsWithoutRevealingOrOverrunning) {
    DrawnEntryBox box;
    box.OpenEdit(kBox, "secret", 0, true, false);
    MemoryBitmap image(1, 1, 1);
    box.Render(image, nullptr);
    EXPECT_EQ(image.Width(), kBox.Width());
    EXPECT_EQ(image.Height(), kBox.Height());
    EXPECT_EQ(box.Text(), "secret");  // the text applied is the real one
}

}  // namespace
}  // namespace tav
