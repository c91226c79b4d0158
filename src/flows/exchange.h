// One call's exchange with the server: the request is sent and its answer awaited, the answer's
// status judged and its body read, and what went wrong is put in the words the host reads, the
// call's result and lasterror's detail. Chat, the model listing and image make the whole
// exchange; a live exchange's thread judges its ended transfer alike.
#pragma once

#include <cstdint>

#include "http/header_map.h"
#include "http/http_request.h"
#include "json/json_value.h"
#include "text/text.h"

namespace llmbridge {

// The result of a call that could not be made, or whose answer could not be used.
inline constexpr char16_t kRequestFailed[] = u"Request Failed";

// Judges a transfer that has ended. False, leaving `result` and `detail` alone, when its answer
// came with status 200. Otherwise true: `result` becomes "Api Error code: " and the status ("0"
// when no answer arrived) and `detail` lasterror's words for it (FailureDetail, never holding
// `api_key`), the error answer parsed into `slot`.
bool AnswerFailed(HttpRequest& request, const Text& api_key, int32_t slot, Text& result,
                  Text& detail);

// Owns its request from the sending until Finish or its own end.
class Exchange {
 public:
  // Sends the request on the calling thread and waits for its answer; `headers` are read only
  // meanwhile. `api_key` is masked wherever the detail could echo it.
  Exchange(HttpMethod method, const Text& url, const Text& body, const HeaderMap& headers,
           const TransferChoices& choices, const Text& api_key);

  // Whether the answer came with status 200.
  bool Succeeded() const { return !failed_; }
  // When it did not, the call's result ("Request Failed" when there was no room for the request,
  // otherwise AnswerFailed's) and lasterror's detail ("out of memory" then); empty when it did.
  const Text& Result() const { return result_; }
  const Text& Detail() const { return detail_; }

  // The answer's body, whatever its status, parsed into JSON slot 0: its root, or null when the
  // body is empty or no JSON, or when there is none (no room for the request, or after Finish).
  // Throws std::bad_alloc when the parser ran out of memory.
  JsonValue* ReadAnswer();

  // Releases the request and the bytes it received: once the answer is read, its document holds
  // all that the call needs.
  void Finish();

 private:
  HttpRequestPtr request_;
  bool failed_ = false;
  Text result_;
  Text detail_;
};

}  // namespace llmbridge
