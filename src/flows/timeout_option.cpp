#include "flows/timeout_option.h"

namespace llmbridge {

bool ReadTimeoutOption(const Text& text, int32_t& milliseconds, Text& reason) {
  const size_t point = text.find(u'.');
  const Text whole = text.substr(0, point);
  const Text fraction = point == Text::npos ? Text() : text.substr(point + 1);
  bool digits_only = !whole.empty() && (point == Text::npos || !fraction.empty());
  for (const char16_t c : whole + fraction) digits_only = digits_only && c >= u'0' && c <= u'9';
  if (!digits_only) {
    reason = u"the timeout \"" + text + u"\" is not a number of seconds such as 30 or 2.5";
    return false;
  }
  // Millisecond arithmetic in 64 bits, stopping as soon as the longest limit is passed.
  int64_t ms = 0;
  for (const char16_t c : whole) {
    ms = ms * 10 + (c - u'0') * 1000;
    if (ms > kLongestTimeoutMs) break;
  }
  int64_t scale = 100;
  bool below_a_millisecond = false;
  for (const char16_t c : fraction) {
    if (scale > 0)
      ms += (c - u'0') * scale;
    else
      below_a_millisecond = below_a_millisecond || c != u'0';
    scale /= 10;
  }
  if (below_a_millisecond) {
    if (ms == 0) {
      reason = u"the timeout \"" + text + u"\" is shorter than 1 ms";
      return false;
    }
    ++ms;
  }
  if (ms > kLongestTimeoutMs) {
    reason = u"the timeout \"" + text + u"\" is longer than 2147483.647 s";
    return false;
  }
  milliseconds = static_cast<int32_t>(ms);
  return true;
}

}  // namespace llmbridge
