// Linux: the host's UI thread is reachable only through the run loop a view's
// frame lends; without one the notice thread sends.
#include "vst3/deferred_notice.h"

namespace tav::vst3 {

void DeferredNotice::OpenChannel() {}

void DeferredNotice::CloseChannel() {}

bool DeferredNotice::Signal(bool) {
    return uiLoopLent_;  // the loop's next timer call sends it
}

}  // namespace tav::vst3
