// The proxy the platform's own settings choose for a URL, for the proxy option "system".
#pragma once

#include <optional>
#include <string>

namespace llmbridge {

// The proxy for `url`: none (std::nullopt) to leave libcurl's default (the environment's proxy
// variables), "" to connect directly, or the proxy's URL. On Windows the user's static proxy
// settings are read (per-scheme lists and the bypass list included); elsewhere the environment is
// the system's setting.
std::optional<std::string> SystemProxyFor(const std::string& url);

}  // namespace llmbridge
