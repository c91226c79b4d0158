// Windows' static proxy settings (the user's "Internet Settings"), read for one URL. Kept apart
// from the registry so that every platform can check how the settings are read.
#pragma once

#include <string>
#include <string_view>

namespace llmbridge {

struct StaticProxySettings {
  bool enabled = false;  // ProxyEnable
  // ProxyServer: "host:port" for every scheme, or per scheme "http=host:port;https=host:port;
  // socks=host:port" (a scheme without its own entry falls back to socks, else goes direct).
  std::string server;
  // ProxyOverride: hosts reached directly, separated by ";": "*" wildcards in any letter case,
  // an optional "scheme://" and ":port", and "<local>" for names without a dot.
  std::string bypass;
};

// The proxy `url` goes through: "" for a direct connection, else the proxy's URL.
std::string StaticProxyFor(const StaticProxySettings& settings, std::string_view url);

// Whether `pattern` ("*" matches any run of characters) matches `text`, ASCII letter case ignored.
bool WildcardMatches(std::string_view pattern, std::string_view text);

}  // namespace llmbridge
