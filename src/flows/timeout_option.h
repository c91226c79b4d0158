// Reads the timeout option: seconds for a whole exchange.
#pragma once

#include <cstdint>

#include "text/text.h"

namespace llmbridge {

// The longest limit: what libcurl's millisecond time-out holds on every platform (a 32-bit long
// on Windows), about 24.8 days.
constexpr int32_t kLongestTimeoutMs = 2147483647;

// Reads digits with an optional decimal point and more digits ("30", "2.5", "0.001") as
// milliseconds, a part of a millisecond rounded up: 0 for zero, otherwise at least 1. False,
// with `reason`, for any other text, for a limit between zero and 1 ms or above the longest.
bool ReadTimeoutOption(const Text& text, int32_t& milliseconds, Text& reason);

}  // namespace llmbridge
