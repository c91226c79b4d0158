#include "flows/server_address.h"

namespace llmbridge {

namespace {

// Whether `text` begins with `scheme`, which is lower case, in any letter case.
bool StartsWithScheme(const Text& text, std::u16string_view scheme) {
  if (text.size() < scheme.size()) return false;
  for (size_t i = 0; i < scheme.size(); ++i) {
    const char16_t unit = text[i];
    const char16_t lower = unit >= u'A' && unit <= u'Z' ? unit + (u'a' - u'A') : unit;
    if (lower != scheme[i]) return false;
  }
  return true;
}

}  // namespace

bool IsBaseUrl(const Text& address) {
  return StartsWithScheme(address, u"http://") || StartsWithScheme(address, u"https://");
}

Text EndpointUrl(const Text& address, std::u16string_view endpoint) {
  if (!IsBaseUrl(address)) return u"http://" + address + u"/v1" + Text(endpoint);
  const bool slash_ends = !address.empty() && address.back() == u'/';
  return address.substr(0, address.size() - (slash_ends ? 1 : 0)) + Text(endpoint);
}

}  // namespace llmbridge
