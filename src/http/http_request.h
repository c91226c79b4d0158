// One HTTP or HTTPS request, performed with libcurl on the calling thread, and its outcome.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "http/header_map.h"
#include "http/receive_buffer.h"
#include "text/text.h"

namespace llmbridge {

enum HttpMethod : int32_t {
  kHttpGet = 0,
  kHttpPost = 1,
  kHttpPut = 2,
  kHttpPatch = 3,
  kHttpDelete = 4,  // any other code is sent as GET
};

enum HttpInfoKind : int32_t {
  kHttpStatusCode = 0,       // "%ld" of the final response's code; "0" after a failed transfer
  kHttpResponseBody = 1,     // the body decoded from UTF-8, up to a zero byte
  kHttpErrorMessage = 2,     // libcurl's message for a failed transfer, or empty
  kHttpResponseHeaders = 3,  // every header line of every response, redirects included
};

enum HttpRequestFlags : uint32_t {
  // The transfer runs on a thread of its own (see http/live_transfer.h), with private copies of
  // the body and the headers.
  kHttpOwnThread = 1,
};

// What a host's options change in one transfer; the defaults change nothing.
struct TransferChoices {
  int32_t timeout_ms = 0;  // the whole transfer's limit; 0: the settings' (none)
  Text timeout;            // that limit as the host wrote it, in seconds, for the error message
  // Empty: libcurl's default (the environment's variables); "none": direct; "system": the
  // platform's settings (system_proxy.h); otherwise the proxy's URL, used for every host.
  Text proxy;
  // The request carries the host's own header lines, which must never reach another scheme,
  // host or port: a redirect there ends the transfer instead of being followed.
  bool headers_stay_on_origin = false;
};

struct HttpRequest {
  Text Url;
  Text UserAgent;
  int32_t Method = kHttpGet;
  uint32_t Flags = 0;
  std::string BodyBytes;       // the UTF-8 body, encoded once
  const char* Body = nullptr;  // BodyBytes while the transfer runs, given to libcurl in place
  int32_t BodyLength = 0;      // 0: no body is sent
  const HeaderMap* Headers = nullptr;
  std::unique_ptr<HeaderMap> OwnedHeaders;  // the copy Headers points at, on its own thread
  // Sees each body chunk as it arrives, after it is stored; false ends the transfer as a failure.
  std::function<bool(std::string_view chunk)> BodyListener;
  int32_t ConnectTimeoutMs = 0;
  int32_t TransferTimeoutMs = 0;
  TransferChoices Choices;
  ReceiveBuffer Response;      // body bytes, in the BlockHeap
  ReceiveBuffer ResponseHead;  // header bytes, in the BlockHeap
  int32_t StatusCode = 0;      // stays 0 unless the transfer succeeds
  Text ErrorMessage;
};

using HttpRequestPtr = std::unique_ptr<HttpRequest>;

// Encodes `body` as UTF-8, performs the whole transfer and returns the request whether the
// transfer succeeded or not (the status text tells: "0" when no answer arrived). Null only when
// the request record itself cannot be made. `headers` may be null and must outlive the call.
// Flags 0: synchronous, redirects followed, libcurl's TLS defaults. A request with
// kHttpOwnThread is started with StartLiveTransfer instead (http/live_transfer.h).
HttpRequestPtr OpenHttpRequest(int32_t method, const Text& url, const Text& body, uint32_t flags,
                               const HeaderMap* headers,
                               const TransferChoices& choices = TransferChoices());

// The request record of OpenHttpRequest, its transfer not yet performed. With kHttpOwnThread the
// headers are copied, so `headers` need not outlive the call. Null when the record cannot be made.
HttpRequestPtr PrepareHttpRequest(int32_t method, const Text& url, const Text& body, uint32_t flags,
                                  const HeaderMap* headers,
                                  const TransferChoices& choices = TransferChoices());

// Runs a transfer whose options are all set and returns libcurl's result code: the blocking
// requests call curl_easy_perform; a request on its own thread drives it so it can be cancelled.
using HttpTransferDriver = std::function<int(void* curl_handle)>;

// Performs the transfer of a prepared request with `drive`: afterwards the request holds its
// outcome, as OpenHttpRequest's does.
void PerformHttpTransfer(HttpRequest& request, const HttpTransferDriver& drive);

// Reads an outcome of the request as text; unknown kinds give the empty text.
Text HttpRequestInfo(const HttpRequest& request, int32_t kind);

// The body's bytes up to the first zero byte, undecoded, and a zero byte after them: what
// kHttpResponseBody decodes, for a reader that decodes as it goes. Empty when nothing arrived.
// Throws std::bad_alloc when there is no room for the zero byte.
std::string_view ResponseBodyBytes(HttpRequest& request);

// Releases the request with its receive buffers.
void FinishHttpRequest(HttpRequestPtr request);

}  // namespace llmbridge
