#include "json/json_parser.h"

#include <cstring>
#include <new>
#include <string>

#include "json/element_list.h"
#include "json/json_memory.h"
#include "json/json_slots.h"
#include "json/member_table.h"
#include "text/number_text.h"

namespace llmbridge {
namespace {

const char kEndOfInput[] = "Unexpected end of input";
const char kUnexpectedCharacter[] = "Unexpected character";
const char kInvalidNumber[] = "Invalid numeric value";
const char kInvalidEscape[] = "Invalid escape sequence";
const char kMemberNameExpected[] = "A member name (string) is expected";
const char kColonExpected[] = "Expected a ':' character";
const char kOutOfMemory[] = "Out of memory";
const char kNestingTooDeep[] = "Nesting too deep";
const char kInvalidSlot[] = "Invalid document slot";

constexpr size_t kTokenGrowth = 1024;

JsonError g_last_error = {nullptr, 0};

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool IsWhitespace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

int HexDigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// One parse: the reader over the caller's text, the pushed-back code unit, the first error and
// the token buffer shared by every string and number. Owns the tree until it is released.
class Parser {
 public:
  explicit Parser(const char16_t* text) : begin_(text), cursor_(text) {}
  ~Parser() {
    JsonFree(token_);
    FreeJsonDocument(root_);
  }
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  void ParseDocument();
  void Fail(const char* message);

  JsonValue* root() const { return root_; }
  JsonValue* ReleaseRoot() {
    JsonValue* root = root_;
    root_ = nullptr;
    return root;
  }
  bool failed() const { return error_ != nullptr; }
  JsonError error() const { return {error_, error_offset_}; }

 private:
  char16_t Read(bool end_allowed);
  char16_t SkipWhitespace(bool end_allowed);

  void ParseValue(char16_t first, JsonValue& value, int depth);
  void ParseLiteral(char16_t first, JsonValue& value);
  void ParseNumber(char16_t first, JsonValue& value);
  char16_t ReadDigitRun(char16_t c);
  void ParseString(JsonValue& value);
  bool ReadStringToken();
  char16_t ReadEscape();
  void ParseArray(JsonValue& value, int depth);
  void ParseObject(JsonValue& value, int depth);

  void ClearToken() {
    token_length_ = 0;
    token_[0] = 0;
  }
  bool AppendToken(char16_t c);
  // Length of the token up to its first NUL: what a string or key stores.
  size_t StoredTokenLength() const;

