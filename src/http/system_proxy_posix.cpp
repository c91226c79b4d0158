#include "http/system_proxy.h"

namespace llmbridge {

// The environment's proxy variables are this platform's system setting, and libcurl reads them.
std::optional<std::string> SystemProxyFor(const std::string&) { return std::nullopt; }

}  // namespace llmbridge
