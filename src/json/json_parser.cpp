#include "json/json_parser.h"

#include <cstdint>
#include <cstring>
#include <iterator>
#include <new>
#include <string_view>
#include <type_traits>

#include "json/escape_letters.h"
#include "json/json_memory.h"
#include "json/json_object.h"
#include "json/json_slots.h"
#include "json/member_order.h"
#include "json/plain_run.h"
#include "json/segmented_stack.h"
#include "json/stored_keys.h"
#include "json/undecoded_string.h"
#include "json/vector_string_decoder.h"
#include "text/number_text.h"
#include "text/utf8_codec.h"
#include "text/utf8_sequence.h"

namespace llmbridge {

namespace {

constexpr JsonErrorCode kEndOfInput = JsonErrorCode::EndOfInput;
constexpr JsonErrorCode kUnexpectedCharacter = JsonErrorCode::UnexpectedCharacter;
constexpr JsonErrorCode kInvalidNumber = JsonErrorCode::InvalidNumber;
constexpr JsonErrorCode kInvalidEscape = JsonErrorCode::InvalidEscape;
constexpr JsonErrorCode kMemberNameExpected = JsonErrorCode::MemberNameExpected;
constexpr JsonErrorCode kColonExpected = JsonErrorCode::ColonExpected;
constexpr JsonErrorCode kNestingTooDeep = JsonErrorCode::NestingTooDeep;
constexpr JsonErrorCode kInvalidSlot = JsonErrorCode::InvalidSlot;
constexpr JsonErrorCode kOutOfMemory = JsonErrorCode::OutOfMemory;

constexpr size_t kFirstTokenCapacity = 1024;

// What the arena of a document parsed from `units` code units is expected to hold, in UTF-16
// units: a text takes no more units than its quoted form, and an element or member, with its
// separator, at most six units per code unit of the input.
constexpr size_t kArenaUnitsPerInputUnit = 6;

// Storage for the members of an object whose members span two segments of the parser's stack,
// side by side as closing the object needs them. Grows to the largest such object; owns its
// storage.
class MemberSpill {
 public:
  MemberSpill() = default;
  ~MemberSpill() { JsonFree(members_); }
  MemberSpill(const MemberSpill&) = delete;
  MemberSpill& operator=(const MemberSpill&) = delete;

  // Room for `count` members; null when storage cannot be had.
  JsonMember* Room(size_t count) {
    if (count <= capacity_) return members_;
    if (count > SIZE_MAX / sizeof(JsonMember)) return nullptr;
    auto* grown = static_cast<JsonMember*>(JsonAllocate(count * sizeof(JsonMember)));
    if (grown == nullptr) return nullptr;
    JsonFree(members_);
    members_ = grown;
    capacity_ = count;
    return members_;
  }

