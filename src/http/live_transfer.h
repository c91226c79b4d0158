// A request performed on a thread of the library's own while the caller goes on: the transfer
// is driven through libcurl's multi interface, so that a cancel wakes it at once instead of at
// libcurl's next progress call.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "http/http_request.h"

namespace llmbridge {

class LiveTransfer;

// Called on the transfer's thread once the transfer is over, with the request holding its
// outcome (as OpenHttpRequest's would) and whether a cancel ended it.
using LiveTransferEnd = std::function<void(HttpRequest& request, bool cancelled)>;

// Starts `request` (from PrepareHttpRequest with kHttpOwnThread; its BodyListener, if any, is
// called on the new thread) and returns at once. Null, with nothing sent and `on_end` never
// called, when the thread or libcurl's multi handle cannot be made.
std::shared_ptr<LiveTransfer> StartLiveTransfer(HttpRequestPtr request,
                                                LiveTransferEnd on_end) noexcept;

class LiveTransfer {
 public:
  ~LiveTransfer();
  LiveTransfer(const LiveTransfer&) = delete;
  LiveTransfer& operator=(const LiveTransfer&) = delete;

  // Asks the transfer to end: it closes the connection and reports the end as cancelled within
  // a few milliseconds (a host name still being resolved may hold it longer). Returns at once;
  // any thread may call it, any number of times.
  void Cancel();

 private:
  friend std::shared_ptr<LiveTransfer> StartLiveTransfer(HttpRequestPtr, LiveTransferEnd) noexcept;
  LiveTransfer(HttpRequestPtr request, LiveTransferEnd on_end, void* multi);
  static void Run(void* self_pointer);
  int Drive(void* easy);

  HttpRequestPtr request_;
  LiveTransferEnd on_end_;
  void* multi_;  // the CURLM that drives the transfer, woken by Cancel
  std::atomic<bool> cancelled_{false};
  std::shared_ptr<LiveTransfer> self_;  // keeps the transfer alive while its thread runs
};

// Cancels every live transfer still running and waits until their threads have finished with
// the library: for an unload that cannot wait for them to end by themselves (process exit on
// systems without FreeLibraryAndExitThread).
void EndLiveTransfers();

}  // namespace llmbridge
