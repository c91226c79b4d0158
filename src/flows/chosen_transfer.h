// How the host's options shape one transfer.
#pragma once

#include "http/http_request.h"
#include "state/host_options.h"

namespace llmbridge {

// What the host's options change in a transfer: its time limit and proxy and, when the request
// carries the host's header lines (`with_headers`), no redirect to another origin.
TransferChoices ChosenTransfer(const HostOptions& options, bool with_headers);

}  // namespace llmbridge
