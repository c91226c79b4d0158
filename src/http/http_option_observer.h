// A seam for tests: reports every libcurl option a transfer sets, in order, so a test can check
// that exactly the intended options are set, and lets the test refuse any of them (or the handle
// itself) as libcurl does when it has no room. Nothing is reported while no observer is installed.
#pragma once

#include <functional>

namespace llmbridge {

// The "option" reported before the transfer asks libcurl for its handle.
constexpr int kHttpHandleCreation = 0;

struct HttpOptionSet {
  int option;           // the CURLoption number, or kHttpHandleCreation
  long number;          // the value of a number option, else 0
  const void* pointer;  // the value of a data option (null for callbacks and numbers)
};

// Returns false to refuse the option (or the handle): the transfer then fails as it does when
// libcurl refuses one.
using HttpOptionObserver = std::function<bool(const HttpOptionSet&)>;

// Installs `observer` for later transfers; an empty function removes it.
void SetHttpOptionObserver(HttpOptionObserver observer);

}  // namespace llmbridge
