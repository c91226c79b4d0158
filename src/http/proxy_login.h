// How a transfer logs in to a proxy that asks for a login.
#pragma once

namespace llmbridge {

// The login methods to offer a proxy (libcurl's CURLAUTH_* bits) and the credentials to use; no
// methods leave libcurl's default, which logs in only with credentials written in the proxy URL.
struct ProxyLogin {
  unsigned long methods = 0;
  const char* credentials = nullptr;
};

// On Windows: Negotiate or NTLM as the user running the host, through SSPI (empty credentials
// tell libcurl to use the current login), as corporate proxies ask. Elsewhere: the default.
ProxyLogin PlatformProxyLogin();

}  // namespace llmbridge
