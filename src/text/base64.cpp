#include "text/base64.h"

namespace llmbridge {

namespace {

int SextetOf(char16_t c) {
  if (c >= u'A' && c <= u'Z') return c - u'A';
  if (c >= u'a' && c <= u'z') return c - u'a' + 26;
  if (c >= u'0' && c <= u'9') return c - u'0' + 52;
  if (c == u'+') return 62;
  if (c == u'/') return 63;
  return -1;
}

}  // namespace

bool DecodeBase64(std::u16string_view text, std::string& bytes) {
  if (text.size() % 4 == 0 && !text.empty() && text.back() == u'=') text.remove_suffix(1);
  if (text.size() % 4 == 3 && !text.empty() && text.back() == u'=') text.remove_suffix(1);
  if (text.size() % 4 == 1) return false;
  std::string decoded;
  decoded.reserve(text.size() / 4 * 3 + 2);
  uint32_t bits = 0;
  int count = 0;
  for (const char16_t c : text) {
    const int sextet = SextetOf(c);
    if (sextet < 0) return false;
    bits = (bits << 6) | static_cast<uint32_t>(sextet);
    if (++count == 4) {
      decoded.push_back(static_cast<char>(bits >> 16));
      decoded.push_back(static_cast<char>(bits >> 8));
      decoded.push_back(static_cast<char>(bits));
      bits = 0;
      count = 0;
    }
  }
  if (count == 2) decoded.push_back(static_cast<char>(bits >> 4));
  if (count == 3) {
    decoded.push_back(static_cast<char>(bits >> 10));
    decoded.push_back(static_cast<char>(bits >> 2));
  }
  bytes.swap(decoded);
  return true;
}

}  // namespace llmbridge
