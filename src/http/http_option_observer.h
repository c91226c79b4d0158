// A seam for tests: reports every libcurl option a transfer sets, in order, so a test can check
// that exactly the intended options are set. Nothing is reported while no observer is installed.
#pragma once

#include <functional>

namespace llmbridge {

struct HttpOptionSet {
  int option;           // the CURLoption number
  long number;          // the value of a number option, else 0
  const void* pointer;  // the value of a data option (null for callbacks and numbers)
};

using HttpOptionObserver = std::function<void(const HttpOptionSet&)>;

// Installs `observer` for later transfers; an empty function removes it.
void SetHttpOptionObserver(HttpOptionObserver observer);

}  // namespace llmbridge
