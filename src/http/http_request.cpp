#include "http/http_request.h"

#include <curl/curl.h>

#include <algorithm>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "http/header_map.h"
#include "http/http_option_observer.h"
#include "http/http_settings.h"
#include "http/origin_bound_headers.h"
#include "http/proxy_login.h"
#include "http/system_proxy.h"
#include "http/url_origin.h"
#include "memory/allocation_failure.h"
#include "memory/checked_size.h"
#include "text/ascii_case.h"
#include "text/narrow_text.h"
#include "text/number_text.h"

namespace llmbridge {

namespace {

constexpr char16_t kUserAgent[] = u"Mozilla/5.0 Gecko/41.0 Firefox/41.0";

HttpOptionObserver& OptionObserver() {
  static HttpOptionObserver observer;
  return observer;
}

const char* MethodString(int32_t method) {
  switch (method) {
    case kHttpPost:
      return "POST";
    case kHttpPut:
      return "PUT";
    case kHttpPatch:
      return "PATCH";
    case kHttpDelete:
      return "DELETE";
    default:
      return "GET";
  }
}

// Header names and values lose their line breaks: a CR or LF (an API key read from a file with
// its newline) would end the header block early and corrupt the request.
std::string HeaderPart(const Text& text) {
  std::string bytes = EncodeText(text, NarrowEncoding::Utf8);
  bytes.erase(
      std::remove_if(bytes.begin(), bytes.end(), [](char c) { return c == '\r' || c == '\n'; }),
      bytes.end());
  return bytes;
}

// libcurl's write and header callbacks: store the chunk, or refuse it (0) so the transfer ends.
size_t StoreReceivedData(char* bytes, size_t size, size_t count, void* buffer) {
  const size_t total = size * count;
  return static_cast<ReceiveBuffer*>(buffer)->Append(bytes, total) ? total : 0;
}

// The body receiver: stores the chunk, then shows it to the request's listener, if any.
size_t StoreReceivedBody(char* bytes, size_t size, size_t count, void* request_pointer) {
  auto& request = *static_cast<HttpRequest*>(request_pointer);
  const size_t total = size * count;
  if (StoreReceivedData(bytes, size, count, &request.Response) != total) return 0;
  if (request.BodyListener && !request.BodyListener(std::string_view(bytes, total))) return 0;
  return total;
}

// Whether the observer, if any, lets the transfer go ahead with this option.
bool Admitted(int option, long number, const void* pointer) {
  return !OptionObserver() || OptionObserver()(HttpOptionSet{option, number, pointer});
}

// The libcurl handle, its header list and its error buffer, released together. The first option
// libcurl (or the observer) refuses is kept: the transfer is then not performed.
class CurlTransfer {
 public:
  CurlTransfer()
      : handle_(Admitted(kHttpHandleCreation, 0, nullptr) ? curl_easy_init() : nullptr) {}
  ~CurlTransfer() {
    if (header_lines_ != nullptr) curl_slist_free_all(header_lines_);
    if (handle_ != nullptr) curl_easy_cleanup(handle_);
  }
  CurlTransfer(const CurlTransfer&) = delete;
  CurlTransfer& operator=(const CurlTransfer&) = delete;

  CURL* handle() const { return handle_; }
  CURLcode failure() const { return failure_; }
  // Filled by libcurl when a transfer fails; a member, so it lives as long as the handle.
  const char* error_message() const { return error_buffer_; }

  void SetNumber(CURLoption option, long value) { Set(option, value, value, nullptr); }
  void SetData(CURLoption option, const void* value) { Set(option, value, 0, value); }
  void SetCallback(CURLoption option, curl_write_callback callback) {
    Set(option, callback, 0, nullptr);
  }
  void SetErrorBuffer() { SetData(CURLOPT_ERRORBUFFER, error_buffer_); }

