// Where a URL leads, as far as redirects are concerned: its origin.
#pragma once

#include <string>
#include <string_view>

namespace llmbridge {

// The origin of an absolute URL, "scheme://host:port" with scheme and host in lower case and the
// scheme's default port written out (80 for http, 443 for https); empty when `url` has no scheme.
std::string UrlOrigin(std::string_view url);

// The origin a redirect's Location leads to from `current`: a relative reference keeps the
// current origin, "//host..." keeps only its scheme, an absolute URL has its own.
std::string LocationOrigin(std::string_view current, std::string_view location);

}  // namespace llmbridge
