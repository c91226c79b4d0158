#include "flows/model_list_flow.h"

#include "flows/request_parts.h"
#include "flows/response_walkers.h"
#include "http/http_request.h"
#include "state/library_state.h"

namespace llmbridge {

Text ListModels(const Text& server_address, const Text& api_key) {
  LibraryState& state = GetLibraryState();
  const Text url = u"http://" + server_address + u"/v1/models";
  const HeaderMap headers = BearerHeaders(api_key, false);
  HttpRequestPtr request = OpenHttpRequest(kHttpGet, url, Text(), 0, &headers);
  if (request == nullptr) return state.ModelList;

  // Any answer is read alike, whatever its status: only the ids in it count.
  const std::string_view body = ResponseBodyBytes(*request);
  // A listing that runs out of memory part-way leaves the previous list, as a failed one does.
  Text previous = state.ModelList;
  state.ModelCount = 0;
  try {
    if (!body.empty()) CollectModelIds(ParseAnswer(body));
  } catch (...) {
    state.ModelList.swap(previous);
    throw;
  }
  return state.ModelList;
}

}  // namespace llmbridge