  // Builds the header lines in the map's visiting order: "name: value", or "name;" which is how
  // libcurl sends a header with an empty value. A line libcurl finds no room for fails the
  // transfer: a request must not go out without its headers.
  void BuildHeaderLines(const HeaderMap& headers) {
    headers.ForEach([&](const Text& name, const Text& value) {
      std::string line = HeaderPart(name);
      const std::string value_bytes = HeaderPart(value);
      line += value_bytes.empty() ? ";" : ": " + value_bytes;
      AppendHeaderLine(line.c_str());
    });
  }
  void AppendHeaderLine(const char* line) {
    curl_slist* extended =
        AllocationMayProceed() ? curl_slist_append(header_lines_, line) : nullptr;
    if (extended == nullptr)
      Keep(CURLE_OUT_OF_MEMORY);
    else
      header_lines_ = extended;
  }
  curl_slist* header_lines() const { return header_lines_; }

 private:
  // Sets the option unless the observer refuses it, which counts as libcurl having no room.
  template <typename Value>
  void Set(CURLoption option, Value value, long reported_number, const void* reported_pointer) {
    Keep(Admitted(option, reported_number, reported_pointer)
             ? curl_easy_setopt(handle_, option, value)
             : CURLE_OUT_OF_MEMORY);
  }
  void Keep(CURLcode result) {
    if (failure_ == CURLE_OK) failure_ = result;
  }

