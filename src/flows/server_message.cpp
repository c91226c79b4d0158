#include "flows/server_message.h"

#include <cctype>

#include "flows/answer_parse.h"
#include "flows/answer_reading.h"
#include "text/ascii_case.h"
#include "text/narrow_text.h"
#include "text/utf16_units.h"

namespace llmbridge {

namespace {

// Error bodies are parsed here, so that the chat answer in slot 0 stays as it was.

// {"error": "text"} or {"error": {"message": "text"}}.
Text ErrorMessage(JsonValue* object) {
  JsonValue* error = MemberOf(object, u"error");
  const Text text = StringOf(error);
  return text.empty() ? StringOf(MemberOf(error, u"message")) : text;
}

// FastAPI's "detail": a string, or a list of problems each with its "msg".
Text DetailMessage(JsonValue* object) {
  JsonValue* detail = MemberOf(object, u"detail");
  if (IsKind(detail, JsonKind::Array)) return StringOf(MemberOf(ElementOf(detail, 0), u"msg"));
  return StringOf(detail);
}

Text JsonMessage(JsonValue* root) {
  if (IsKind(root, JsonKind::Array)) root = ElementOf(root, 0);
  for (Text text : {ErrorMessage(root), StringOf(MemberOf(root, u"message")), DetailMessage(root)})
    if (!text.empty()) return text;
  return Text();
}

size_t FindIgnoringCase(std::string_view text, std::string_view lower_needle, size_t from = 0) {
  for (size_t at = from; at + lower_needle.size() <= text.size(); ++at)
    if (StartsWithIgnoringAsciiCase<char>(text.substr(at), lower_needle)) return at;
  return std::string_view::npos;
}

// Runs of white space become one space; none is left at either end.
std::string CollapseSpaces(std::string_view text) {
  std::string collapsed;
  bool space = false;
  for (const char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      space = !collapsed.empty();
      continue;
    }
    if (space) collapsed += ' ';
    space = false;
    collapsed += c;
  }
  return collapsed;
}

// An HTML page's title, or its text with the tags taken out when it has no title.
std::string HtmlMessage(std::string_view page) {
  const size_t title = FindIgnoringCase(page, "<title");
  const size_t title_text = title == std::string_view::npos ? title : page.find('>', title);
  if (title_text != std::string_view::npos) {
    const size_t end = FindIgnoringCase(page, "</title", title_text);
    const std::string text = CollapseSpaces(page.substr(title_text + 1, end - title_text - 1));
    if (!text.empty()) return text;
  }
  std::string text;
  bool in_tag = false;
  for (const char c : page) {
    if (c == '<' || c == '>') {
      in_tag = c == '<';
      text += ' ';
    } else if (!in_tag) {
      text += c;
    }
  }
  return CollapseSpaces(text);
}

bool LooksLikeHtml(std::string_view body) {
  const size_t start = body.find_first_not_of(" \t\r\n");
  return start != std::string_view::npos &&
         (StartsWithIgnoringAsciiCase<char>(body.substr(start), "<!doctype html") ||
          StartsWithIgnoringAsciiCase<char>(body.substr(start), "<html"));
}

// At most kLongestServerMessage units, never ending between the halves of a surrogate pair.
Text Bounded(Text text) {
  if (text.size() <= kLongestServerMessage) return text;
  size_t cut = kLongestServerMessage;
  if (IsHighSurrogate(text[cut - 1])) --cut;
  text.resize(cut);
  return text;
}

Text Utf8Text(std::string_view bytes) {
  // Decoding only what can be shown keeps a huge body from costing its size twice.
  const std::string_view start = bytes.substr(0, kLongestServerMessage * 4);
  return FromNarrow(start.data(), static_cast<int32_t>(start.size()), NarrowEncoding::Utf8);
}

}  // namespace

Text ServerMessage(std::string_view body, int32_t slot) {
  const Text json = JsonMessage(ParseAnswerInto(slot, body));
  if (!json.empty()) return Bounded(json);
  // A page's title and first words come early: the rest of a huge page is never looked at.
  if (LooksLikeHtml(body)) return Bounded(Utf8Text(HtmlMessage(body.substr(0, 1 << 16))));
  return Bounded(Utf8Text(CollapseSpaces(body.substr(0, kLongestServerMessage * 4))));
}

Text ErrorMemberMessage(JsonValue* root) { return Bounded(ErrorMessage(root)); }

}  // namespace llmbridge
