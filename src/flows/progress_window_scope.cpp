#include "flows/progress_window_scope.h"

#include "state/library_state.h"
#include "ui/progress_window.h"

namespace llmbridge {

ProgressWindowScope::ProgressWindowScope(const Text& show) {
  if (!TextsEqual(show, u"true")) return;
  // The state keeps what was made; nothing in the library reads it again.
  ProgressWindowHandles made;
  try {
    made = OpenProgressWindow(0, 0, 220, 40);
  } catch (...) {
    CloseAllWindows();  // no destructor runs for a scope that was never made
    throw;
  }
  LibraryState& state = GetLibraryState();
  state.ProgressWindow = made.window;
  state.ProgressFirstLabel = made.first_label;
  state.ProgressSecondLabel = made.second_label;
}

ProgressWindowScope::~ProgressWindowScope() { CloseAllWindows(); }

}  // namespace llmbridge
