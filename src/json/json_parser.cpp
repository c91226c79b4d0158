#include "json/json_parser.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>

#include "json/element_list.h"
#include "json/json_memory.h"
#include "json/json_slots.h"
#include "json/member_table.h"
#include "text/number_text.h"

namespace llmbridge {

const char kJsonOutOfMemory[] = "Out of memory";

namespace {

const char kEndOfInput[] = "Unexpected end of input";
const char kUnexpectedCharacter[] = "Unexpected character";
const char kInvalidNumber[] = "Invalid numeric value";
const char kInvalidEscape[] = "Invalid escape sequence";
const char kMemberNameExpected[] = "A member name (string) is expected";
const char kColonExpected[] = "Expected a ':' character";
const char kNestingTooDeep[] = "Nesting too deep";
const char kInvalidSlot[] = "Invalid document slot";

constexpr size_t kFirstTokenCapacity = 1024;

JsonError g_last_error = {nullptr, 0};

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool IsWhitespace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

int HexDigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Whether one of the four code units packed in `word` ends a run of plain string content: a
// quotation mark, a backslash or a NUL. A unit equal to `c` is a zero unit in word ^ (c in every
// unit), and a word has a zero unit exactly when subtracting one from each unit borrows into a
// high bit that was clear.
bool MayEndPlainRun(uint64_t word) {
  constexpr uint64_t kEveryUnit = 0x0001000100010001u;
  constexpr uint64_t kHighBits = 0x8000800080008000u;
  const auto has_zero_unit = [](uint64_t units) {
    return (units - kEveryUnit) & ~units & kHighBits;
  };
  return (has_zero_unit(word) | has_zero_unit(word ^ (kEveryUnit * u'"')) |
          has_zero_unit(word ^ (kEveryUnit * u'\\'))) != 0;
}

// The first code unit from `p` on that ends a run of plain string content. `end` is the end of
// the text: whole words are read only before it, the units of the last word one at a time.
const char16_t* EndOfPlainRun(const char16_t* p, const char16_t* end) {
  for (; end - p >= 4; p += 4) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    if (MayEndPlainRun(word)) break;
  }
  while (*p != u'"' && *p != u'\\' && *p != 0) ++p;
  return p;
}

// One parse: the cursor over the caller's text, the first error and the token buffer that holds
// strings with escape sequences. Owns the document until it is released.
//
// The cursor stands on the next code unit to read. An error is reported at the code unit the
// parser stood on when it found the error: the unit it could not accept, the NUL that ended the
// text too early, or the last unit read when storage ran out.
class Parser {
 public:
  explicit Parser(const Text& text)
      : begin_(text.c_str()), end_(begin_ + text.size()), cursor_(begin_) {}
  ~Parser() {
    JsonFree(token_);
    FreeJsonDocument(document_);
  }
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  void ParseDocument();
  // Reports an error at the cursor.
  void Fail(const char* message) { FailAt(message, cursor_); }

  JsonDocument* document() const { return document_; }
  void ReleaseDocument() { document_ = nullptr; }
  bool failed() const { return error_ != nullptr; }
  JsonError error() const { return {error_, error_offset_}; }

 private:
  void FailAt(const char* message, const char16_t* at);

  void SkipWhitespace() {
    while (IsWhitespace(*cursor_)) ++cursor_;
  }
  bool OpensEmpty(char16_t close);
  bool AnotherItemFollows(char16_t close);

  void ParseValue(JsonValue& value, int depth);
  void ParseLiteral(JsonValue& value);
  void ParseNumber(JsonValue& value);
  bool SkipDigits(const char16_t*& p);
  void ParseString(JsonValue& value);
  bool ReadString(std::u16string_view* content);
  bool ReadEscape(char16_t* unit);
  // Appends `count` units to the token buffer, growing it as needed; `at` is where the parser
  // stands, for the error when storage runs out. Inline: strings with escape sequences append
  // each run and each escaped unit.
  bool AppendToken(const char16_t* units, size_t count, const char16_t* at) {
    if (count == 0) return true;
    if (count > token_capacity_ - token_length_ && !GrowToken(count, at)) return false;
    std::memcpy(token_ + token_length_, units, count * sizeof(char16_t));
    token_length_ += count;
    return true;
  }
  // Makes room for `count` more units in the token buffer.
  bool GrowToken(size_t count, const char16_t* at);
  void ParseArray(JsonValue& value, int depth);
  void ParseObject(JsonValue& value, int depth);

