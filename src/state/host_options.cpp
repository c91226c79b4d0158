#include "state/host_options.h"

namespace llmbridge {

std::mutex& HostOptionsLock() {
  static std::mutex lock;
  return lock;
}

HostOptions& StoredHostOptions() {
  static HostOptions options;
  return options;
}

HostOptions SnapshotHostOptions() {
  const std::lock_guard<std::mutex> guard(HostOptionsLock());
  return StoredHostOptions();
}

}  // namespace llmbridge
