// The header lines of a request to an OpenAI-compatible server: its key and the host's own lines.
#pragma once

#include <vector>

#include "http/header_map.h"
#include "state/host_options.h"
#include "text/text.h"

namespace llmbridge {

// The "Authorization: Bearer <key>" header, preceded by "content-type: application/json" for
// requests with a JSON body. The host's header lines `extra` follow; one naming either of those
// two (in any letter case) takes its place.
HeaderMap BearerHeaders(const Text& api_key, bool json_body,
                        const std::vector<OptionHeader>& extra = {});

}  // namespace llmbridge
