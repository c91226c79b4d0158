// Decoding of a string's UTF-8 content to UTF-16 sixteen bytes at a time, with SSE4.1: text that
// changes script every word defeats a decoder that branches on the length of each sequence, and
// this one decodes every byte of a window at once, whatever the lengths of its sequences.
#pragma once

#include <cstddef>
#include <cstdint>

namespace llmbridge {

// The room in units DecodeStringWithVectors needs for a block: a unit for each of its 64 bytes,
// and the 15 that a store of a whole vector writes past them at most.
constexpr size_t kVectorDecoderRoom = 80;

// Decodes the string content at `p` into `out` as the parser would a byte at a time: UTF-8 and
// escape sequences, except \u0000, which ends what the string stores. `p` is at the start of a
// sequence, and moves past what was decoded; returns the units written. Stops before a quotation
// mark, a NUL, an escape sequence it does not take or one that is not well-formed, and before
// UTF-8 that is not well-formed (which the parser's decoder takes apart the way Windows does);
// where fewer than 96 bytes are left before `end`; or where fewer than kVectorDecoderRoom units
// of `room` are left. Stops at once on processors without SSE4.1.
size_t DecodeStringWithVectors(const uint8_t*& p, const uint8_t* end, char16_t* out, size_t room);

}  // namespace llmbridge
