#include <curl/curl.h>

#include "http/proxy_login.h"

namespace llmbridge {

ProxyLogin PlatformProxyLogin() { return {CURLAUTH_NEGOTIATE | CURLAUTH_NTLM, ":"}; }

}  // namespace llmbridge
