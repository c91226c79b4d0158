#include "flows/image_flow.h"

#include "base/build_facts.h"
#include "flows/failure_detail.h"
#include "flows/request_parts.h"
#include "flows/response_walkers.h"
#include "http/http_request.h"
#include "state/library_state.h"

namespace llmbridge {

namespace {
Text g_endpoint_override;
}  // namespace

void OverrideImageEndpoint(const Text& endpoint) { g_endpoint_override = endpoint; }

Text ImageEndpoint() {
  return g_endpoint_override.empty() ? Text(kImageEndpoint) : g_endpoint_override;
}

Text GenerateImage(const Text& endpoint, const ImageArguments& arguments) {
  LibraryState& state = GetLibraryState();
  state.LastError.clear();
  const ProgressWindowScope window(arguments.show_window);
  const HeaderMap headers = BearerHeaders(arguments.api_key, true);
  const Text body = u"{\"prompt\": \"" + PreparePrompt(arguments.prompt) +
                    u"\", \"n\": 1, \"size\": \"" + arguments.image_size + u"\"}";

  HttpRequestPtr request = OpenHttpRequest(kHttpPost, endpoint, body, 0, &headers);
  if (request == nullptr) {
    state.LastError = u"out of memory";
    return u"Request Failed";
  }
  const Text status = HttpRequestInfo(*request, kHttpStatusCode);
  if (!TextsEqual(status, u"200")) {
    state.LastError = FailureDetail(*request, arguments.api_key);
    return ApiErrorText(status);
  }
  CollectLastString(ParseAnswer(ResponseBodyBytes(*request)));
  return state.ImageResult;
}

}  // namespace llmbridge
