// Model listing: asks a server for its models and keeps the ids found in LibraryState.ModelList.
#pragma once

#include "state/host_options.h"
#include "text/text.h"

namespace llmbridge {

// Returns the ids of this listing joined by carriage returns or, when its answer holds none
// (an error answer, an empty or non-JSON body, a failed transfer), those of the last listing
// that found some. Never an error text. `options` are the host's options as the call began.
Text ListModels(const Text& server_address, const Text& api_key,
                const HostOptions& options = HostOptions());

}  // namespace llmbridge
