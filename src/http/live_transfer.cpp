#include "http/live_transfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "base/library_thread.h"
#include "base/never_destroyed.h"

namespace llmbridge {

namespace {

// The longest curl_multi_poll waits when libcurl asks for no earlier wake: a cancel wakes it
// anyway, so this bounds nothing a host can see.
constexpr int kPollMs = 1000;

// The transfers whose threads are still running, for EndLiveTransfers. Never destroyed: a thread
// may still report its end while the process exits.
struct RunningTransfers {
  std::mutex lock;
  std::condition_variable ended;
  std::vector<LiveTransfer*> running;
};

RunningTransfers& Running() {
  static NeverDestroyed<RunningTransfers> running;
  return running.get();
}

}  // namespace

std::shared_ptr<LiveTransfer> StartLiveTransfer(HttpRequestPtr request,
                                                LiveTransferEnd on_end) noexcept {
  if (request == nullptr) return nullptr;
  CURLM* multi = curl_multi_init();
  if (multi == nullptr) return nullptr;
  std::shared_ptr<LiveTransfer> transfer(
      new (std::nothrow) LiveTransfer(std::move(request), std::move(on_end), multi));
  if (transfer == nullptr) {
    curl_multi_cleanup(multi);
    return nullptr;
  }
  transfer->self_ = transfer;
  try {
    std::lock_guard<std::mutex> guard(Running().lock);
    Running().running.push_back(transfer.get());
  } catch (...) {
    transfer->self_.reset();
    return nullptr;
  }
  if (!StartLibraryThread(&LiveTransfer::Run, transfer.get())) {
    std::lock_guard<std::mutex> guard(Running().lock);
    Running().running.pop_back();
    transfer->self_.reset();
    return nullptr;
  }
  return transfer;
}

LiveTransfer::LiveTransfer(HttpRequestPtr request, LiveTransferEnd on_end, void* multi)
    : request_(std::move(request)), on_end_(std::move(on_end)), multi_(multi) {}

LiveTransfer::~LiveTransfer() { curl_multi_cleanup(static_cast<CURLM*>(multi_)); }

void LiveTransfer::Cancel() {
  cancelled_ = true;
  curl_multi_wakeup(static_cast<CURLM*>(multi_));
}

void LiveTransfer::Run(void* self_pointer) {
  auto* self = static_cast<LiveTransfer*>(self_pointer);
  // Keeps the transfer alive to the end of this function, whoever else lets go of it.
  const std::shared_ptr<LiveTransfer> keep = std::move(self->self_);
  PerformHttpTransfer(*self->request_, [self](void* easy) { return self->Drive(easy); });
  self->on_end_(*self->request_, self->cancelled_);
  // Nothing of the request outlives its end: a library stopping once the ending is known frees
  // the heap its buffers lie in.
  self->request_.reset();
  RunningTransfers& running = Running();
  std::lock_guard<std::mutex> guard(running.lock);
  running.running.erase(std::find(running.running.begin(), running.running.end(), self));
  running.ended.notify_all();
}

int LiveTransfer::Drive(void* easy) {
  auto* multi = static_cast<CURLM*>(multi_);
  if (curl_multi_add_handle(multi, easy) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
  CURLcode result = CURLE_OK;
  for (;;) {
    if (cancelled_) {
      result = CURLE_ABORTED_BY_CALLBACK;
      break;
    }
    int still_running = 0;
    if (curl_multi_perform(multi, &still_running) != CURLM_OK) {
      result = CURLE_OUT_OF_MEMORY;
      break;
    }
    if (still_running == 0) {
      int left = 0;
      while (const CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg == CURLMSG_DONE) result = message->data.result;
      }
      break;
    }
    // Sleeps in the sockets' wait until data, libcurl's own time-out or a cancel's wake-up.
    curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
  }
  curl_multi_remove_handle(multi, easy);
  return result;
}

void EndLiveTransfers() {
  RunningTransfers& running = Running();
  std::unique_lock<std::mutex> guard(running.lock);
  for (LiveTransfer* transfer : running.running) transfer->Cancel();
  running.ended.wait(guard, [&] { return running.running.empty(); });
}

}  // namespace llmbridge
