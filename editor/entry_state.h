#pragma once

#include <cstdint>

namespace tav {

// The state of an open entry box, acted on at the editor's next tick.
enum EntryState : int32_t {
    EntryIdle = 0,     // nothing pending; the box stays open
    EntryEditing = 1,  // the user is typing
    EntryCancel = 2,   // close without applying
    EntryCommit = 3,   // apply the text, then close
};

}  // namespace tav
