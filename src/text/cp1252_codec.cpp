#include "text/cp1252_codec.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "text/codec_output.h"

namespace llmbridge::codepage {

namespace {

struct BestFit {
  char16_t unit;
  uint8_t byte;
};

// kCp1252ToUnicode[256] and kUnicodeToCp1252[] (sorted by unit, every unit above U+007F that does
// not become '?'), written by tools/codepage/gen_cp1252_tables.cpp from the platform's own tables.
#include "text/cp1252_tables.inc"

constexpr char kDefaultChar = '?';

uint8_t EncodeUnit(char16_t unit) {
  if (unit < 0x80) return static_cast<uint8_t>(unit);
  const auto* end = std::end(kUnicodeToCp1252);
  const auto* found =
      std::lower_bound(std::begin(kUnicodeToCp1252), end, unit,
                       [](const BestFit& entry, char16_t u) { return entry.unit < u; });
  return found != end && found->unit == unit ? found->byte : kDefaultChar;
}

}  // namespace

int Cp1252Decode(const char* bytes, int count, char16_t* out, int capacity) {
  OutputSink<char16_t> sink(out, capacity);
  for (int i = 0; i < count; ++i) sink.Put(kCp1252ToUnicode[static_cast<uint8_t>(bytes[i])]);
  return sink.Result();
}

int Cp1252Encode(const char16_t* units, int count, char* out, int capacity) {
  // Every unit becomes one byte, so measuring needs no pass over a text of many megabytes.
  if (out == nullptr) return count;
  OutputSink<char> sink(out, capacity);
  // Surrogates, paired or not, each become the default character, as on Windows.
  for (int i = 0; i < count; ++i) sink.Put(static_cast<char>(EncodeUnit(units[i])));
  return sink.Result();
}

}  // namespace llmbridge::codepage
