// A process-wide object that is never destroyed, for state that threads of the library's own may
// still touch while the process exits. It lives in static storage rather than on the heap, so a
// library loaded and unloaded without ever using it leaves nothing behind.
#pragma once

#include <new>

namespace llmbridge {

template <typename T>
class NeverDestroyed {
 public:
  NeverDestroyed() { new (storage_) T(); }
  NeverDestroyed(const NeverDestroyed&) = delete;
  NeverDestroyed& operator=(const NeverDestroyed&) = delete;

  T& get() { return *std::launder(reinterpret_cast<T*>(storage_)); }

 private:
  alignas(T) unsigned char storage_[sizeof(T)];
};

}  // namespace llmbridge