  const char16_t* begin_;
  const char16_t* cursor_;
  char16_t pushed_back_ = 0;  // 0: none
  size_t last_offset_ = 0;    // offset of the code unit read last
  const char* error_ = nullptr;
  size_t error_offset_ = 0;
  char16_t* token_ = nullptr;
  size_t token_length_ = 0;
  size_t token_capacity_ = 0;
  JsonValue* root_ = nullptr;
};

void Parser::Fail(const char* message) {
  if (error_ != nullptr) return;  // the first error wins
  error_ = message;
  error_offset_ = last_offset_;
}

char16_t Parser::Read(bool end_allowed) {
  if (error_ != nullptr) return 0;
  if (pushed_back_ != 0) {
    const char16_t c = pushed_back_;
    pushed_back_ = 0;
    return c;
  }
  last_offset_ = static_cast<size_t>(cursor_ - begin_);
  const char16_t c = *cursor_;
  if (c == 0) {
    if (!end_allowed) Fail(kEndOfInput);
    return 0;  // the cursor stays on the NUL, so every later read ends here too
  }
  ++cursor_;
  return c;
}

char16_t Parser::SkipWhitespace(bool end_allowed) {
  char16_t c;
  do {
    c = Read(end_allowed);
  } while (IsWhitespace(c));
  return c;
}

bool Parser::AppendToken(char16_t c) {
  // One unit stays free for the terminating NUL.
  if (token_length_ + 1 >= token_capacity_) {
    const size_t capacity = token_capacity_ + kTokenGrowth;
    if (capacity > SIZE_MAX / sizeof(char16_t)) {
      Fail(kOutOfMemory);
      return false;
    }
    // Reallocation lets the C library extend large buffers in place, so a long string does not
    // cost a copy per 1024 code units.
    auto* grown = static_cast<char16_t*>(JsonReallocate(token_, capacity * sizeof(char16_t)));
    if (grown == nullptr) {
      Fail(kOutOfMemory);
      return false;
    }
    std::memset(grown + token_capacity_, 0, kTokenGrowth * sizeof(char16_t));
    token_ = grown;
    token_capacity_ = capacity;
  }
  token_[token_length_++] = c;
  token_[token_length_] = 0;
  return true;
}

size_t Parser::StoredTokenLength() const { return std::char_traits<char16_t>::length(token_); }

void Parser::ParseDocument() {
  token_ = static_cast<char16_t*>(JsonAllocate(kTokenGrowth * sizeof(char16_t)));
  if (token_ == nullptr) return Fail(kOutOfMemory);
  std::memset(token_, 0, kTokenGrowth * sizeof(char16_t));
  token_capacity_ = kTokenGrowth;

  root_ = static_cast<JsonValue*>(JsonAllocate(sizeof(JsonValue)));
  if (root_ == nullptr) return Fail(kOutOfMemory);
  *root_ = MakeNullJsonValue();

  ParseValue(SkipWhitespace(false), *root_, 0);
  if (SkipWhitespace(true) != 0) Fail(kUnexpectedCharacter);
}

// `depth` counts the arrays and objects around `value`.
void Parser::ParseValue(char16_t first, JsonValue& value, int depth) {
  switch (first) {
    case u'"':
      return ParseString(value);
    case u'[':
      if (depth == kMaxJsonDepth) return Fail(kNestingTooDeep);
      return ParseArray(value, depth + 1);
    case u'{':
      if (depth == kMaxJsonDepth) return Fail(kNestingTooDeep);
      return ParseObject(value, depth + 1);
    case u't':
    case u'f':
    case u'n':
      return ParseLiteral(first, value);
    default:
      if (first == u'-' || IsDigit(first)) return ParseNumber(first, value);
      return Fail(kUnexpectedCharacter);
  }
}

void Parser::ParseLiteral(char16_t first, JsonValue& value) {
  const char16_t* word = first == u't' ? u"true" : first == u'f' ? u"false" : u"null";
  for (const char16_t* expected = word + 1; *expected != 0; ++expected) {
    if (Read(false) != *expected) return Fail(kUnexpectedCharacter);
  }
  ResetJsonValue(value);
  if (first != u'n') {
    value.kind = JsonKind::Boolean;
    value.integer = first == u't' ? 1 : 0;
  }
}

// Appends the digits from `c` on; returns the code unit that ended the run.
char16_t Parser::ReadDigitRun(char16_t c) {
  if (!IsDigit(c)) {
    Fail(kInvalidNumber);
    return 0;
  }
  do {
    if (!AppendToken(c)) return 0;
    c = Read(true);
  } while (IsDigit(c));
  return c;
}

void Parser::ParseNumber(char16_t first, JsonValue& value) {
  ClearToken();
  bool fractional = false;
  char16_t c = first;
  if (c == u'-') {
    AppendToken(c);
    c = Read(false);
  }
  c = ReadDigitRun(c);
  if (c == u'.') {
    AppendToken(c);
    fractional = true;
    c = ReadDigitRun(Read(false));
  }
  if (c == u'e' || c == u'E') {
    AppendToken(c);
    fractional = true;
    c = Read(false);
    if (c == u'+' || c == u'-') {
      AppendToken(c);
      c = Read(false);
    }
    c = ReadDigitRun(c);
  }
  if (failed()) return;
  pushed_back_ = c;  // at the end of the text this is 0, which pushes back nothing

  // The token is read in place: no copy per number.
  const std::u16string_view token(token_, token_length_);
  ResetJsonValue(value);
  value.kind = JsonKind::Number;
  if (fractional) {
    value.is_float = 1;
    value.real = ParseReal(token);
  } else {
    value.integer = ParseInteger(token);
  }
}

char16_t Parser::ReadEscape() {
  const char16_t letter = Read(false);
  switch (letter) {
    case u'"':
    case u'\\':
    case u'/':
      return letter;
    case u'b':
      return 8;
    case u'f':
      return 12;
    case u'n':
      return 10;
    case u'r':
      return 13;
    case u't':
      return 9;
    case u'u': {
      unsigned unit = 0;
      for (int i = 0; i < 4; ++i) {
        const int digit = HexDigitValue(Read(false));
        if (digit < 0) {
          Fail(kInvalidEscape);
          return 0;
        }
        unit = unit * 16 + static_cast<unsigned>(digit);
      }
      return static_cast<char16_t>(unit);
    }
    default:
      Fail(kInvalidEscape);
      return 0;
  }
}

// Reads a string whose opening quotation mark has been read into the token buffer.
bool Parser::ReadStringToken() {
  ClearToken();
  for (;;) {
    char16_t c = Read(false);
    if (c == u'"') return true;
    if (c == u'\\') c = ReadEscape();
    if (failed() || !AppendToken(c)) return false;
  }
}

void Parser::ParseString(JsonValue& value) {
  if (!ReadStringToken()) return;
  char16_t* text;
  if (!CopyJsonText(token_, StoredTokenLength(), &text)) return Fail(kOutOfMemory);
  ResetJsonValue(value);
  value.kind = JsonKind::String;
  value.text = text;
}

void Parser::ParseArray(JsonValue& value, int depth) {
  ElementList* list = NewElementList();
  if (list == nullptr) return Fail(kOutOfMemory);
  ResetJsonValue(value);
  value.kind = JsonKind::Array;
  value.elements = list;

  char16_t c = SkipWhitespace(false);
  if (c == u']') return;
  for (;;) {
    JsonValue* element = AppendElement(*list);
    if (element == nullptr) return Fail(kOutOfMemory);
    ParseValue(c, *element, depth);
    c = SkipWhitespace(false);
    if (c == u']' || failed()) return;
    if (c != u',') return Fail(kUnexpectedCharacter);
    c = SkipWhitespace(false);
  }
}

void Parser::ParseObject(JsonValue& value, int depth) {
  MemberTable* table = NewMemberTable();
  if (table == nullptr) return Fail(kOutOfMemory);
  ResetJsonValue(value);
  value.kind = JsonKind::Object;
  value.members = table;

  char16_t c = SkipWhitespace(false);
  if (c == u'}') return;
  for (;;) {
    if (c != u'"') return Fail(kMemberNameExpected);
    if (!ReadStringToken()) return;
    JsonValue* member = AddMember(*table, token_, StoredTokenLength());
    if (member == nullptr) return Fail(kOutOfMemory);
    if (SkipWhitespace(false) != u':') return Fail(kColonExpected);
    ParseValue(SkipWhitespace(false), *member, depth);
    c = SkipWhitespace(false);
    if (c == u'}' || failed()) return;
    if (c != u',') return Fail(kUnexpectedCharacter);
    c = SkipWhitespace(false);
  }
}

}  // namespace

int64_t ParseJson(int32_t slot, const Text& text) {
  Parser parser(text.c_str());
  try {
    parser.ParseDocument();
  } catch (const std::bad_alloc&) {
    // Reading a real number copies its token to narrow text; that copy is the only allocation
    // that can throw.
    parser.Fail(kOutOfMemory);
  }
  if (!parser.failed() && !StoreJsonDocument(slot, parser.root())) {
    parser.Fail(slot < 0 ? kInvalidSlot : kOutOfMemory);
  }
  g_last_error = parser.error();
  if (parser.failed()) return 0;  // the parser's destructor frees the tree
  parser.ReleaseRoot();
  return static_cast<int64_t>(slot) + 1;
}

JsonError LastJsonError() { return g_last_error; }

}  // namespace llmbridge
