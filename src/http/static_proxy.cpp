#include "http/static_proxy.h"

#include <cctype>
#include <vector>

#include "text/ascii_case.h"

namespace llmbridge {

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

// The non-empty entries of a list separated by ";" (spaces around them dropped).
std::vector<std::string_view> Entries(std::string_view list) {
  std::vector<std::string_view> entries;
  while (!list.empty()) {
    const size_t end = list.find(';');
    const std::string_view entry = Trimmed(list.substr(0, end));
    if (!entry.empty()) entries.push_back(entry);
    list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
  }
  return entries;
}

// The pieces of a URL the bypass list is matched against.
struct UrlParts {
  std::string scheme;
  std::string host;
  std::string port;
};

UrlParts PartsOf(std::string_view url) {
  UrlParts parts;
  const size_t separator = url.find("://");
  if (separator == std::string_view::npos) return parts;
  parts.scheme = AsciiLower(url.substr(0, separator));
  std::string_view authority = url.substr(separator + 3);
  authority = authority.substr(0, authority.find_first_of("/?#"));
  const size_t at = authority.rfind('@');
  if (at != std::string_view::npos) authority.remove_prefix(at + 1);
  const size_t colon = authority.rfind(':');
  const size_t bracket = authority.rfind(']');
  if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
    parts.port = std::string(authority.substr(colon + 1));
    authority = authority.substr(0, colon);
  }
  if (authority.size() >= 2 && authority.front() == '[' && authority.back() == ']')
    authority = authority.substr(1, authority.size() - 2);
  parts.host = AsciiLower(authority);
  if (parts.port.empty()) parts.port = parts.scheme == "https" ? "443" : "80";
  return parts;
}

bool Bypassed(std::string_view bypass, const UrlParts& url) {
  for (std::string_view entry : Entries(bypass)) {
    if (entry == "<local>") {
      if (url.host.find_first_of(".:") == std::string::npos) return true;
      continue;
    }
    const size_t separator = entry.find("://");
    if (separator != std::string_view::npos) {
      if (AsciiLower(entry.substr(0, separator)) != url.scheme) continue;
      entry.remove_prefix(separator + 3);
    }
    // A port is written after the last colon, unless the entry is an IPv6 address.
    const size_t colon = entry.rfind(':');
    if (colon != std::string_view::npos && entry.find(':') == colon) {
      if (!WildcardMatches(entry.substr(colon + 1), url.port)) continue;
      entry = entry.substr(0, colon);
    }
    if (WildcardMatches(entry, url.host)) return true;
  }
  return false;
}

std::string AsProxyUrl(std::string_view address, std::string_view scheme) {
  if (address.find("://") != std::string_view::npos) return std::string(address);
  return std::string(scheme) + "://" + std::string(address);
}

}  // namespace

bool WildcardMatches(std::string_view pattern, std::string_view text) {
  // Iterative matching with one backtracking point, the last "*" seen.
  size_t p = 0, t = 0, star = std::string_view::npos, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && std::tolower(static_cast<unsigned char>(pattern[p])) ==
                                         std::tolower(static_cast<unsigned char>(text[t]))) {
      ++p;
      ++t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::string StaticProxyFor(const StaticProxySettings& settings, std::string_view url) {
  if (!settings.enabled) return std::string();
  const UrlParts parts = PartsOf(url);
  if (Bypassed(settings.bypass, parts)) return std::string();
  std::string_view every_scheme, own_scheme, socks;
  for (const std::string_view entry : Entries(settings.server)) {
    const size_t equals = entry.find('=');
    if (equals == std::string_view::npos) {
      every_scheme = entry;
      continue;
    }
    const std::string scheme = AsciiLower(Trimmed(entry.substr(0, equals)));
    const std::string_view address = Trimmed(entry.substr(equals + 1));
    if (scheme == parts.scheme) own_scheme = address;
    if (scheme == "socks") socks = address;
  }
  if (!own_scheme.empty()) return AsProxyUrl(own_scheme, "http");
  if (!every_scheme.empty()) return AsProxyUrl(every_scheme, "http");
  // Windows sends a scheme without its own proxy through the SOCKS server (version 4).
  if (!socks.empty()) return AsProxyUrl(socks, "socks4");
  return std::string();
}

}  // namespace llmbridge
