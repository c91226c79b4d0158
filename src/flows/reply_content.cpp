#include "flows/reply_content.h"

#include "flows/answer_reading.h"

namespace llmbridge {

bool ReadDocumentedContent(JsonValue* root, Text& reply) {
  JsonValue* message = MemberOf(ElementOf(MemberOf(root, u"choices"), 0), u"message");
  JsonValue* content = MemberOf(message, u"content");
  if (IsKind(content, JsonKind::String)) {
    reply = GetString(*content);
    return true;
  }
  if (!IsKind(content, JsonKind::Array)) return false;
  Text joined;
  for (int32_t i = 0; i < ArraySize(*content); ++i) {
    JsonValue* part = ArrayElement(*content, i);
    if (StringOf(MemberOf(part, u"type")) == u"text") joined += StringOf(MemberOf(part, u"text"));
  }
  reply.swap(joined);
  return true;
}

}  // namespace llmbridge
