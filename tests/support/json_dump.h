// A document written out as text that tells apart everything a parse can store: kinds, the float
// flag and the bits of reals, every code unit of strings and keys, and the visiting order of
// members. Two parses built the same document exactly when their dumps are equal.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "json/json_navigation.h"
#include "text/number_text.h"

namespace llmbridge::testing {

// Strings and keys are written with their length first, so no content can pass for markup.
inline Text DumpJsonText(std::u16string_view text) {
  return FormatInteger(static_cast<int64_t>(text.size())) + u":" + Text(text);
}

inline Text DumpJson(JsonValue& value) {
  switch (GetKind(value)) {
    case JsonKind::Null:
      return u"null";
    case JsonKind::Boolean:
      return GetBoolean(value) ? u"true" : u"false";
    case JsonKind::Number: {
      if (!value.is_float) return u"i" + FormatInteger(value.integer);
      int64_t bits;
      std::memcpy(&bits, &value.real, sizeof bits);
      return u"r" + FormatInteger(bits);
    }
    case JsonKind::String:
      return u"s" + DumpJsonText(BorrowString(value));
    case JsonKind::Array: {
      Text dump = u"[";
      for (int32_t i = 0; i < ArraySize(value); ++i)
        dump += DumpJson(*ArrayElement(value, i)) + u",";
      return dump + u"]";
    }
    case JsonKind::Object: {
      Text dump = u"{";
      BeginMembers(value);
      while (NextMember(value)) {
        dump += DumpJsonText(BorrowMemberKey(value)) + u"=" + DumpJson(*MemberValue(value)) + u",";
      }
      return dump + u"}";
    }
  }
  return u"?";
}

}  // namespace llmbridge::testing
