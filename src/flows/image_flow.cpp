#include "flows/image_flow.h"

#include "base/build_facts.h"
#include "flows/bearer_headers.h"
#include "flows/chosen_transfer.h"
#include "flows/exchange.h"
#include "flows/image_saving.h"
#include "flows/progress_window_scope.h"
#include "flows/request_body.h"
#include "flows/response_walkers.h"
#include "flows/server_address.h"
#include "state/library_state.h"

namespace llmbridge {

namespace {
Text g_endpoint_override;

const std::vector<OptionHeader>& NoOptionHeaders() {
  static const std::vector<OptionHeader> none;
  return none;
}
}  // namespace

void OverrideImageEndpoint(const Text& endpoint) { g_endpoint_override = endpoint; }

Text ImageEndpoint() {
  return g_endpoint_override.empty() ? Text(kImageEndpoint) : g_endpoint_override;
}

Text GenerateImage(const Text& endpoint, const ImageArguments& arguments,
                   const HostOptions& options) {
  LibraryState& state = GetLibraryState();
  state.LastError.clear();
  const ProgressWindowScope window(arguments.show_window);
  // The host's header lines go only to its own image server: a key meant for one provider must
  // never reach the built-in one.
  const bool own_server = !options.imageurl.empty();
  const Text url = own_server ? EndpointUrl(options.imageurl, u"/images/generations") : endpoint;
  const HeaderMap headers =
      BearerHeaders(arguments.api_key, true, own_server ? options.headers : NoOptionHeaders());
  RequestBody body(options.imagebody);
  body.Add(u"prompt", u"\"" + PreparePrompt(arguments.prompt) + u"\"");
  body.Add(u"n", u"1");
  body.Add(u"size", u"\"" + arguments.image_size + u"\"");

  Exchange exchange(kHttpPost, url, body.Finish(), headers, ChosenTransfer(options, own_server),
                    arguments.api_key);
  if (!exchange.Succeeded()) {
    state.LastError = exchange.Detail();
    return exchange.Result();
  }
  JsonValue* root = exchange.ReadAnswer();
  if (!options.imagedir.empty()) {
    Text path;
    switch (SaveCarriedImage(root, options.imagedir, path, state.LastError)) {
      case ImageSaving::kSaved:
        state.ImageResult = path;
        return state.ImageResult;
      case ImageSaving::kFailed:
        return kRequestFailed;
      case ImageSaving::kNotCarried:
        break;
    }
  }
  CollectLastString(root);
  return state.ImageResult;
}

}  // namespace llmbridge