  char error_buffer_[CURL_ERROR_SIZE] = {};
  CURL* handle_;
  curl_slist* header_lines_ = nullptr;
  CURLcode failure_ = CURLE_OK;
};

bool IsHttpsUrl(const std::string& url) {
  return StartsWithIgnoringAsciiCase<char>(url, "https://");
}

// libcurl keeps following redirects until this many; a loop then fails the transfer.
constexpr long kMaxRedirects = 20;

}  // namespace

void PerformHttpTransfer(HttpRequest& request, const HttpTransferDriver& drive) {
  const std::string url = EncodeText(request.Url, NarrowEncoding::Ansi);
  const std::string user_agent = EncodeText(request.UserAgent, NarrowEncoding::Ansi);
  CurlTransfer transfer;
  if (transfer.handle() == nullptr) return;
  if (!request.Response.Allocate() || !request.ResponseHead.Allocate()) return;

  transfer.SetNumber(CURLOPT_FOLLOWLOCATION, 1L);
  if (request.Method == kHttpPost) transfer.SetNumber(CURLOPT_POST, 1L);
  // A POST always gets its body fields, even an empty body: without them libcurl would read the
  // body from the process's standard input, which belongs to the host.
  if (request.Method == kHttpPost || request.BodyLength != 0) {
    transfer.SetNumber(CURLOPT_POSTFIELDSIZE, request.BodyLength);
    transfer.SetData(CURLOPT_POSTFIELDS, request.BodyLength != 0 ? request.Body : "");
  }
  if (request.Headers != nullptr) transfer.BuildHeaderLines(*request.Headers);
  // The body goes with the request: libcurl would otherwise ask a large one's server for
  // "100 Continue" first, which costs a second where the server ignores it and fails where it
  // answers 417.
  transfer.AppendHeaderLine("Expect:");
  transfer.SetData(CURLOPT_HTTPHEADER, transfer.header_lines());
  transfer.SetData(CURLOPT_URL, url.c_str());
  transfer.SetData(CURLOPT_USERAGENT, user_agent.c_str());
  transfer.SetCallback(CURLOPT_WRITEFUNCTION, StoreReceivedBody);
  transfer.SetData(CURLOPT_WRITEDATA, &request);
  // A POST is named by the post options alone: a method named outright would stay "POST" after
  // a redirect that made libcurl drop the body.
  if (request.Method != kHttpPost)
    transfer.SetData(CURLOPT_CUSTOMREQUEST, MethodString(request.Method));
  OriginBoundHeaders origin_bound{request.ResponseHead, url, UrlOrigin(url), false, {}};
  if (request.Choices.headers_stay_on_origin) {
    transfer.SetCallback(CURLOPT_HEADERFUNCTION, StoreHeaderOnOrigin);
    transfer.SetData(CURLOPT_HEADERDATA, &origin_bound);
  } else {
    transfer.SetCallback(CURLOPT_HEADERFUNCTION, StoreReceivedData);
    transfer.SetData(CURLOPT_HEADERDATA, &request.ResponseHead);
  }
  transfer.SetErrorBuffer();
  transfer.SetNumber(CURLOPT_CONNECTTIMEOUT_MS, request.ConnectTimeoutMs);
  transfer.SetNumber(CURLOPT_TIMEOUT_MS, request.TransferTimeoutMs);
  transfer.SetNumber(CURLOPT_NOSIGNAL, 1L);
  transfer.SetNumber(CURLOPT_MAXREDIRS, kMaxRedirects);
  // Probes an idle connection (libcurl's defaults: after 60 s, then every 60 s), so a server
  // that vanished ends the call; the transfer itself keeps no time limit.
  transfer.SetNumber(CURLOPT_TCP_KEEPALIVE, 1L);
  // A redirected POST keeps its method and body for 301 and 302 as for 307 and 308 (an API
  // request turned into a GET never makes sense); 303 still fetches the new place with GET.
  transfer.SetNumber(CURLOPT_POSTREDIR, CURL_REDIR_POST_301 | CURL_REDIR_POST_302);
  // What began encrypted stays encrypted: the conversation and the key never follow a redirect
  // to plain http.
  transfer.SetData(CURLOPT_REDIR_PROTOCOLS_STR, IsHttpsUrl(url) ? "https" : "http,https");
  // Certificates are always verified. Schannel would also fail every call whose revocation
  // servers cannot be reached (locked-down networks, some proxies); best effort checks
  // revocation wherever the answer can be had. OpenSSL ignores the flag.
  transfer.SetNumber(CURLOPT_SSL_OPTIONS, CURLSSLOPT_REVOKE_BEST_EFFORT);
  // The host's proxy option: "none" is an empty proxy, which libcurl takes as a direct
  // connection whatever the environment says; a proxy URL is used for every host, loopback
  // included, hence the empty no-proxy list.
  const Text& proxy_choice = request.Choices.proxy;
  std::optional<std::string> proxy;
  if (proxy_choice == u"system")
    proxy = SystemProxyFor(url);
  else if (proxy_choice == u"none")
    proxy = std::string();
  else if (!proxy_choice.empty())
    proxy = EncodeText(proxy_choice, NarrowEncoding::Utf8);
  if (proxy) {
    transfer.SetData(CURLOPT_PROXY, proxy->c_str());
    if (!proxy->empty()) transfer.SetData(CURLOPT_NOPROXY, "");
    // A proxy that asks for a login gets the platform's (on Windows, the user's own through
    // SSPI), unless the proxy URL carries credentials of its own.
    const ProxyLogin login = PlatformProxyLogin();
    if (!proxy->empty() && login.methods != 0 && proxy->find('@') == std::string::npos) {
      transfer.SetNumber(CURLOPT_PROXYAUTH, static_cast<long>(login.methods));
      transfer.SetData(CURLOPT_PROXYUSERPWD, login.credentials);
    }
  }

  const CURLcode result = transfer.failure() != CURLE_OK
                              ? transfer.failure()
                              : static_cast<CURLcode>(drive(transfer.handle()));
  if (result == CURLE_OK) {
    long status = 0;
    curl_easy_getinfo(transfer.handle(), CURLINFO_RESPONSE_CODE, &status);
    request.StatusCode = static_cast<int32_t>(status);
    request.Response.ShrinkToReceived();
  } else {
    // libcurl leaves the buffer empty for a few failures; its generic message then says what.
    const char* message =
        transfer.error_message()[0] != '\0' ? transfer.error_message() : curl_easy_strerror(result);
    request.ErrorMessage = FromNarrow(message, -1, NarrowEncoding::Ansi);
    // An https URL meets plain http only through a redirect, which libcurl's message leaves
    // unsaid.
    if (result == CURLE_UNSUPPORTED_PROTOCOL && IsHttpsUrl(url))
      request.ErrorMessage =
          u"refused a redirect from https to plain http: " + request.ErrorMessage;
    if (!origin_bound.refused_location.empty())
      request.ErrorMessage =
          u"refused a redirect to another origin, which the header option's lines must not "
          u"reach: " +
          FromNarrow(origin_bound.refused_location.c_str(), -1, NarrowEncoding::Utf8);
    if (result == CURLE_OPERATION_TIMEDOUT && request.Choices.timeout_ms != 0)
      request.ErrorMessage = u"timed out after " + request.Choices.timeout +
                             u" s (the timeout option): " + request.ErrorMessage;
  }
}

namespace {

Text BufferText(const ReceiveBuffer& buffer) {
  if (buffer.data() == nullptr) return Text();
  const int64_t received = buffer.received();
  const int32_t length = received > std::numeric_limits<int32_t>::max()
                             ? std::numeric_limits<int32_t>::max()
                             : static_cast<int32_t>(received);
  return FromNarrow(buffer.data(), length, NarrowEncoding::Utf8);
}

}  // namespace

void SetHttpOptionObserver(HttpOptionObserver observer) { OptionObserver() = std::move(observer); }

HttpRequestPtr PrepareHttpRequest(int32_t method, const Text& url, const Text& body, uint32_t flags,
                                  const HeaderMap* headers, const TransferChoices& choices) {
  std::string body_bytes = EncodeText(body, NarrowEncoding::Utf8);
  HttpRequestPtr request(new (std::nothrow) HttpRequest);
  if (request == nullptr) return nullptr;
  request->Url = url;
  request->UserAgent = kUserAgent;
  request->Method = method;
  request->Flags = flags;
  request->BodyLength = CheckedLength(body_bytes.size());
  request->BodyBytes = std::move(body_bytes);
  request->Body = request->BodyBytes.c_str();
  if ((flags & kHttpOwnThread) != 0 && headers != nullptr) {
    request->OwnedHeaders = std::make_unique<HeaderMap>(*headers);
    headers = request->OwnedHeaders.get();
  }
  request->Headers = headers;
  request->ConnectTimeoutMs = GetHttpSettings().ConnectTimeoutMs;
  request->TransferTimeoutMs =
      choices.timeout_ms != 0 ? choices.timeout_ms : GetHttpSettings().TransferTimeoutMs;
  request->Choices = choices;
  return request;
}

HttpRequestPtr OpenHttpRequest(int32_t method, const Text& url, const Text& body, uint32_t flags,
                               const HeaderMap* headers, const TransferChoices& choices) {
  HttpRequestPtr request = PrepareHttpRequest(method, url, body, flags, headers, choices);
  if (request == nullptr) return nullptr;
  PerformHttpTransfer(*request,
                      [](void* handle) { return static_cast<int>(curl_easy_perform(handle)); });
  return request;
}

Text HttpRequestInfo(const HttpRequest& request, int32_t kind) {
  switch (kind) {
    case kHttpStatusCode:
      return FormatInteger(request.StatusCode);
    case kHttpResponseBody:
      return BufferText(request.Response);
    case kHttpErrorMessage:
      return request.ErrorMessage;
    case kHttpResponseHeaders:
      return BufferText(request.ResponseHead);
    default:
      return Text();
  }
}

std::string_view ResponseBodyBytes(HttpRequest& request) {
  ReceiveBuffer& body = request.Response;
  if (body.data() == nullptr) return "";  // still a terminated view, as readers expect
  if (!body.Terminate()) throw std::bad_alloc();
  return std::string_view(body.data());
}

void FinishHttpRequest(HttpRequestPtr request) { request.reset(); }

}  // namespace llmbridge
