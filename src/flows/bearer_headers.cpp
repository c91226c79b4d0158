#include "flows/bearer_headers.h"

#include "flows/header_option.h"

namespace llmbridge {

HeaderMap BearerHeaders(const Text& api_key, bool json_body,
                        const std::vector<OptionHeader>& extra) {
  const auto replaced = [&extra](const Text& name) {
    for (const OptionHeader& header : extra) {
      if (SameHeaderName(header.name, name)) return true;
    }
    return false;
  };
  HeaderMap headers(512);
  if (json_body && !replaced(u"content-type"))
    headers.SetHeader(u"content-type", u"application/json");
  if (!replaced(u"Authorization")) headers.SetHeader(u"Authorization", u"Bearer " + api_key);
  for (const OptionHeader& header : extra) headers.SetHeader(header.name, header.value);
  return headers;
}

}  // namespace llmbridge
