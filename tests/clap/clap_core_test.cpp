// The editor's gestures waiting for a host that does not flush: however many,
// the host sees every gesture it was told of begin and end, and the last values.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "clap/clap_core.h"
#include "clap/clap_plugin.h"
#include "effect/make_phaser.h"

namespace tav::clap {
namespace {

struct Seen {
    std::map<clap_id, int> open;  // begins minus ends
    std::map<clap_id, double> last;
    bool balanced = true;  // never an end without its begin
};

void Read(const ClapCore& core, Seen& seen) {
    for (int i = 0; i < core.PendingEditCount(); ++i) {
        const PendingEdit& edit = core.PendingEditAt(i);
        if (edit.type == CLAP_EVENT_PARAM_GESTURE_BEGIN) ++seen.open[edit.id];
        if (edit.type == CLAP_EVENT_PARAM_GESTURE_END && --seen.open[edit.id] < 0)
            seen.balanced = false;
        if (edit.type == CLAP_EVENT_PARAM_VALUE) seen.last[edit.id] = edit.unit;
    }
}

// The editor's gestures as they come back from the audio thread.
void Begin(ClapCore& c, clap_id id) {
    c.KeepEdit({CLAP_EVENT_PARAM_GESTURE_BEGIN, id, 0.0});
}
void Value(ClapCore& c, clap_id id, double unit) {
    c.KeepEdit({CLAP_EVENT_PARAM_VALUE, id, unit});
}
void End(ClapCore& c, clap_id id) {
    c.KeepEdit({CLAP_EVENT_PARAM_GESTURE_END, id, 0.0});
}

TEST(ClapEditQueue, AFullQueueKeepsGesturesBalancedAndTheLastValues) {
    const struct {
        const char* what;
        std::function<void(ClapCore&)> edits;
        int openAfter;  // gestures on parameter 4 still running at the end
    } cases[] = {
        {"one long drag",
         [](ClapCore& c) {
             Begin(c, 4);
             for (int i = 0; i <= 600; ++i) Value(c, 4, i / 600.0);
             End(c, 4);
         },
         0},
        {"many clicks on several knobs",
         [](ClapCore& c) {
             for (int i = 0; i <= 402; ++i) {
                 Begin(c, 4 + i % 3);
                 Value(c, 4 + i % 3, i / 402.0);
                 End(c, 4 + i % 3);
             }
         },
         0},
        {"a drag that goes on",
         [](ClapCore& c) {
             Begin(c, 4);
             for (int i = 0; i <= 600; ++i) Value(c, 4, i / 600.0);
         },
         1},
    };
    for (const auto& c : cases) {
        for (const bool flushedBegin : {false, true}) {
            auto effect = MakePhaser<ClapCore>(false);
            ASSERT_TRUE(effect);
            Seen seen;
            if (flushedBegin) {  // the host took a gesture's begin before the burst
                Begin(*effect, 4);
                Read(*effect, seen);
                effect->ClearPendingEdits();
                End(*effect, 4);
            }
            c.edits(*effect);
            Read(*effect, seen);
            EXPECT_TRUE(seen.balanced) << c.what;
            EXPECT_EQ(seen.open[4], c.openAfter) << c.what << (flushedBegin ? ", begin sent" : "");
            for (clap_id id : {5u, 6u}) EXPECT_EQ(seen.open[id], 0) << c.what;
            EXPECT_EQ(seen.last[4], 1.0) << c.what;
        }
    }
}

}  // namespace
}  // namespace tav::clap
