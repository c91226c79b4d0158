#include "flows/model_list_flow.h"

#include "flows/answer_reading.h"
#include "flows/failure_detail.h"
#include "flows/request_parts.h"
#include "flows/response_walkers.h"
#include "flows/server_address.h"
#include "http/http_request.h"
#include "state/library_state.h"

namespace llmbridge {

namespace {

// Some providers (Together) answer with the bare list of models rather than an object holding
// it in "data". From a base URL such a list's entries are read as entries of "data" are; a host
// address keeps the walk, which reads no list at the top.
void CollectIds(JsonValue* root, bool base_url) {
  if (!base_url || !IsKind(root, JsonKind::Array)) return CollectModelIds(root);
  for (int32_t i = 0; i < ArraySize(*root); ++i) CollectModelIds(ArrayElement(*root, i));
}

}  // namespace

Text ListModels(const Text& server_address, const Text& api_key, const HostOptions& options) {
  LibraryState& state = GetLibraryState();
  state.LastError.clear();
  const Text url = EndpointUrl(server_address, u"/models");
  const HeaderMap headers = BearerHeaders(api_key, false, options.headers);
  HttpRequestPtr request =
      OpenHttpRequest(kHttpGet, url, Text(), 0, &headers, ChosenTransfer(options, true));
  if (request == nullptr) {
    state.LastError = u"out of memory";
    return state.ModelList;
  }

  // Any answer is read alike, whatever its status: only the ids in it count. The status only
  // tells the host, through lasterror, why the list did not change.
  if (request->StatusCode != 200) state.LastError = FailureDetail(*request, api_key);
  const std::string_view body = ResponseBodyBytes(*request);
  // A listing that runs out of memory part-way leaves the previous list, as a failed one does.
  Text previous = state.ModelList;
  state.ModelCount = 0;
  try {
    if (!body.empty()) CollectIds(ParseAnswer(body), IsBaseUrl(server_address));
  } catch (...) {
    state.ModelList.swap(previous);
    throw;
  }
  return state.ModelList;
}

}  // namespace llmbridge
