#include "http/url_origin.h"

#include <cctype>

#include "text/ascii_case.h"

namespace llmbridge {

namespace {

// The length of the scheme that starts `url` (letters, then letters, digits, "+", "-", ".",
// ended by ":"), or 0.
size_t SchemeLength(std::string_view url) {
  if (url.empty() || !std::isalpha(static_cast<unsigned char>(url[0]))) return 0;
  for (size_t i = 1; i < url.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(url[i]);
    if (c == ':') return i;
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return 0;
  }
  return 0;
}

std::string Origin(const std::string& scheme, std::string_view after_slashes) {
  std::string_view authority = after_slashes.substr(0, after_slashes.find_first_of("/?#"));
  const size_t at = authority.rfind('@');
  if (at != std::string_view::npos) authority.remove_prefix(at + 1);
  // The port follows the last colon, unless that colon is inside an IPv6 literal.
  const size_t colon = authority.rfind(':');
  const size_t bracket = authority.rfind(']');
  std::string_view host = authority;
  std::string port;
  if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
    host = authority.substr(0, colon);
    port = std::string(authority.substr(colon + 1));
  }
  if (port.empty()) port = scheme == "https" ? "443" : scheme == "http" ? "80" : "";
  return scheme + "://" + AsciiLower(host) + ":" + port;
}

}  // namespace

std::string UrlOrigin(std::string_view url) {
  const size_t scheme = SchemeLength(url);
  if (scheme == 0 || url.substr(scheme, 3) != "://") return std::string();
  return Origin(AsciiLower(url.substr(0, scheme)), url.substr(scheme + 3));
}

std::string LocationOrigin(std::string_view current, std::string_view location) {
  while (!location.empty() && (location.front() == ' ' || location.front() == '\t'))
    location.remove_prefix(1);
  if (location.substr(0, 2) == "//") {
    const size_t scheme = SchemeLength(current);
    return Origin(AsciiLower(current.substr(0, scheme)), location.substr(2));
  }
  if (SchemeLength(location) != 0) {
    const std::string origin = UrlOrigin(location);
    // "scheme:" without "//" names no host; it cannot stay on the origin either.
    return origin.empty() ? std::string(location) : origin;
  }
  return UrlOrigin(current);
}

}  // namespace llmbridge
