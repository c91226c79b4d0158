#include "text/wide_text.h"

#include "text/utf16_units.h"

namespace llmbridge {

void ReplaceUnpairedSurrogates(Text& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      ++i;  // a pair: both halves stay
    } else if (IsSurrogate(text[i])) {
      text[i] = u'\uFFFD';
    }
  }
}

}  // namespace llmbridge
