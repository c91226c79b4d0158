#include "flows/failure_detail.h"

#include "flows/server_message.h"
#include "text/number_text.h"

namespace llmbridge {

namespace {

// The reason phrase of the last status line ("Not Found"), for an error answer without a body.
Text ReasonPhrase(const HttpRequest& request) {
  const Text head = HttpRequestInfo(request, kHttpResponseHeaders);
  const size_t line = head.rfind(u"HTTP/");
  if (line == Text::npos) return Text();
  const size_t end = head.find(u"\r\n", line);
  const Text status_line = head.substr(line, end - line);
  // "HTTP/1.1 404 Not Found": the phrase follows the second space; HTTP/2 sends none.
  const size_t code = status_line.find(u' ');
  const size_t phrase = code == Text::npos ? code : status_line.find(u' ', code + 1);
  return phrase == Text::npos ? Text() : status_line.substr(phrase + 1);
}

}  // namespace

Text FailureDetail(HttpRequest& request, const Text& api_key, int32_t slot) {
  if (request.StatusCode == 0) {
    const Text message = HttpRequestInfo(request, kHttpErrorMessage);
    return WithoutKey(message.empty() ? u"no answer arrived" : message, api_key);
  }
  Text message = ServerMessage(ResponseBodyBytes(request), slot);
  if (message.empty()) message = ReasonPhrase(request);
  if (message.empty()) message = u"the server sent no message";
  return WithoutKey(u"HTTP " + FormatInteger(request.StatusCode) + u": " + message, api_key);
}

Text WithoutKey(Text detail, const Text& api_key) {
  if (api_key.empty()) return detail;
  for (size_t at = detail.find(api_key); at != Text::npos; at = detail.find(api_key, at + 3))
    detail.replace(at, api_key.size(), u"***");
  return detail;
}

}  // namespace llmbridge
