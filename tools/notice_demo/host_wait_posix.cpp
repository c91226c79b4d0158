#include <chrono>
#include <thread>

#include "host_wait.h"

// The X11 notice is drawn once when it opens; there is nothing to service.
void ServiceHostWindows(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}
