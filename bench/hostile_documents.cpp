#include "hostile_documents.h"

#include <cstdint>

#include "json/json_parser.h"
#include "text/text_hash.h"

namespace llmbridge::bench {

std::string MakeOneBucketObject(size_t bytes) {
  // 65599 leaves 63 modulo 64, so appending a unit u to a key of hash h gives the bucket of
  // u - h modulo 64: one letter from U+00C0 to U+00FF brings any key to bucket 0.
  std::string text = "{";
  for (int i = 0; text.size() < bytes; ++i) {
    const std::string prefix = "k" + std::to_string(i);
    const std::u16string units(prefix.begin(), prefix.end());
    const uint32_t letter = 0xC0 + HashText(units.data(), units.size()) % 64;
    if (i > 0) text += ',';
    text += "\"" + prefix;
    text += static_cast<char>(0xC0 | (letter >> 6));
    text += static_cast<char>(0x80 | (letter & 0x3F));
    text += "\":" + std::to_string(i);
  }
  return text + "}";
}

std::string MakeDeepNesting(size_t bytes) {
  const std::string nest =
      std::string(kMaxJsonDepth - 1, '[') + std::string(kMaxJsonDepth - 1, ']');
  std::string text = "[";
  while (text.size() < bytes) text += nest + ",";
  text.back() = ']';
  return text;
}

std::string MakeEscapedString(size_t bytes) {
  const std::string pair = "\\ud83d\\ude00\\u00e9\\n";
  std::string text = "\"";
  while (text.size() < bytes) text += pair;
  return text + "\"";
}

std::string MakeManyElements(int count) {
  std::string text = "[";
  text.reserve(2 * static_cast<size_t>(count) + 1);
  for (int i = 0; i < count; ++i) text += "0,";
  text.back() = ']';
  return text;
}

std::string MakeRepeatedKey(size_t bytes) {
  std::string text = "{";
  while (text.size() < bytes) text += "\"key\":[1,2,{\"key\":null}],";
  text.back() = '}';
  return text;
}

}  // namespace llmbridge::bench