 private:
  JsonMember* members_ = nullptr;
  size_t capacity_ = 0;
};

// The parser reads UTF-16 text (char16_t) or UTF-8 bytes (char). Everything it looks at outside
// string content is ASCII, which both spell alike; a byte of a multi-byte sequence compares
// unequal to every ASCII character, as the UTF-16 unit decoded from it does.
template <typename Unit>
bool IsDigit(Unit c) {
  return c >= '0' && c <= '9';
}

template <typename Unit>
bool IsWhitespace(Unit c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// One parse: the cursor over the caller's input, the first error and the token buffer that
// holds the strings that cannot be read where they stand. Owns the document until it is
// released.
//
// The cursor stands on the next code unit to read. An error is reported at the code unit the
// parser stood on when it found the error: the unit it could not accept, the NUL that ended the
// input too early, or the last unit read when storage ran out.
template <typename Unit>
class Parser {
 public:
  // `end` is the input's terminating NUL. `cut` is `end`, or, in UTF-8, the lead byte of a last
  // sequence cut short by the end, which decodes with everything after it to one U+FFFD.
  Parser(const Unit* begin, const Unit* end, const Unit* cut)
      : begin_(begin), end_(end), cut_(cut), cursor_(begin) {}
  ~Parser() {
    JsonFree(token_);
    FreeJsonDocument(document_);
  }
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  void ParseDocument();
  // Reports an error at the cursor.
  void Fail(JsonErrorCode code) { FailAt(code, cursor_); }

  JsonDocument* document() const { return document_; }
  void ReleaseDocument() { document_ = nullptr; }
  bool failed() const { return error_ != JsonErrorCode::None; }
  JsonError error() const { return {error_, error_offset_}; }

 private:
  using View = std::basic_string_view<Unit>;

  void FailAt(JsonErrorCode code, const Unit* at);

  void SkipWhitespace() {
    while (IsWhitespace(*cursor_)) ++cursor_;
  }
  bool OpensEmpty(char close);
  // Inline: it follows every element and member.
  [[gnu::always_inline]] inline bool AnotherItemFollows(char close);

  void ParseValue(JsonValue& value, int depth);
  void ParseLiteral(JsonValue& value);
  void ParseNumber(JsonValue& value);
  // Inline: a number is read by two or three calls, their loops short.
  [[gnu::always_inline]] inline bool SkipDigits(const Unit*& p, uint64_t* value);
  void ParseString(JsonValue& value);
  void ParseDecodedString(JsonValue& value);
  bool ReadString(std::u16string_view* content);
  bool SkipRestOfString();
  const Unit* ReadEscape(const Unit* backslash, char16_t* unit);
  // Makes room for `count` more units after the first `used` of the token buffer; `at` is where
  // the parser stands, for the error when storage runs out. Inline: strings append often.
  bool ReserveToken(size_t used, size_t count, const Unit* at) {
    return count <= token_capacity_ - used || GrowToken(used + count, at);
  }
  bool GrowToken(size_t needed, const Unit* at);
  void ParseArray(JsonValue& value, int depth);
  void ParseObject(JsonValue& value, int depth);
  bool ReadKey(const JsonKey** key);
  void CloseObject(JsonValue& value, size_t first);

  const Unit* begin_;
  const Unit* end_;
  const Unit* cut_;
  const Unit* cursor_;
  JsonErrorCode error_ = JsonErrorCode::None;
  size_t error_offset_ = 0;
  char16_t* token_ = nullptr;
  size_t token_capacity_ = 0;
  SegmentedStack<JsonValue> elements_;
  SegmentedStack<JsonMember> members_;
  MemberSpill member_spill_;
  RepeatedKeys repeated_keys_;
  StoredKeys stored_keys_;
  JsonDocument* document_ = nullptr;
};

template <typename Unit>
void Parser<Unit>::FailAt(JsonErrorCode code, const Unit* at) {
  if (failed()) return;  // the first error wins
  error_ = code;
  error_offset_ = static_cast<size_t>(at - begin_);
}

// With the cursor on an opening bracket or brace: reads it and the whitespace after it, and then
// `close` too if it follows at once.
template <typename Unit>
bool Parser<Unit>::OpensEmpty(char close) {
  ++cursor_;
  SkipWhitespace();
  if (*cursor_ != close) return false;
  ++cursor_;
  return true;
}

// After an element or member: true when a comma announces another, whose whitespace is then
// skipped; false once `close` has been read, or on an error.
template <typename Unit>
inline bool Parser<Unit>::AnotherItemFollows(char close) {
  SkipWhitespace();
  const Unit c = *cursor_;
  if (c == close) {
    ++cursor_;
    return false;
  }
  if (c != ',') {
    Fail(c == 0 ? kEndOfInput : kUnexpectedCharacter);
    return false;
  }
  ++cursor_;
  SkipWhitespace();
  return true;
}

template <typename Unit>
bool Parser<Unit>::GrowToken(size_t needed, const Unit* at) {
  // Doubling keeps the reallocations of a long string few, and reallocation lets the C library
  // extend large buffers in place.
  size_t capacity = token_capacity_ == 0 ? kFirstTokenCapacity : token_capacity_ * 2;
  if (capacity < needed) capacity = needed;
  auto* grown = capacity > SIZE_MAX / sizeof(char16_t)
                    ? nullptr
                    : static_cast<char16_t*>(JsonReallocate(token_, capacity * sizeof(char16_t)));
  if (grown == nullptr) {
    FailAt(kOutOfMemory, at);
    return false;
  }
  token_ = grown;
  token_capacity_ = capacity;
  return true;
}

template <typename Unit>
void Parser<Unit>::ParseDocument() {
  const auto units = static_cast<size_t>(end_ - begin_);
  document_ = NewJsonDocument(
      units < SIZE_MAX / kArenaUnitsPerInputUnit ? units * kArenaUnitsPerInputUnit + 64 : SIZE_MAX);
  if (document_ == nullptr) return Fail(kOutOfMemory);

  SkipWhitespace();
  ParseValue(document_->root, 0);
  if (failed()) return;
  SkipWhitespace();
  if (*cursor_ != 0) Fail(kUnexpectedCharacter);
}

// `depth` counts the arrays and objects around `value`. `value` is Null, so the Parse functions
// only fill it in: it is the document's root or a new element or member.
template <typename Unit>
void Parser<Unit>::ParseValue(JsonValue& value, int depth) {
  const Unit first = *cursor_;
  switch (first) {
    case '"':
      ++cursor_;
      return ParseString(value);
    case '[':
      if (depth == kMaxJsonDepth) return Fail(kNestingTooDeep);
      return ParseArray(value, depth + 1);
    case '{':
      if (depth == kMaxJsonDepth) return Fail(kNestingTooDeep);
      return ParseObject(value, depth + 1);
    case 't':
    case 'f':
    case 'n':
      return ParseLiteral(value);
    case 0:
      return Fail(kEndOfInput);
    default:
      if (first == '-' || IsDigit(first)) return ParseNumber(value);
      return Fail(kUnexpectedCharacter);
  }
}

template <typename Unit>
void Parser<Unit>::ParseLiteral(JsonValue& value) {
  const Unit first = *cursor_;
  const char* word = first == 't' ? "true" : first == 'f' ? "false" : "null";
  size_t length = 1;
  for (; word[length] != 0; ++length) {
    // A mismatch stops the comparison, so it never reads past the input's NUL.
    const Unit c = cursor_[length];
    if (c != word[length])
      return FailAt(c == 0 ? kEndOfInput : kUnexpectedCharacter, cursor_ + length);
  }
  cursor_ += length;
  if (first != 'n') {
    value.kind = JsonKind::Boolean;
    value.integer = first == 't' ? 1 : 0;
  }
}

// Moves `p` past the digits it stands on; there must be at least one. `*value` goes on from the
// value it has with their decimal digits, modulo 2^64, the way ParseInteger reads integers.
template <typename Unit>
inline bool Parser<Unit>::SkipDigits(const Unit*& p, uint64_t* value) {
  if (!IsDigit(*p)) {
    FailAt(*p == 0 ? kEndOfInput : kInvalidNumber, p);
    return false;
  }
  uint64_t digits = *value;
  do {
    digits = digits * 10 + static_cast<uint64_t>(*p - '0');  // wraps
    ++p;
  } while (IsDigit(*p));
  *value = digits;
  return true;
}

template <typename Unit>
void Parser<Unit>::ParseNumber(JsonValue& value) {
  const Unit* p = cursor_;
  const bool negative = *p == '-';
  if (negative) ++p;
  // The digits before and after the point make one significand, read as they are skipped: an
  // integer, and most fractional numbers, need no second look at their text.
  const Unit* digits = p;
  uint64_t significand = 0;
  if (!SkipDigits(p, &significand)) return;
  bool fractional = false;
  size_t fraction_digits = 0;
  if (*p == '.') {
    fractional = true;
    const Unit* fraction = ++p;
    if (!SkipDigits(p, &significand)) return;
    fraction_digits = static_cast<size_t>(p - fraction);
  }
  const size_t significant_digits = static_cast<size_t>(p - digits) - (fractional ? 1 : 0);
  uint64_t exponent = 0;
  bool exponent_negative = false;
  const Unit* exponent_digits = p;
  if (*p == 'e' || *p == 'E') {
    fractional = true;
    ++p;
    if (*p == '+' || *p == '-') exponent_negative = *p++ == '-';
    exponent_digits = p;
    if (!SkipDigits(p, &exponent)) return;
  }
  const Unit* start = cursor_;
  cursor_ = p;
  value.kind = JsonKind::Number;
  if (!fractional) {
    value.integer = static_cast<int64_t>(negative ? 0 - significand : significand);
    return;
  }
  value.is_float = 1;
  // Nineteen digits cannot have wrapped the significand, nor four the exponent.
  if (significant_digits <= 19 && p - exponent_digits <= 4) {
    const int power =
        (exponent_negative ? -static_cast<int>(exponent) : static_cast<int>(exponent)) -
        static_cast<int>(fraction_digits);
    double real;
    if (ExactDecimalReal(significand, power, &real)) {
      value.real = negative ? -real : real;
      return;
    }
  }
  // Read where it stands in the input: no copy per number.
  value.real = ParseReal(View(start, static_cast<size_t>(p - start)));
}

// Resolves the escape sequence at `backslash` into `unit`; returns where the sequence ends, or
// null after reporting an error.
template <typename Unit>
const Unit* Parser<Unit>::ReadEscape(const Unit* backslash, char16_t* unit) {
  const Unit* letter = backslash + 1;
  if (*letter == 'u') {
    const Unit* bad;
    const long value = HexEscapeValue(letter + 1, &bad);
    if (value < 0) {
      FailAt(*bad == 0 ? kEndOfInput : kInvalidEscape, bad);
      return nullptr;
    }
    *unit = static_cast<char16_t>(value);
    return letter + 5;
  }
  *unit = SingleLetterEscape(*letter);
  if (*unit == 0) {
    FailAt(*letter == 0 ? kEndOfInput : kInvalidEscape, letter);
    return nullptr;
  }
  return letter + 1;
}

// With the cursor in a string's content: reads the rest of it, checking its escape sequences,
// up to and with the closing quotation mark. Used once an escaped NUL has ended what the string
// stores. Content is skipped without decoding it, but a cut sequence among it takes the rest of
// the input, closing quotation mark included, as decoding would.
template <typename Unit>
bool Parser<Unit>::SkipRestOfString() {
  for (const Unit* p = EndOfPlainRun(cursor_, end_);; p = EndOfPlainRun(p, end_)) {
    if (p > cut_ || *p == 0) {
      FailAt(kEndOfInput, p > cut_ ? end_ : p);
      return false;
    }
    if (*p == '"') {
      cursor_ = p + 1;
      return true;
    }
    char16_t unit;
    if ((p = ReadEscape(p, &unit)) == nullptr) return false;
  }
}

// Reads a string whose opening quotation mark has been read, up to and with its closing one.
// `content` is what the string stores: the code units before the first NUL an escape sequence
// gives. Content without escape sequences is read where it stands in the text; the rest is
// resolved into the token buffer.
template <>
bool Parser<char16_t>::ReadString(std::u16string_view* content) {
  const char16_t* run_end = EndOfPlainRun(cursor_, end_);
  if (*run_end == u'"') {
    *content = std::u16string_view(cursor_, static_cast<size_t>(run_end - cursor_));
    cursor_ = run_end + 1;
    return true;
  }
  size_t length = 0;
  for (;;) {
    const auto run_length = static_cast<size_t>(run_end - cursor_);
    if (!ReserveToken(length, run_length + 1, run_end)) return false;
    std::memcpy(token_ + length, cursor_, run_length * sizeof(char16_t));
    length += run_length;
    cursor_ = run_end;
    if (*cursor_ == u'"') {
      ++cursor_;
      *content = std::u16string_view(token_, length);
      return true;
    }
    if (*cursor_ == 0) {
      Fail(kEndOfInput);
      return false;
    }
    if ((cursor_ = ReadEscape(cursor_, token_ + length)) == nullptr) return false;
    if (token_[length] == 0) break;
    ++length;
    run_end = EndOfPlainRun(cursor_, end_);
  }
  // An escaped NUL has ended the content: the rest of the string is checked, not stored.
  *content = std::u16string_view(token_, length);
  return SkipRestOfString();
}

// The same for UTF-8, decoded into the token buffer as it is read, in one pass: an answer's
// strings are short runs of ASCII between other characters and escape sequences. The vector
// decoder takes what it can; the rest is decoded a word or a sequence at a time.
template <>
bool Parser<char>::ReadString(std::u16string_view* content) {
  // A step writes at most eight units (eight ASCII bytes, or a surrogate pair, or an escape), or
  // what the vector decoder needs room for.
  constexpr size_t kMostUnitsPerStep = kVectorDecoderRoom;
  const auto* p = reinterpret_cast<const uint8_t*>(cursor_);
  const auto* end = reinterpret_cast<const uint8_t*>(end_);
  const auto at = [&p] { return reinterpret_cast<const char*>(p); };
  size_t length = 0;
  bool vectors = true;
  for (;;) {
    if (!ReserveToken(length, kMostUnitsPerStep, at())) return false;
    if (vectors) {
      // Where the vector decoder takes nothing, the string ends, its last bytes are too few for
      // it, or its text is broken: the rest is decoded here.
      const uint8_t* const before_vectors = p;
      length += DecodeStringWithVectors(p, end, token_ + length, token_capacity_ - length);
      if (p != before_vectors) continue;
      vectors = false;
    }
    if (end - p >= 8) {
      // The plain ASCII bytes at the start of the next eight are written all at once: all eight
      // units are, and only those before the first other byte are kept.
      uint64_t word;
      std::memcpy(&word, p, sizeof word);
      const int plain = PlainAsciiBytes(word);
      WidenEightBytes(word, token_ + length);
      length += static_cast<size_t>(plain);
      p += plain;
      if (plain == 8) continue;
    }
    const uint8_t c = *p;
    if (c >= 0x80) {
      // The run of other characters, while the buffer has room for a surrogate pair.
      do {
        length += codepage::ToUtf16(codepage::DecodeUtf8Sequence(p, end), token_ + length);
      } while (*p >= 0x80 && token_capacity_ - length >= 2);
    } else if (c == '"') {
      cursor_ = at() + 1;
      *content = std::u16string_view(token_, length);
      return true;
    } else if (c == '\\' && SingleLetterEscape(p[1]) != 0) {
      token_[length++] = SingleLetterEscape(p[1]);
      p += 2;
    } else if (c == '\\') {
      const char* next = ReadEscape(at(), token_ + length);
      if (next == nullptr) return false;
      p = reinterpret_cast<const uint8_t*>(next);
      if (token_[length] == 0) break;
      ++length;
    } else if (c == 0) {
      FailAt(kEndOfInput, at());
      return false;
    } else {
      token_[length++] = c;
      ++p;
    }
  }
  // An escaped NUL has ended the content: the rest of the string is checked, not stored.
  cursor_ = at();
  *content = std::u16string_view(token_, length);
  return SkipRestOfString();
}

// Marks a string whose `units` units have been written into the value itself as held there.
void EndInlineString(JsonValue& value, size_t units) {
  value.units[units] = 0;
  value.form = StringForm::Inline;
}

// Text is stored as it is read: its strings are UTF-16 already.
template <>
void Parser<char16_t>::ParseString(JsonValue& value) {
  ParseDecodedString(value);
}

// UTF-8 strings are kept undecoded where they can be, and decoded when first read; the others,
// and the short ones, which go into the value itself, are decoded now.
template <>
void Parser<char>::ParseString(JsonValue& value) {
  size_t units;
  const char* close = EndOfUndecodedString(cursor_, end_, &units);
  if (close == nullptr) return ParseDecodedString(value);
  const auto* bytes = reinterpret_cast<const unsigned char*>(cursor_);
  if (units <= kInlineStringUnits) {
    DecodeUndecodedContent(bytes, units, value.units);
    EndInlineString(value, units);
  } else {
    const auto byte_count = static_cast<size_t>(close - cursor_);
    unsigned char* content = document_->arena.CarveTraceable(byte_count);
    if (content == nullptr) return FailAt(kOutOfMemory, close);
    std::memcpy(content, bytes, byte_count);
    value.form = StringForm::Undecoded;
    value.bytes = content;
  }
  value.kind = JsonKind::String;
  value.length = static_cast<uint32_t>(units);
  cursor_ = close + 1;
}

template <typename Unit>
void Parser<Unit>::ParseDecodedString(JsonValue& value) {
  std::u16string_view content;
  if (!ReadString(&content)) return;
  if (content.size() <= kInlineStringUnits) {
    std::memcpy(value.units, content.data(), content.size() * sizeof(char16_t));
    EndInlineString(value, content.size());
  } else {
    // A value keeps its length in 32 bits; a longer string could not be stored anyway where the
    // library runs as a 32-bit DLL, and answers come from inputs of fewer than 2^31 bytes.
    if (content.size() > UINT32_MAX ||
        !document_->arena.Copy(content.data(), content.size(), &value.text)) {
      return FailAt(kOutOfMemory, cursor_ - 1);
    }
  }
  value.kind = JsonKind::String;
  value.length = static_cast<uint32_t>(content.size());
}

// Reads a member's name whose opening quotation mark has been read, up to and with its closing
// one, into `*key`: the record of its key. In UTF-8, a name of plain ASCII, as nearly every
// name is, is hashed and compared as the bytes that spell it, with no decoding; any other is
// decoded first.
template <typename Unit>
bool Parser<Unit>::ReadKey(const JsonKey** key) {
  bool stored;
  const Unit* close = nullptr;
  if constexpr (std::is_same_v<Unit, char>) close = EndOfPlainAscii(cursor_, end_);
  if (close != nullptr && *close == '"') {
    stored = stored_keys_.StoreAscii(reinterpret_cast<const unsigned char*>(cursor_),
                                     static_cast<size_t>(close - cursor_), document_->arena, key);
    cursor_ = close + 1;
  } else {
    std::u16string_view name;
    if (!ReadString(&name)) return false;
    stored = stored_keys_.Store(name.data(), name.size(), document_->arena, key);
  }
  if (!stored) FailAt(kOutOfMemory, cursor_ - 1);
  return stored;
}

// Elements are collected on the parser's stack and copied into the document, side by side, when
// the array closes.
template <typename Unit>
void Parser<Unit>::ParseArray(JsonValue& value, int depth) {
  const size_t first = elements_.size();
  if (!OpensEmpty(']')) {
    do {
      // The end of the input is found before storage for another element is taken.
      if (*cursor_ == 0) return Fail(kEndOfInput);
      if (!elements_.Reserve()) return Fail(kOutOfMemory);
      // Parsed where it stands on the stack: the elements of arrays inside it go above it and
      // are taken off again when their array closes. A failed parse leaves the stack as it is.
      ParseValue(elements_.Push(MakeNullJsonValue()), depth);
      if (failed()) return;
    } while (AnotherItemFollows(']'));
    if (failed()) return;
  }
  const size_t count = elements_.size() - first;
  JsonValue* elements = nullptr;
  if (count != 0) {
    elements =
        count > UINT32_MAX
            ? nullptr
            : static_cast<JsonValue*>(document_->arena.CarveAligned(count * sizeof(JsonValue)));
    if (elements == nullptr) return FailAt(kOutOfMemory, cursor_ - 1);
    elements_.CopyTop(first, elements);
  }
  elements_.Truncate(first);
  value.kind = JsonKind::Array;
  value.length = static_cast<uint32_t>(count);
  value.elements = elements;
}

// Members are collected on the parser's stack in text order and put in visiting order, repeated
// keys merged, when the object closes.
template <typename Unit>
void Parser<Unit>::ParseObject(JsonValue& value, int depth) {
  const size_t first = members_.size();
  if (!OpensEmpty('}')) {
    do {
      if (*cursor_ != '"') return Fail(*cursor_ == 0 ? kEndOfInput : kMemberNameExpected);
      ++cursor_;
      const JsonKey* key;
      if (!ReadKey(&key)) return;
      if (!members_.Reserve()) return FailAt(kOutOfMemory, cursor_ - 1);
      SkipWhitespace();
      if (*cursor_ != ':') return Fail(*cursor_ == 0 ? kEndOfInput : kColonExpected);
      ++cursor_;
      SkipWhitespace();
      // As for an array's elements: parsed in place. The member is put together there, not
      // copied from a local whose narrow writes the copy's wide reads would wait for.
      ParseValue(members_.Push({MakeNullJsonValue(), key}).value, depth);
      if (failed()) return;
    } while (AnotherItemFollows('}'));
    if (failed()) return;
  }
  CloseObject(value, first);
}

template <typename Unit>
void Parser<Unit>::CloseObject(JsonValue& value, size_t first) {
  const size_t collected = members_.size() - first;
  // Side by side where they lie in one segment of the stack, which all but the largest objects
  // do; copied together otherwise.
  JsonMember* members = members_.RunFrom(first);
  if (members == nullptr && collected != 0 &&
      (members = member_spill_.Room(collected)) != nullptr) {
    members_.CopyTop(first, members);
  }
  auto count = static_cast<uint32_t>(collected);
  uint32_t last_named = 0;
  JsonObject* object = nullptr;
  if ((members != nullptr || collected == 0) && collected <= UINT32_MAX &&
      repeated_keys_.Merge(members, &count, &last_named)) {
    object = static_cast<JsonObject*>(document_->arena.CarveAligned(JsonObjectBytes(count)));
  }
  if (object == nullptr) return FailAt(kOutOfMemory, cursor_ - 1);
  OrderMembers(members, count, last_named, *object);
  members_.Truncate(first);
  value.kind = JsonKind::Object;
  value.object = object;
}

// Parses the input from `begin` to its terminating NUL at `end` into `slot`, as ParseJson does;
// `cut` is as the parser takes it.
template <typename Unit>
int64_t Parse(int32_t slot, const Unit* begin, const Unit* end, const Unit* cut, JsonError* error) {
  const std::lock_guard<std::mutex> storage(JsonStorageLock());
  Parser<Unit> parser(begin, end, cut);
  try {
    parser.ParseDocument();
  } catch (const std::bad_alloc&) {
    // Reading a real number from UTF-16 text copies its token to narrow text; that copy is the
    // only allocation that can throw. The cursor stands after the number.
    parser.Fail(kOutOfMemory);
  }
  if (!parser.failed() && !StoreJsonDocument(slot, parser.document())) {
    parser.Fail(slot < 0 ? kInvalidSlot : kOutOfMemory);
  }
  if (error != nullptr) *error = parser.error();
  if (parser.failed()) return 0;  // the parser's destructor frees the document
  parser.ReleaseDocument();
  return static_cast<int64_t>(slot) + 1;
}

}  // namespace

const char* JsonErrorMessage(JsonErrorCode code) {
  // By code, in the order JsonErrorCode lists them; a successful parse has no message.
  static constexpr const char* kMessages[] = {
      nullptr,
      "Unexpected end of input",
      "Unexpected character",
      "Invalid numeric value",
      "Invalid escape sequence",
      "A member name (string) is expected",
      "Expected a ':' character",
      "Nesting too deep",
      "Invalid document slot",
      "Out of memory",
  };
  static_assert(std::size(kMessages) == static_cast<size_t>(JsonErrorCode::OutOfMemory) + 1,
                "one message for each code");
  const auto index = static_cast<size_t>(code);
  return index < std::size(kMessages) ? kMessages[index] : nullptr;
}

int64_t ParseJson(int32_t slot, const Text& text, JsonError* error) {
  const char16_t* end = text.c_str() + text.size();
  return Parse(slot, text.c_str(), end, end, error);
}

int64_t ParseUtf8Json(int32_t slot, std::string_view utf8, JsonError* error) {
  const char* end = utf8.data() + utf8.size();
  return Parse(slot, utf8.data(), end,
               utf8.data() + codepage::Utf8CutSequenceStart(utf8.data(), utf8.size()), error);
}

}  // namespace llmbridge
