#include "flows/chosen_transfer.h"

namespace llmbridge {

TransferChoices ChosenTransfer(const HostOptions& options, bool with_headers) {
  TransferChoices choices;
  choices.timeout_ms = options.timeout_ms;
  choices.timeout = options.timeout;
  choices.proxy = options.proxy;
  choices.headers_stay_on_origin = with_headers && !options.headers.empty();
  return choices;
}

}  // namespace llmbridge
