#include "flows/server_address.h"

#include "text/ascii_case.h"

namespace llmbridge {

bool IsBaseUrl(const Text& address) {
  return StartsWithIgnoringAsciiCase<char16_t>(address, u"http://") ||
         StartsWithIgnoringAsciiCase<char16_t>(address, u"https://");
}

Text EndpointUrl(const Text& address, std::u16string_view endpoint) {
  if (!IsBaseUrl(address)) return u"http://" + address + u"/v1" + Text(endpoint);
  const bool slash_ends = !address.empty() && address.back() == u'/';
  return address.substr(0, address.size() - (slash_ends ? 1 : 0)) + Text(endpoint);
}

}  // namespace llmbridge
