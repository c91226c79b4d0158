#include "text/utf8_codec.h"

#include <cstddef>
#include <cstdint>

#include "base/word_bits.h"
#include "text/codec_output.h"
#include "text/utf16_units.h"
#include "text/utf8_sequence.h"

namespace llmbridge::codepage {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

int ContinuationCount(uint8_t lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 1;
  if (lead >= 0xE0 && lead <= 0xEF) return 2;
  if (lead >= 0xF0 && lead <= 0xF4) return 3;
  return -1;  // a continuation byte, C0/C1 (always overlong) or beyond U+10FFFF
}

// Whether the bits gathered so far can still start a valid scalar value. Windows checks each
// prefix after taking its byte, so a sequence that goes wrong at its second byte swallows that
// byte into one replacement character (ED A0 80 gives two U+FFFD, not three).
bool PrefixStillValid(char32_t value, int lead_continuations, int taken) {
  if (lead_continuations == 2 && taken == 1) {
    // Three-byte form: the first 11 bits decide overlong forms and surrogates.
    return value >= 0x20 && !(value >= 0x360 && value <= 0x37F);
  }
  if (lead_continuations == 3 && taken == 1) {
    return value >= 0x10 && value < 0x110;  // overlong below U+10000, or beyond U+10FFFF
  }
  return true;
}

}  // namespace

char32_t DecodeBrokenUtf8Sequence(const uint8_t*& cursor, const uint8_t* end) {
  const uint8_t lead = *cursor++;
  if (lead < 0x80) return lead;
  const int needed = ContinuationCount(lead);
  if (needed < 0) return kReplacement;
  if (end - cursor < needed) {
    // Windows turns a sequence cut short by the end of the input into one replacement
    // character together with everything after its lead byte.
    cursor = end;
    return kReplacement;
  }
  char32_t value = lead & (0x3F >> needed);
  for (int taken = 1; taken <= needed; ++taken) {
    if (!IsContinuation(*cursor)) return kReplacement;
    value = (value << 6) | (*cursor++ & 0x3F);
    if (!PrefixStillValid(value, needed, taken)) return kReplacement;
  }
  return value;
}

namespace {

// The number of ASCII bytes from `cursor` on, looked at eight at a time while it can: answers are
// mostly ASCII, and each of those bytes decodes to the code unit of its own value.
int AsciiRunLength(const uint8_t* cursor, const uint8_t* end) {
  const uint8_t* p = cursor;
  while (end - p >= 8 && EightBytesAreAscii(p)) p += 8;
  while (p < end && *p < 0x80) ++p;
  return static_cast<int>(p - cursor);
}

// Only counts the code units a decoding gives, for the first of the two calls a caller makes.
class UnitCounter {
 public:
  void Put(char16_t) { ++size_; }
  template <typename Value>
  void PutEach(const Value*, int count) {
    size_ += count;
  }
  int Result() const { return size_; }

 private:
  int size_ = 0;
};

// Writes without looking at the room left, for callers that gave room for one code unit per
// byte: no input needs more, since no sequence of bytes gives more units than it has bytes.
class UncheckedWriter {
 public:
  explicit UncheckedWriter(char16_t* out) : out_(out) {}
  void Put(char16_t unit) { out_[size_++] = unit; }
  // Writes the ASCII bytes from `cursor` on as it finds them, eight at a time while it can, and
  // returns where they end: one pass instead of measuring the run and then copying it.
  const uint8_t* PutAsciiRun(const uint8_t* cursor, const uint8_t* end) {
    for (; end - cursor >= 8 && EightBytesAreAscii(cursor); cursor += 8) {
      for (int i = 0; i < 8; ++i) out_[size_ + i] = cursor[i];
      size_ += 8;
    }
    while (cursor < end && *cursor < 0x80) out_[size_++] = *cursor++;
    return cursor;
  }
  int Result() const { return size_; }

 private:
  char16_t* out_;
  int size_ = 0;
};

// Puts the run of ASCII bytes from `cursor` on and returns where it ends.
template <typename Sink>
const uint8_t* PutAsciiRun(const uint8_t* cursor, const uint8_t* end, Sink& sink) {
  const int ascii = AsciiRunLength(cursor, end);
  sink.PutEach(cursor, ascii);
  return cursor + ascii;
}

const uint8_t* PutAsciiRun(const uint8_t* cursor, const uint8_t* end, UncheckedWriter& writer) {
  return writer.PutAsciiRun(cursor, end);
}

template <typename Sink>
void Decode(const uint8_t* cursor, const uint8_t* end, Sink& sink) {
  while (cursor != end) {
    cursor = PutAsciiRun(cursor, end, sink);
    // The run of other characters, up to the next ASCII byte.
    while (cursor != end && *cursor >= 0x80) {
      char16_t units[2];
      const int count = ToUtf16(DecodeUtf8Sequence(cursor, end), units);
      for (int i = 0; i < count; ++i) sink.Put(units[i]);
    }
  }
}

}  // namespace

int Utf8Decode(const char* bytes, int count, char16_t* out, int capacity) {
  const auto* cursor = reinterpret_cast<const uint8_t*>(bytes);
  const uint8_t* end = cursor + (count > 0 ? count : 0);
  if (out == nullptr) {
    UnitCounter counter;
    Decode(cursor, end, counter);
    return counter.Result();
  }
  if (capacity >= end - cursor) {
    UncheckedWriter writer(out);
    Decode(cursor, end, writer);
    return writer.Result();
  }
  OutputSink<char16_t> sink(out, capacity);
  Decode(cursor, end, sink);
  return sink.Result();
}

size_t Utf8CutSequenceStart(const char* bytes, size_t count) {
  // A byte that is not a continuation byte always starts a sequence of its own, so the first
  // lead byte among the last three that needs more bytes than follow it is where decoding cuts.
  for (size_t at = count > 3 ? count - 3 : 0; at < count; ++at) {
    const int needed = ContinuationCount(static_cast<uint8_t>(bytes[at]));
    if (needed > 0 && count - at - 1 < static_cast<size_t>(needed)) return at;
  }
  return count;
}

int Utf8Encode(const char16_t* units, int count, char* out, int capacity) {
  OutputSink<char> sink(out, capacity);
  for (int i = 0; i < count; ++i) {
    char32_t value = units[i];
    if (IsHighSurrogate(value) && i + 1 < count && IsLowSurrogate(units[i + 1])) {
      value = CombineSurrogates(value, units[i + 1]);
      ++i;
    } else if (IsSurrogate(value)) {
      value = kReplacement;  // an unpaired surrogate
    }
    if (value < 0x80) {
      sink.Put(static_cast<char>(value));
    } else if (value < 0x800) {
      sink.Put(static_cast<char>(0xC0 | (value >> 6)));
      sink.Put(static_cast<char>(0x80 | (value & 0x3F)));
    } else if (value < 0x10000) {
      sink.Put(static_cast<char>(0xE0 | (value >> 12)));
      sink.Put(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
      sink.Put(static_cast<char>(0x80 | (value & 0x3F)));
    } else {
      sink.Put(static_cast<char>(0xF0 | (value >> 18)));
      sink.Put(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
      sink.Put(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
      sink.Put(static_cast<char>(0x80 | (value & 0x3F)));
    }
  }
  return sink.Result();
}

}  // namespace llmbridge::codepage
