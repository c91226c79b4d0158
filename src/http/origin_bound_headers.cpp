#include "http/origin_bound_headers.h"

#include <string_view>

#include "http/url_origin.h"
#include "text/ascii_case.h"

namespace llmbridge {

namespace {

// False when `line` is the Location of a redirect that leaves the origin.
bool ReadsAsSameOrigin(OriginBoundHeaders& receiver, std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (StartsWithIgnoringAsciiCase<char>(line, "http/")) {
    const size_t space = line.find(' ');
    receiver.in_redirect = space != std::string_view::npos && line.substr(space + 1, 1) == "3";
  } else if (receiver.in_redirect && StartsWithIgnoringAsciiCase<char>(line, "location:")) {
    const std::string_view location = line.substr(9);
    if (LocationOrigin(receiver.url, location) != receiver.origin) {
      receiver.refused_location = std::string(location.substr(location.find_first_not_of(" \t")));
      return false;
    }
  }
  return true;
}

}  // namespace

size_t StoreHeaderOnOrigin(char* bytes, size_t size, size_t count, void* data) {
  auto& receiver = *static_cast<OriginBoundHeaders*>(data);
  const size_t total = size * count;
  if (!receiver.head.Append(bytes, total)) return 0;
  try {
    return ReadsAsSameOrigin(receiver, std::string_view(bytes, total)) ? total : 0;
  } catch (...) {
    return 0;  // no room to compare: the transfer ends as when the line cannot be stored
  }
}

}  // namespace llmbridge
