#include "editor/x11_keys.h"

#include <X11/keysym.h>

#include "editor/editor_types.h"

namespace tav {

int EditorKeyForKeysym(KeySym keysym) {
    switch (keysym) {
        case XK_space:
            return KeySpace;
        case XK_Up:
            return KeyUp;
        case XK_Down:
            return KeyDown;
        case XK_Left:
            return KeyLeft;
        case XK_Right:
            return KeyRight;
        default:
            break;
    }
    if (keysym >= XK_0 && keysym <= XK_9) return KeyDigit0 + static_cast<int>(keysym - XK_0);
    if (keysym >= XK_A && keysym <= XK_Z) return KeyLetterA + static_cast<int>(keysym - XK_A);
    if (keysym >= XK_a && keysym <= XK_z) return KeyLetterA + static_cast<int>(keysym - XK_a);
    return -1;
}

bool EntryKeyForKeysym(KeySym keysym, EntryKey* out) {
    static const struct {
        KeySym keysym;
        EntryKey key;
    } kKeys[] = {
        {XK_Return, EntryKey::Enter},  {XK_KP_Enter, EntryKey::Enter},
        {XK_Escape, EntryKey::Escape}, {XK_BackSpace, EntryKey::BackSpace},
        {XK_Delete, EntryKey::Delete}, {XK_KP_Delete, EntryKey::Delete},
        {XK_Left, EntryKey::Left},     {XK_KP_Left, EntryKey::Left},
        {XK_Right, EntryKey::Right},   {XK_KP_Right, EntryKey::Right},
        {XK_Home, EntryKey::Home},     {XK_KP_Home, EntryKey::Home},
        {XK_End, EntryKey::End},       {XK_KP_End, EntryKey::End},
        {XK_Up, EntryKey::Up},         {XK_KP_Up, EntryKey::Up},
        {XK_Down, EntryKey::Down},     {XK_KP_Down, EntryKey::Down},
    };
    for (const auto& entry : kKeys) {
        if (entry.keysym == keysym) {
            *out = entry.key;
            return true;
        }
    }
    return false;
}

}  // namespace tav
