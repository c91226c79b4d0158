#include "json/json_navigation.h"

#include <cmath>
#include <limits>

#include "json/undecoded_string.h"

namespace llmbridge {
namespace {

const JsonMember* CurrentMemberOf(const JsonValue& value) {
  return value.kind == JsonKind::Object ? CurrentMember(*value.object) : nullptr;
}

int32_t TruncateToInt32(double real) {
  constexpr int32_t kOutOfRange = std::numeric_limits<int32_t>::min();
  if (std::isnan(real)) return kOutOfRange;
  const double truncated = std::trunc(real);
  if (truncated < -2147483648.0 || truncated > 2147483647.0) return kOutOfRange;
  return static_cast<int32_t>(truncated);
}

}  // namespace

Text MemberKey(const JsonValue& value) { return Text(BorrowMemberKey(value)); }

std::u16string_view BorrowMemberKey(const JsonValue& value) {
  const JsonMember* member = CurrentMemberOf(value);
  if (member == nullptr || member->key->length == 0) return std::u16string_view();
  return std::u16string_view(member->key->units(), member->key->length);
}

bool CurrentMemberKeyIs(const JsonValue& value, std::u16string_view key) {
  const JsonMember* member = CurrentMemberOf(value);
  return member != nullptr && MemberKeyIs(*member, key.data(), key.size());
}

JsonValue* FindMember(JsonValue& value, const Text& key) {
  if (value.kind != JsonKind::Object) return nullptr;
  JsonMember* member = FindObjectMember(*value.object, key.data(), key.size());
  return member == nullptr ? nullptr : &member->value;
}

Text GetString(const JsonValue& value) { return Text(BorrowString(value)); }

std::u16string_view BorrowString(const JsonValue& value) {
  if (value.kind != JsonKind::String || value.length == 0) return std::u16string_view();
  // Decoding leaves the content as it was; only its form changes, once. Values are never const
  // objects: every document is built in storage of its own.
  if (value.form == StringForm::Inline) return std::u16string_view(value.units, value.length);
  if (value.form == StringForm::Undecoded) DecodeUndecodedString(const_cast<JsonValue&>(value));
  return std::u16string_view(value.text, value.length);
}

int32_t GetInteger(const JsonValue& value) {
  if (value.kind == JsonKind::Boolean) return static_cast<int32_t>(value.integer);
  if (value.kind != JsonKind::Number) return 0;
  if (value.is_float) return TruncateToInt32(value.real);
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value.integer)));
}

int32_t GetBoolean(const JsonValue& value) {
  return value.kind == JsonKind::Boolean ? static_cast<int32_t>(value.integer) : 0;
}

}  // namespace llmbridge
