#include "ui/window_layer.h"

#include "ui/open_window_list.h"
#include "ui/progress_window.h"
#include "ui/window_platform.h"

namespace llmbridge {

void CloseAllWindows() {
  while (!OpenWindows().empty()) {
    const OpenWindow newest = OpenWindows().back();
    platform::DestroyTopLevelWindow(newest);
    // A window the platform would not destroy (one of another thread, say) still leaves the
    // list, so that this loop ends.
    LeaveOpenWindowList(newest.number);
  }
}

void ShutdownWindowLayer() {
  CloseAllWindows();
  platform::ReleaseWindowDefaults();
}

}  // namespace llmbridge
