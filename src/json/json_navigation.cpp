#include "json/json_navigation.h"

#include <cmath>
#include <limits>

#include "json/element_list.h"
#include "json/member_table.h"

namespace llmbridge {
namespace {

MemberTable* MembersOf(const JsonValue& value) {
  return value.kind == JsonKind::Object ? value.members : nullptr;
}

std::u16string_view ViewOf(const char16_t* stored) {
  return stored == nullptr ? std::u16string_view()
                           : std::u16string_view(stored, JsonTextLength(stored));
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
  const MemberTable* table = MembersOf(value);
  if (table == nullptr || table->current == nullptr) return std::u16string_view();
  return ViewOf(table->current->key);
}

bool CurrentMemberKeyIs(const JsonValue& value, std::u16string_view key) {
  const MemberTable* table = MembersOf(value);
  if (table == nullptr || table->current == nullptr) return false;
  return MemberKeyEquals(table->current->key, key.data(), key.size());
}

JsonValue* FindMember(JsonValue& value, const Text& key) {
  MemberTable* table = MembersOf(value);
  if (table == nullptr) return nullptr;
  MemberRecord* record = FindMemberRecord(*table, key.data(), key.size());
  return record == nullptr ? nullptr : &record->value;
}

Text GetString(const JsonValue& value) { return Text(BorrowString(value)); }

std::u16string_view BorrowString(const JsonValue& value) {
  if (value.kind != JsonKind::String || value.text == nullptr) return std::u16string_view();
  return std::u16string_view(value.text, value.text_length);
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
