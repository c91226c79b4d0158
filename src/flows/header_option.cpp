#include "flows/header_option.h"

#include "text/ascii_case.h"
#include "text/number_text.h"

namespace llmbridge {

namespace {

// RFC 9110's token characters.
bool IsTokenCharacter(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) return true;
  return Text(u"!#$%&'*+-.^_`|~").find(c) != Text::npos;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// Reads one line (without its line break) into `headers`, or says what is wrong with it.
bool ReadHeaderLine(const Text& line, std::vector<OptionHeader>& headers, Text& problem) {
  const size_t colon = line.find(u':');
  if (colon == Text::npos) {
    problem = u"has no colon";
    return false;
  }
  const Text name = line.substr(0, colon);
  if (name.empty()) {
    problem = u"has no name";
    return false;
  }
  for (const char16_t c : name) {
    if (!IsTokenCharacter(c)) {
      problem = u"has a name that is not a token";
      return false;
    }
  }
  for (const char16_t* framing :
       {u"Host", u"Content-Length", u"Transfer-Encoding", u"Expect", u"Connection"}) {
    if (SameHeaderName(name, framing)) {
      problem = u"names " + Text(framing) + u", which the library's transfer sets itself";
      return false;
    }
  }
  size_t start = colon + 1;
  size_t end = line.size();
  while (start < end && IsBlank(line[start])) ++start;
  while (end > start && IsBlank(line[end - 1])) --end;
  for (size_t i = start; i < end; ++i) {
    if ((line[i] < 0x20 && line[i] != u'\t') || line[i] == 0x7F) {
      problem = line[i] == u'\r' ? u"holds a lone CR" : u"holds a control character";
      return false;
    }
  }
  headers.push_back({name, line.substr(start, end - start)});
  return true;
}

}  // namespace

bool SameHeaderName(const Text& a, const Text& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

bool ReadHeaderOption(const Text& text, std::vector<OptionHeader>& headers, Text& reason) {
  std::vector<OptionHeader> read;
  size_t start = 0;
  for (int number = 1; start <= text.size(); ++number) {
    size_t end = text.find(u'\n', start);
    if (end == Text::npos) end = text.size();
    const size_t next = end + 1;
    if (end > start && text[end - 1] == u'\r' && end < text.size()) --end;  // CR LF
    const Text line = text.substr(start, end - start);
    start = next;
    if (line.empty()) continue;
    Text problem;
    if (!ReadHeaderLine(line, read, problem)) {
      reason = u"header line " + FormatInteger(number) + u" " + problem;
      return false;
    }
  }
  headers.swap(read);
  return true;
}

}  // namespace llmbridge
