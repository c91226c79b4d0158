// Reads the proxy option.
#pragma once

#include "text/text.h"

namespace llmbridge {

// Whether `text` is "none", "system" or a proxy URL: a scheme libcurl knows for proxies (http,
// https, socks4, socks4a, socks5, socks5h, in any letter case), "://" and a host, with no
// spaces or control characters. `reason` says what is wrong otherwise.
bool ReadProxyOption(const Text& text, Text& reason);

}  // namespace llmbridge
