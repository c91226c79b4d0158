#include "flows/image_flow.h"

#include <string>

#include "api/library_state.h"
#include "flows/request_parts.h"
#include "flows/response_walkers.h"
#include "http/http_request.h"

#ifndef LLMBRIDGE_IMAGE_ENDPOINT
#define LLMBRIDGE_IMAGE_ENDPOINT "https://api.openai.com/v1/images/generations"
#endif

namespace llmbridge {

namespace {
Text g_endpoint_override;
}  // namespace

void OverrideImageEndpoint(const Text& endpoint) { g_endpoint_override = endpoint; }

Text ImageEndpoint() {
  if (!g_endpoint_override.empty()) return g_endpoint_override;
  // The build passes the endpoint as a narrow literal; a URL is ASCII, so widening is exact.
  const std::string url = LLMBRIDGE_IMAGE_ENDPOINT;
  return Text(url.begin(), url.end());
}

Text GenerateImage(const Text& endpoint, const ImageArguments& arguments) {
  LibraryState& state = GetLibraryState();
  const ProgressWindowScope window(arguments.show_window);
  const HeaderMap headers = BearerHeaders(arguments.api_key, true);
  const Text body = u"{\"prompt\": \"" + PreparePrompt(arguments.prompt) +
                    u"\", \"n\": 1, \"size\": \"" + arguments.image_size + u"\"}";

  HttpRequestPtr request = OpenHttpRequest(kHttpPost, endpoint, body, 0, &headers);
  if (request == nullptr) return u"Request Failed";
  const Text status = HttpRequestInfo(*request, kHttpStatusCode);
  if (!TextsEqual(status, u"200")) return ApiErrorText(status);
  CollectLastString(ParseAnswer(HttpRequestInfo(*request, kHttpResponseBody)));
  return state.ImageResult;
}

}  // namespace llmbridge
