// The window-system-neutral rules of the X11 editor: double-click recognition, tick
// pacing and key translation.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "editor/click_tracker.h"
#include "editor/frame_pacer.h"
#include "editor/x11_keys.h"

namespace tav {
namespace {

struct PressCase {
    const char* what;
    int button, x, y;
    uint32_t time;
    bool isDouble;
};

// Each row is a second press after a left press at (10, 10), time 1000.
TEST(ClickTracker, SecondPressIsDoubleOnlyWhenSoonCloseAndSameButton) {
    const PressCase cases[] = {
        {"same place, soon", 1, 10, 10, 1200, true},
        {"at the time limit", 1, 10, 10, 1000 + ClickTracker::kMaxIntervalMs, true},
        {"too late", 1, 10, 10, 1001 + ClickTracker::kMaxIntervalMs, false},
        {"within the distance", 1, 14, 6, 1100, true},
        {"too far", 1, 15, 10, 1100, false},
        {"other button", 3, 10, 10, 1100, false},
    };
    for (const PressCase& c : cases) {
        ClickTracker clicks;
        EXPECT_FALSE(clicks.Press(1, 10, 10, 1000));
        EXPECT_EQ(clicks.Press(c.button, c.x, c.y, c.time), c.isDouble) << c.what;
    }
}

TEST(ClickTracker, ThirdPressStartsAfreshAndTheClockMayWrap) {
    ClickTracker clicks;
    EXPECT_FALSE(clicks.Press(1, 0, 0, 0xFFFFFF00u));
    EXPECT_TRUE(clicks.Press(1, 0, 0, 0x00000010u));  // 272 ms later, across the wrap
    EXPECT_FALSE(clicks.Press(1, 0, 0, 0x00000020u));
    EXPECT_TRUE(clicks.Press(1, 0, 0, 0x00000030u));
    clicks.Reset();
    EXPECT_FALSE(clicks.Press(1, 0, 0, 0x00000040u));
}

TEST(ClickTracker, APressThatBecameADragStartsNoDoubleClick) {
    ClickTracker clicks;
    EXPECT_FALSE(clicks.Press(1, 10, 10, 0));
    clicks.Moved(12, 12);  // a wobble
    EXPECT_TRUE(clicks.Press(1, 10, 10, 100));
    EXPECT_FALSE(clicks.Press(1, 10, 10, 1000));
    clicks.Moved(10, 40);
    EXPECT_FALSE(clicks.Press(1, 10, 10, 1100));
}

TEST(FramePacer, NeverMoreTicksThanTheFrameRateHoweverOftenCalled) {
    FramePacer pacer(24);
    int ticks = 0;
    for (int64_t t = 0; t < 1000000; t += 1000) ticks += pacer.Due(t) ? 1 : 0;  // 1000 calls/s
    EXPECT_EQ(ticks, 24);
    // A caller at 30 per second still gets about 24 ticks, never two in one call.
    FramePacer slower(24);
    ticks = 0;
    for (int64_t t = 0; t < 10000000; t += 33333) ticks += slower.Due(t) ? 1 : 0;
    EXPECT_NEAR(ticks, 240, 2);
}

TEST(FramePacer, AfterAPauseOneTickNotABurst) {
    FramePacer pacer(24);
    EXPECT_TRUE(pacer.Due(0));
    EXPECT_TRUE(pacer.Due(5000000));
    EXPECT_FALSE(pacer.Due(5001000));
    EXPECT_FALSE(pacer.Due(5040000));
    EXPECT_TRUE(pacer.Due(5042000));
}

TEST(X11Keys, EditorKeyCodes) {
    const struct {
        KeySym keysym;
        int key;
    } cases[] = {
        {XK_space, 0}, {XK_Up, 1},  {XK_Down, 2},  {XK_Left, 3},   {XK_Right, 4},
        {XK_0, 5},     {XK_9, 14},  {XK_a, 15},    {XK_A, 15},     {XK_z, 40},
        {XK_Z, 40},    {XK_F1, -1}, {XK_KP_5, -1}, {XK_KP_Up, -1}, {XK_Return, -1},
    };
    for (const auto& c : cases) EXPECT_EQ(EditorKeyForKeysym(c.keysym), c.key) << c.keysym;
}

TEST(X11Keys, EntryKeysIncludeTheNumberPadsEnter) {
    EntryKey key = EntryKey::Text;
    EXPECT_TRUE(EntryKeyForKeysym(XK_KP_Enter, &key));
    EXPECT_EQ(key, EntryKey::Enter);
    EXPECT_TRUE(EntryKeyForKeysym(XK_Escape, &key));
    EXPECT_EQ(key, EntryKey::Escape);
    EXPECT_FALSE(EntryKeyForKeysym(XK_a, &key));
}

}  // namespace
}  // namespace tav
