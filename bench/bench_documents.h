// The documents the benchmark parses, generated so that every run measures the same bytes.
#pragma once

#include <string>

namespace llmbridge::bench {

// A chat answer of about `bytes` bytes whose content is long prose with escapes and accents.
std::string MakeChatAnswer(size_t bytes);

// A model list of `entries` entries, each with a permission array, as vLLM answers.
std::string MakeModelList(int entries);

// About `bytes` bytes of nested objects and arrays, integers and reals, escapes and non-ASCII
// text.
std::string MakeMixedDocument(size_t bytes);

// A chat answer of about `bytes` bytes whose content mixes accented, Cyrillic, Arabic and CJK
// words with emoji and `\n`, `\"` and `\t` escapes every few words.
std::string MakeMultilingualChatAnswer(size_t bytes);

// About `bytes` bytes of conversation messages with the same kind of text, with numbers, nested
// objects and short arrays around it.
std::string MakeMultilingualMixedDocument(size_t bytes);

}  // namespace llmbridge::bench
