// A JSON request body built member by member, with a host's own members after the library's, and
// the host's prompt as a body carries it.
#pragma once

#include <string_view>
#include <vector>

#include "state/host_options.h"
#include "text/text.h"

namespace llmbridge {

// Makes "{" + members joined by ", " + "}", each member written "\"key\": value". The host's
// members (the body or imagebody option) follow the library's, as the host wrote them and in
// their order; a library member whose key the host's members have is left out, so that each key
// appears once. Without host members the body is exactly the library's.
class RequestBody {
 public:
  explicit RequestBody(const std::vector<OptionMember>& host_members);

  // Starts the member `key` and returns the body for its value to be appended to, or null when
  // the host's members set `key` (the caller then writes nothing).
  Text* Member(std::u16string_view key);
  // Member() followed by the value.
  void Add(std::u16string_view key, const Text& value);
  // The finished body; the builder is left empty.
  Text Finish();

 private:
  const std::vector<OptionMember>& host_members_;
  Text body_ = u"{";
};

// Makes a prompt fit between the quotes of a JSON string. Each CR LF pair becomes one space
// first, so a backslash in the prompt can never combine with an escaped line break.
Text PreparePrompt(const Text& prompt);

}  // namespace llmbridge
