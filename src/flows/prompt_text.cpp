#include "flows/prompt_text.h"

#include "text/escaping.h"

namespace llmbridge {

Text PreparePrompt(const Text& prompt) { return EscapeText(ReplaceText(prompt, u"\r\n", u" ")); }

}  // namespace llmbridge
