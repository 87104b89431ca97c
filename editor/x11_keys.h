#pragma once

#include <X11/X.h>

#include "editor/drawn_entry_box.h"

namespace tav {

// The editor key code of a key symbol (space, arrows, digits, letters), or -1 for
// keys the editor does not pass on (function keys, the number pad, ...).
int EditorKeyForKeysym(KeySym keysym);

// The entry box's meaning of a key symbol that is not plain text; false otherwise.
bool EntryKeyForKeysym(KeySym keysym, EntryKey* out);

}  // namespace tav
