#include "flows/proxy_option.h"

#include "flows/header_option.h"

namespace llmbridge {

bool ReadProxyOption(const Text& text, Text& reason) {
  if (text == u"none" || text == u"system") return true;
  reason = u"the proxy \"" + text + u"\" is not none, system or a URL such as http://host:port";
  for (const char16_t c : text) {
    if (c <= u' ' || c == 0x7F) return false;
  }
  const size_t separator = text.find(u"://");
  if (separator == Text::npos || separator + 3 >= text.size()) return false;
  const Text scheme = text.substr(0, separator);
  for (const char16_t* known : {u"http", u"https", u"socks4", u"socks4a", u"socks5", u"socks5h"}) {
    if (SameHeaderName(scheme, known)) {
      reason.clear();
      return true;
    }
  }
  return false;
}

}  // namespace llmbridge
