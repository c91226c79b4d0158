#include "flows/response_walkers.h"

#include "json/json_navigation.h"
#include "state/library_state.h"

namespace llmbridge {
namespace {

// What distinguishes one walker from another; the traversal itself is shared.
struct WalkRules {
  bool forgets_on_object;        // entering an object forgets the string kept so far
  std::u16string_view kept_key;  // empty: every key is kept
  // Called for every string kept; null when only the last one counts, which then replaces
  // `result` once the walk is over.
  void (*add)(LibraryState& state, std::u16string_view value);
  Text LibraryState::*result;
};

// One walk over a document. Keys and strings are read where the document holds them; when only
// the last string counts, the walk remembers where it stands and copies it once, at the end.
class Walk {
 public:
  Walk(const WalkRules& rules, LibraryState& state) : rules_(rules), state_(state) {}

  void Run(JsonValue* root) {
    Visit(root);
    if (replaces_result_) state_.*rules_.result = last_ == nullptr ? u"" : BorrowString(*last_);
  }

 private:
  // The recursion follows the nesting of the document, which the parser bounds.
  void Visit(JsonValue* value) {
    if (rules_.forgets_on_object) Forget();
    if (value == nullptr || !BeginMembers(*value)) return;
    while (NextMember(*value)) {
      JsonValue* member = MemberValue(*value);
      switch (GetKind(*member)) {
        case JsonKind::String:
          if (rules_.kept_key.empty() || CurrentMemberKeyIs(*value, rules_.kept_key)) Keep(*member);
          break;
        case JsonKind::Array: {
          const int32_t size = ArraySize(*member);
          for (int32_t index = 0; index < size; ++index) {
            JsonValue* element = ArrayElement(*member, index);
            if (element != nullptr && GetKind(*element) == JsonKind::Object) Visit(element);
          }
          break;
        }
        case JsonKind::Object:
          // Visiting it moves only its own cursor: this object's iteration carries on after it.
          Visit(member);
          break;
        case JsonKind::Null:
        case JsonKind::Number:
        case JsonKind::Boolean:
          break;
      }
    }
  }

  void Forget() {
    last_ = nullptr;
    replaces_result_ = true;
  }

  void Keep(const JsonValue& string) {
    if (rules_.add != nullptr) return rules_.add(state_, BorrowString(string));
    last_ = &string;
    replaces_result_ = true;
  }

  const WalkRules& rules_;
  LibraryState& state_;
  const JsonValue* last_ = nullptr;  // the last string kept, or null once forgotten
  bool replaces_result_ = false;     // whether the walk kept or forgot anything
};

const WalkRules kContentRules = {true, u"content", nullptr, &LibraryState::ChatReply};

const WalkRules kModelIdRules = {
    false,
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
    nullptr,
};

const WalkRules kLastStringRules = {false, u"", nullptr, &LibraryState::ImageResult};

void WalkWith(const WalkRules& rules, JsonValue* root) { Walk(rules, GetLibraryState()).Run(root); }

}  // namespace

void CollectContent(JsonValue* root) { WalkWith(kContentRules, root); }

Text ContentOf(JsonValue* root) {
  LibraryState scratch;
  Walk(kContentRules, scratch).Run(root);
  return scratch.ChatReply;
}

void CollectModelIds(JsonValue* root) { WalkWith(kModelIdRules, root); }

void CollectLastString(JsonValue* root) { WalkWith(kLastStringRules, root); }

}  // namespace llmbridge
