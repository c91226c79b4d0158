// Shows the progress window the way a request does, for a screenshot:
//   notice_demo <ready-file> <seconds>
// The ready file is created once the window is up; the window closes after the given time.
#include <cstdio>
#include <cstdlib>

#include "host_wait.h"
#include "runtime/library_lifecycle.h"
#include "ui/progress_window.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: notice_demo <ready-file> <seconds>\n");
    return 2;
  }
  llmbridge::StartLibrary();
  llmbridge::OpenProgressWindow(0, 0, 220, 40);
  // The library never paints on its own; a host that services its windows shows the labels.
  ServiceHostWindows(0.5);
  if (std::FILE* ready = std::fopen(argv[1], "w")) std::fclose(ready);
  ServiceHostWindows(std::atof(argv[2]));
  llmbridge::CloseAllWindows();
  llmbridge::StopLibrary();
  return 0;
}
