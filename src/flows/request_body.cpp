#include "flows/request_body.h"

#include <utility>

#include "text/escaping.h"

namespace llmbridge {

RequestBody::RequestBody(const std::vector<OptionMember>& host_members)
    : host_members_(host_members) {}

Text* RequestBody::Member(std::u16string_view key) {
  for (const OptionMember& member : host_members_) {
    if (member.key == key) return nullptr;
  }
  if (body_.size() > 1) body_ += u", ";
  body_ += u'"';
  body_ += key;
  body_ += u"\": ";
  return &body_;
}

void RequestBody::Add(std::u16string_view key, const Text& value) {
  if (Text* body = Member(key)) *body += value;
}

Text RequestBody::Finish() {
  for (const OptionMember& member : host_members_) {
    if (body_.size() > 1) body_ += u", ";
    body_ += member.text;
  }
  body_ += u'}';
  return std::move(body_);
}

Text PreparePrompt(const Text& prompt) { return EscapeText(ReplaceText(prompt, u"\r\n", u" ")); }

}  // namespace llmbridge
