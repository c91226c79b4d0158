#include "flows/model_list_flow.h"

#include "flows/answer_reading.h"
#include "flows/bearer_headers.h"
#include "flows/chosen_transfer.h"
#include "flows/exchange.h"
#include "flows/response_walkers.h"
#include "flows/server_address.h"
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
  const HeaderMap headers = BearerHeaders(api_key, false, options.headers);
  Exchange exchange(kHttpGet, EndpointUrl(server_address, u"/models"), Text(), headers,
                    ChosenTransfer(options, true), api_key);
  // Any answer is read alike, whatever its status: only the ids in it count. The status only
  // tells the host, through lasterror, why the list did not change.
  state.LastError = exchange.Detail();
  // A listing that runs out of memory part-way leaves the previous list, as a failed one does.
  Text previous = state.ModelList;
  state.ModelCount = 0;
  try {
    CollectIds(exchange.ReadAnswer(), IsBaseUrl(server_address));
  } catch (...) {
    state.ModelList.swap(previous);
    throw;
  }
  return state.ModelList;
}

}  // namespace llmbridge