  const char16_t* begin_;
  const char16_t* end_;  // the text's terminating NUL
  const char16_t* cursor_;
  const char* error_ = nullptr;
  size_t error_offset_ = 0;
  char16_t* token_ = nullptr;
  size_t token_length_ = 0;
  size_t token_capacity_ = 0;
  JsonDocument* document_ = nullptr;
};

void Parser::FailAt(const char* message, const char16_t* at) {
  if (error_ != nullptr) return;  // the first error wins
  error_ = message;
  error_offset_ = static_cast<size_t>(at - begin_);
}

// With the cursor on an opening bracket or brace: reads it and the whitespace after it, and then
// `close` too if it follows at once.
bool Parser::OpensEmpty(char16_t close) {
  ++cursor_;
  SkipWhitespace();
  if (*cursor_ != close) return false;
  ++cursor_;
  return true;
}

// After an element or member: true when a comma announces another, whose whitespace is then
// skipped; false once `close` has been read, or on an error.
bool Parser::AnotherItemFollows(char16_t close) {
  SkipWhitespace();
  const char16_t c = *cursor_;
  if (c == close) {
    ++cursor_;
    return false;
  }
  if (c != u',') {
    Fail(c == 0 ? kEndOfInput : kUnexpectedCharacter);
    return false;
  }
  ++cursor_;
  SkipWhitespace();
  return true;
}

bool Parser::GrowToken(size_t count, const char16_t* at) {
  // Doubling keeps the reallocations of a long string few, and reallocation lets the C library
  // extend large buffers in place.
  const size_t needed = token_length_ + count;
  size_t capacity = token_capacity_ == 0 ? kFirstTokenCapacity : token_capacity_ * 2;
  if (capacity < needed) capacity = needed;
  auto* grown = capacity > SIZE_MAX / sizeof(char16_t)
                    ? nullptr
                    : static_cast<char16_t*>(JsonReallocate(token_, capacity * sizeof(char16_t)));
  if (grown == nullptr) {
    FailAt(kJsonOutOfMemory, at);
    return false;
  }
  token_ = grown;
  token_capacity_ = capacity;
  return true;
}

void Parser::ParseDocument() {
  // Every text the document stores, terminator included, takes no more units than its quoted
  // form in the text, so the text's length bounds the arena.
  document_ = NewJsonDocument(static_cast<size_t>(end_ - begin_));
  if (document_ == nullptr) return Fail(kJsonOutOfMemory);

  SkipWhitespace();
  ParseValue(document_->root, 0);
  if (failed()) return;
  SkipWhitespace();
  if (*cursor_ != 0) Fail(kUnexpectedCharacter);
}

// `depth` counts the arrays and objects around `value`. `value` is Null, so the Parse functions
// only fill it in: it is the document's root, a new element or member, or the member of a
// repeated key, which AddMember has reset.
void Parser::ParseValue(JsonValue& value, int depth) {
  const char16_t first = *cursor_;
  switch (first) {
    case u'"':
      ++cursor_;
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
      return ParseLiteral(value);
    case 0:
      return Fail(kEndOfInput);
    default:
      if (first == u'-' || IsDigit(first)) return ParseNumber(value);
      return Fail(kUnexpectedCharacter);
  }
}

void Parser::ParseLiteral(JsonValue& value) {
  const char16_t first = *cursor_;
  const char16_t* word = first == u't' ? u"true" : first == u'f' ? u"false" : u"null";
  size_t length = 1;
  for (; word[length] != 0; ++length) {
    // A mismatch stops the comparison, so it never reads past the text's NUL.
    const char16_t c = cursor_[length];
    if (c != word[length])
      return FailAt(c == 0 ? kEndOfInput : kUnexpectedCharacter, cursor_ + length);
  }
  cursor_ += length;
  if (first != u'n') {
    value.kind = JsonKind::Boolean;
    value.integer = first == u't' ? 1 : 0;
  }
}

// Moves `p` past the digits it stands on; there must be at least one.
bool Parser::SkipDigits(const char16_t*& p) {
  if (!IsDigit(*p)) {
    FailAt(*p == 0 ? kEndOfInput : kInvalidNumber, p);
    return false;
  }
  do {
    ++p;
  } while (IsDigit(*p));
  return true;
}

void Parser::ParseNumber(JsonValue& value) {
  const char16_t* p = cursor_;
  bool fractional = false;
  if (*p == u'-') ++p;
  if (!SkipDigits(p)) return;
  if (*p == u'.') {
    fractional = true;
    if (!SkipDigits(++p)) return;
  }
  if (*p == u'e' || *p == u'E') {
    fractional = true;
    ++p;
    if (*p == u'+' || *p == u'-') ++p;
    if (!SkipDigits(p)) return;
  }
  // The number is read where it stands in the text: no copy per number.
  const std::u16string_view token(cursor_, static_cast<size_t>(p - cursor_));
  cursor_ = p;
  value.kind = JsonKind::Number;
  if (fractional) {
    value.is_float = 1;
    value.real = ParseReal(token);
  } else {
    value.integer = ParseInteger(token);
  }
}

// With the cursor on a backslash: resolves the escape sequence and moves past it.
bool Parser::ReadEscape(char16_t* unit) {
  const char16_t* letter = cursor_ + 1;
  switch (*letter) {
    case u'"':
    case u'\\':
    case u'/':
      *unit = *letter;
      break;
    case u'b':
      *unit = 8;
      break;
    case u'f':
      *unit = 12;
      break;
    case u'n':
      *unit = 10;
      break;
    case u'r':
      *unit = 13;
      break;
    case u't':
      *unit = 9;
      break;
    case u'u': {
      unsigned value = 0;
      for (const char16_t* digit = letter + 1; digit != letter + 5; ++digit) {
        const int digit_value = HexDigitValue(*digit);
        if (digit_value < 0) {
          FailAt(*digit == 0 ? kEndOfInput : kInvalidEscape, digit);
          return false;
        }
        value = value * 16 + static_cast<unsigned>(digit_value);
      }
      *unit = static_cast<char16_t>(value);
      cursor_ = letter + 5;
      return true;
    }
    default:
      FailAt(*letter == 0 ? kEndOfInput : kInvalidEscape, letter);
      return false;
  }
  cursor_ = letter + 1;
  return true;
}

// Reads a string whose opening quotation mark has been read, up to and with its closing one.
// `content` is what the string stores: the code units before the first NUL an escape sequence
// gives. Content without escape sequences is read where it stands in the text; the rest is
// resolved into the token buffer.
bool Parser::ReadString(std::u16string_view* content) {
  const char16_t* run_end = EndOfPlainRun(cursor_, end_);
  if (*run_end == u'"') {
    *content = std::u16string_view(cursor_, static_cast<size_t>(run_end - cursor_));
    cursor_ = run_end + 1;
    return true;
  }
  token_length_ = 0;
  bool cut = false;  // a NUL has ended the content; the rest is still read
  for (;;) {
    const size_t run_length = static_cast<size_t>(run_end - cursor_);
    if (!cut && !AppendToken(cursor_, run_length, run_end - 1)) return false;
    cursor_ = run_end;
    if (*cursor_ == u'"') break;
    if (*cursor_ == 0) {
      Fail(kEndOfInput);
      return false;
    }
    char16_t unit;
    if (!ReadEscape(&unit)) return false;
    cut = cut || unit == 0;
    if (!cut && !AppendToken(&unit, 1, cursor_ - 1)) return false;
    run_end = EndOfPlainRun(cursor_, end_);
  }
  ++cursor_;
  *content = std::u16string_view(token_, token_length_);
  return true;
}

void Parser::ParseString(JsonValue& value) {
  std::u16string_view content;
  if (!ReadString(&content)) return;
  // A value keeps its length in 32 bits; a longer string could not be stored anyway where the
  // library runs as a 32-bit DLL, and answers come from texts of fewer than 2^31 bytes.
  char16_t* text;
  if (content.size() > UINT32_MAX ||
      !document_->texts.Copy(content.data(), content.size(), &text)) {
    return FailAt(kJsonOutOfMemory, cursor_ - 1);
  }
  value.kind = JsonKind::String;
  value.text = text;
  value.text_length = static_cast<uint32_t>(content.size());
}

void Parser::ParseArray(JsonValue& value, int depth) {
  ElementList* list = NewElementList();
  if (list == nullptr) return Fail(kJsonOutOfMemory);
  value.kind = JsonKind::Array;
  value.elements = list;

  if (OpensEmpty(u']')) return;
  do {
    // The end of the text is found before storage for another element is taken.
    if (*cursor_ == 0) return Fail(kEndOfInput);
    JsonValue* element = AppendElement(*list);
    if (element == nullptr) return Fail(kJsonOutOfMemory);
    ParseValue(*element, depth);
  } while (!failed() && AnotherItemFollows(u']'));
}

void Parser::ParseObject(JsonValue& value, int depth) {
  MemberTable* table = NewMemberTable();
  if (table == nullptr) return Fail(kJsonOutOfMemory);
  value.kind = JsonKind::Object;
  value.members = table;

  if (OpensEmpty(u'}')) return;
  do {
    if (*cursor_ != u'"') return Fail(*cursor_ == 0 ? kEndOfInput : kMemberNameExpected);
    ++cursor_;
    std::u16string_view key;
    if (!ReadString(&key)) return;
    JsonValue* member = AddMember(*table, key.data(), key.size(), document_->texts);
    if (member == nullptr) return FailAt(kJsonOutOfMemory, cursor_ - 1);
    SkipWhitespace();
    if (*cursor_ != u':') return Fail(*cursor_ == 0 ? kEndOfInput : kColonExpected);
    ++cursor_;
    SkipWhitespace();
    ParseValue(*member, depth);
  } while (!failed() && AnotherItemFollows(u'}'));
}

}  // namespace

int64_t ParseJson(int32_t slot, const Text& text) {
  Parser parser(text);
  try {
    parser.ParseDocument();
  } catch (const std::bad_alloc&) {
    // Reading a real number copies its token to narrow text; that copy is the only allocation
    // that can throw. The cursor stands after the number.
    parser.Fail(kJsonOutOfMemory);
  }
  if (!parser.failed() && !StoreJsonDocument(slot, parser.document())) {
    parser.Fail(slot < 0 ? kInvalidSlot : kJsonOutOfMemory);
  }
  g_last_error = parser.error();
  if (parser.failed()) return 0;  // the parser's destructor frees the document
  parser.ReleaseDocument();
  return static_cast<int64_t>(slot) + 1;
}

JsonError LastJsonError() { return g_last_error; }

}  // namespace llmbridge
