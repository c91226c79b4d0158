// The options a host sets with setoption: kept from the call that sets them until they change or
// the library is unloaded, in a store with a lock of its own, so that setting one never waits
// behind a running transfer. Each call works on a copy taken when it starts.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "text/text.h"

namespace llmbridge {

// A member of a host's JSON object: its key with escapes resolved (for comparisons) and the
// member exactly as the host wrote it, key, colon and value, for copying into a request.
struct OptionMember {
  Text key;
  Text text;
};

struct OptionHeader {
  Text name;
  Text value;
};

// Every field's default is "not set": a call with these values sends what it always sent.
struct HostOptions {
  Text system;                          // a system message before the conversation
  std::vector<OptionMember> body;       // added to every chat request's body
  std::vector<OptionMember> imagebody;  // added to every image request's body
  std::vector<OptionHeader> headers;    // added to chat, model-list and imageurl requests
  int32_t timeout_ms = 0;               // a whole exchange's limit; 0: none
  Text timeout;                         // the limit as the host wrote it, for lasterror
  Text proxy;                           // empty: libcurl's default; "none", "system" or a URL
  Text imageurl;                        // a base URL for images; empty: the built-in endpoint
  Text imagedir;                        // where b64_json images are written; empty: nowhere
};

// A copy of the options as they stand, for one call.
HostOptions SnapshotHostOptions();

// Runs change(options) on the stored options under the store's lock. `change` must not call
// back into the store.
std::mutex& HostOptionsLock();
HostOptions& StoredHostOptions();
template <typename Change>
void ChangeHostOptions(Change change) {
  const std::lock_guard<std::mutex> guard(HostOptionsLock());
  change(StoredHostOptions());
}

}  // namespace llmbridge
