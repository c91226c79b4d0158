// Checks that bytes are well-formed UTF-8 one byte at a time, without a branch: text that mixes
// sequences of one, two, three and four bytes makes a branch per sequence length guess wrong
// again and again.
#pragma once

#include <array>
#include <cstdint>

namespace llmbridge::codepage {

// A state of the check is the position of a 6-bit field in a 64-bit word: the word for a byte
// holds, in the field of each state, the state that byte leads to. A step is then one load,
// indexed by the byte alone, and one shift, the only work that waits on the step before it.
namespace utf8_check {

enum : uint32_t {
  kComplete = 0,    // between sequences
  kBroken = 6,      // not well-formed; stays so
  kOneMore = 12,    // one continuation byte to come
  kTwoMore = 18,    // two
  kThreeMore = 24,  // three
  kAfterE0 = 30,    // the next must be A0-BF, or the sequence is overlong
  kAfterED = 36,    // 80-9F, or the sequence encodes a surrogate
  kAfterF0 = 42,    // 90-BF, or the sequence is overlong
  kAfterF4 = 48,    // 80-8F, or the sequence goes beyond U+10FFFF
};

constexpr uint32_t kStates[] = {kComplete, kBroken,  kOneMore, kTwoMore, kThreeMore,
                                kAfterE0,  kAfterED, kAfterF0, kAfterF4};

// The state `byte` leads to from `state`.
constexpr uint32_t Transition(uint32_t state, uint32_t byte) {
  const bool continuation = byte >= 0x80 && byte <= 0xBF;
  switch (state) {
    case kComplete:
      if (byte < 0x80) return kComplete;
      if (byte < 0xC2) return kBroken;  // a continuation byte, or the lead of an overlong pair
      if (byte < 0xE0) return kOneMore;
      if (byte == 0xE0) return kAfterE0;
      if (byte == 0xED) return kAfterED;
      if (byte < 0xF0) return kTwoMore;
      if (byte == 0xF0) return kAfterF0;
      if (byte < 0xF4) return kThreeMore;
      if (byte == 0xF4) return kAfterF4;
      return kBroken;
    case kOneMore:
      return continuation ? kComplete : kBroken;
    case kTwoMore:
      return continuation ? kOneMore : kBroken;
    case kThreeMore:
      return continuation ? kTwoMore : kBroken;
    case kAfterE0:
      return byte >= 0xA0 && byte <= 0xBF ? kOneMore : kBroken;
    case kAfterED:
      return byte >= 0x80 && byte <= 0x9F ? kOneMore : kBroken;
    case kAfterF0:
      return byte >= 0x90 && byte <= 0xBF ? kTwoMore : kBroken;
    case kAfterF4:
      return byte >= 0x80 && byte <= 0x8F ? kTwoMore : kBroken;
    default:
      return kBroken;
  }
}

constexpr std::array<uint64_t, 256> MakeTransitions() {
  std::array<uint64_t, 256> words{};
  for (uint32_t byte = 0; byte < 256; ++byte) {
    for (const uint32_t state : kStates) {
      words[byte] |= uint64_t{Transition(state, byte)} << state;
    }
  }
  return words;
}

inline constexpr std::array<uint64_t, 256> kTransitions = MakeTransitions();

}  // namespace utf8_check

// A check's state: the state proper in its low six bits, above them bits of no meaning that a step
// ignores, which saves it masking them off. A check starts from Utf8CheckStart().
using Utf8CheckState = uint64_t;

inline Utf8CheckState Utf8CheckStart() { return utf8_check::kComplete; }

inline Utf8CheckState NextUtf8CheckState(Utf8CheckState state, uint8_t byte) {
  return utf8_check::kTransitions[byte] >> (state & 63);
}

// Whether the bytes the check has seen were well-formed UTF-8, no sequence left unfinished.
inline bool Utf8CheckComplete(Utf8CheckState state) {
  return (state & 63) == utf8_check::kComplete;
}

}  // namespace llmbridge::codepage
