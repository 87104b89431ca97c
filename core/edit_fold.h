// Editor gestures waiting for a host that does not take them for a long time:
// each parameter's edits fold into what the host must still learn of it, in the
// order it must learn it: the end of a gesture it saw begin, the last value, a
// gesture still running. Values fold, never a begin or an end, so the gestures the
// host sees stay balanced; at most three edits remain per parameter.
#pragma once

#include <algorithm>

namespace tav {

enum class EditStep { Begin, Value, End };

// Folds edits[0, count) in place through scratch (room for count edits); returns
// the new count. StepOf(edit) tells an edit's step, IdOf(edit) its parameter,
// ValueOf(edit) its value, and Make(step, id, value) makes one.
template <class Edit, class StepOf, class IdOf, class ValueOf, class Make>
int FoldEdits(Edit* edits, int count, Edit* scratch, StepOf stepOf, IdOf idOf, ValueOf valueOf,
              Make make) {
    int folded = 0;
    for (int i = 0; i < count; ++i) {
        const auto id = idOf(edits[i]);
        bool seen = false;
        for (int k = 0; k < i && !seen; ++k) seen = idOf(edits[k]) == id;
        if (seen) continue;
        bool endsEarlier = false;  // a gesture that began before these edits
        bool began = false;
        bool open = false;  // a gesture these edits leave running
        bool hasValue = false;
        double last = 0.0;
        for (int k = i; k < count; ++k) {
            if (idOf(edits[k]) != id) continue;
            switch (stepOf(edits[k])) {
                case EditStep::Value:
                    hasValue = true;
                    last = valueOf(edits[k]);
                    break;
                case EditStep::Begin:
                    began = open = true;
                    break;
                case EditStep::End:
                    if (open) {
                        open = false;
                    } else {
                        endsEarlier = true;
                    }
                    break;
            }
        }
        const auto put = [&](EditStep step, double value) {
            scratch[folded++] = make(step, id, value);
        };
        if (began && !endsEarlier) put(EditStep::Begin, 0.0);
        if (hasValue) put(EditStep::Value, last);
        if (endsEarlier || (began && !open)) put(EditStep::End, 0.0);
        if (endsEarlier && open) put(EditStep::Begin, 0.0);
    }
    std::copy(scratch, scratch + folded, edits);
    return folded;
}

}  // namespace tav
