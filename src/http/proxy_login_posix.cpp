#include "http/proxy_login.h"

namespace llmbridge {

// No login of the session to offer here: credentials in the proxy URL are libcurl's to use.
ProxyLogin PlatformProxyLogin() { return ProxyLogin(); }

}  // namespace llmbridge
