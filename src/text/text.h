// The library's text value: UTF-16 code units, owned, copied on assignment.
#pragma once

#include <string>

namespace llmbridge {

// A text never holds U+0000: everything that builds one from a buffer stops at the first zero.
// "Absent" and empty are the same value here, so an absent text reads as empty everywhere.
using Text = std::u16string;

// Exact, case-sensitive comparison of code units.
inline bool TextsEqual(const Text& a, const Text& b) { return a == b; }

}  // namespace llmbridge
