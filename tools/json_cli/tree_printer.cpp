#include "json_cli/tree_printer.h"

#include <string>

#include "json/json_navigation.h"
#include "text/number_text.h"
#include "text/utf8_codec.h"

namespace llmbridge::inspector {
namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void PrintUnits(std::FILE* out, const char16_t* units, int count) {
  const int size = codepage::Utf8Encode(units, count, nullptr, 0);
  std::string bytes(static_cast<size_t>(size), '\0');
  codepage::Utf8Encode(units, count, bytes.data(), size);
  std::fwrite(bytes.data(), 1, bytes.size(), out);
}

void PrintIndent(std::FILE* out, int depth) {
  for (int i = 0; i < depth; ++i) std::fputs("  ", out);
}

void PrintNumber(std::FILE* out, const JsonValue& value) {
  if (value.is_float) {
    std::fprintf(out, "%.17g", value.real);
  } else {
    const Text digits = FormatInteger(value.integer);
    PrintUnits(out, digits.data(), static_cast<int>(digits.size()));
  }
}

void PrintValue(std::FILE* out, JsonValue& value, int depth);

void PrintObject(std::FILE* out, JsonValue& object, int depth) {
  std::fputs("{", out);
  bool first = true;
  BeginMembers(object);
  while (NextMember(object)) {
    std::fputs(first ? "\n" : ",\n", out);
    first = false;
    PrintIndent(out, depth + 1);
    PrintQuoted(out, MemberKey(object));
    std::fputs(": ", out);
    PrintValue(out, *MemberValue(object), depth + 1);
  }
  if (!first) {
    std::fputs("\n", out);
    PrintIndent(out, depth);
  }
  std::fputs("}", out);
}

void PrintArray(std::FILE* out, JsonValue& array, int depth) {
  std::fputs("[", out);
  const int32_t size = ArraySize(array);
  for (int32_t index = 0; index < size; ++index) {
    std::fputs(index == 0 ? "\n" : ",\n", out);
    PrintIndent(out, depth + 1);
    PrintValue(out, *ArrayElement(array, index), depth + 1);
  }
  if (size > 0) {
    std::fputs("\n", out);
    PrintIndent(out, depth);
  }
  std::fputs("]", out);
}

// Recursion follows the document's nesting, which the parser bounds.
void PrintValue(std::FILE* out, JsonValue& value, int depth) {
  switch (GetKind(value)) {
    case JsonKind::Null:
      std::fputs("null", out);
      break;
    case JsonKind::String:
      PrintQuoted(out, GetString(value));
      break;
    case JsonKind::Number:
      PrintNumber(out, value);
      break;
    case JsonKind::Boolean:
      std::fputs(GetBoolean(value) ? "true" : "false", out);
      break;
    case JsonKind::Array:
      PrintArray(out, value, depth);
      break;
    case JsonKind::Object:
      PrintObject(out, value, depth);
      break;
  }
}

}  // namespace

void PrintQuoted(std::FILE* out, const Text& text) {
  std::fputc('"', out);
  const size_t length = text.size();
  for (size_t i = 0; i < length; ++i) {
    const char16_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < length && IsLowSurrogate(text[i + 1])) {
      PrintUnits(out, text.data() + i, 2);
      ++i;
    } else if (c == u'"' || c == u'\\') {
      std::fputc('\\', out);
      std::fputc(static_cast<char>(c), out);
    } else if (c == u'\n') {
      std::fputs("\\n", out);
    } else if (c == u'\r') {
      std::fputs("\\r", out);
    } else if (c == u'\t') {
      std::fputs("\\t", out);
    } else if (c < 0x20 || IsHighSurrogate(c) || IsLowSurrogate(c)) {
      std::fprintf(out, "\\u%04X", static_cast<unsigned>(c));
    } else {
      PrintUnits(out, &c, 1);
    }
  }
  std::fputc('"', out);
}

void PrintTree(std::FILE* out, JsonValue& value) {
  PrintValue(out, value, 0);
  std::fputc('\n', out);
}

}  // namespace llmbridge::inspector
