#include "flows/response_walkers.h"

#include "api/library_state.h"
#include "json/json_navigation.h"

namespace llmbridge {
namespace {

// What distinguishes one walker from another; the traversal itself is shared.
struct WalkRules {
  void (*enter_object)(LibraryState& state);  // null: nothing
  const char16_t* kept_key;                   // null: every key is kept
  void (*keep)(LibraryState& state, std::u16string_view value);
};

// Keys and strings are read where the document holds them: a walk copies only what it keeps.
bool KeepsMember(const WalkRules& rules, const JsonValue& object) {
  return rules.kept_key == nullptr || BorrowMemberKey(object) == rules.kept_key;
}

// The recursion follows the nesting of the document, which the parser bounds.
void WalkTree(JsonValue* value, const WalkRules& rules) {
  LibraryState& state = GetLibraryState();
  if (rules.enter_object != nullptr) rules.enter_object(state);
  if (value == nullptr || !BeginMembers(*value)) return;
  while (NextMember(*value)) {
    JsonValue* member = MemberValue(*value);
    switch (GetKind(*member)) {
      case JsonKind::String:
        if (KeepsMember(rules, *value)) rules.keep(state, BorrowString(*member));
        break;
      case JsonKind::Array: {
        const int32_t size = ArraySize(*member);
        for (int32_t index = 0; index < size; ++index) {
          JsonValue* element = ArrayElement(*member, index);
          if (element != nullptr && GetKind(*element) == JsonKind::Object) WalkTree(element, rules);
        }
        break;
      }
      case JsonKind::Object:
        // Walking it moves only its own cursor: this object's iteration carries on after it.
        WalkTree(member, rules);
        break;
      case JsonKind::Null:
      case JsonKind::Number:
      case JsonKind::Boolean:
        break;
    }
  }
}

const WalkRules kContentRules = {
    [](LibraryState& state) { state.ChatReply.clear(); },
    u"content",
    [](LibraryState& state, std::u16string_view value) { state.ChatReply = value; },
};

const WalkRules kModelIdRules = {
    nullptr,
    u"id",
    [](LibraryState& state, std::u16string_view value) {
      if (state.ModelCount == 0) {
        state.ModelList = value;
        state.ModelCount = 1;
      } else {
        state.ModelList += u'\r';
        state.ModelList += value;
      }
    },
};

const WalkRules kLastStringRules = {
    nullptr,
    nullptr,
    [](LibraryState& state, std::u16string_view value) { state.ImageResult = value; },
};

}  // namespace

void CollectContent(JsonValue* root) { WalkTree(root, kContentRules); }

void CollectModelIds(JsonValue* root) { WalkTree(root, kModelIdRules); }

void CollectLastString(JsonValue* root) { WalkTree(root, kLastStringRules); }

}  // namespace llmbridge
