#include "json/vector_string_decoder.h"

#if defined(__i386__) || defined(__x86_64__)

#include <cpuid.h>
#include <smmintrin.h>

#include <array>

#include "json/escape_letters.h"

namespace llmbridge {

namespace {

using ByteTable = std::array<uint8_t, 16>;

// A block is checked whole before any of it is decoded: each byte is judged with the one before it
// by three table lookups, one per nibble (the earlier byte's high and low and this byte's high).
// Each bit of a lookup's result stands for one kind of fault, a set of byte pairs given by a set
// of values for each of the three nibbles; the three results, ANDed, keep the faults all three
// nibbles agree on.
struct PairFault {
  uint8_t bit;
  uint16_t earlier_high;  // the nibble values in each set, one bit each
  uint16_t earlier_low;
  uint16_t later_high;
};

constexpr uint16_t Nibbles(int first, int last) {
  return static_cast<uint16_t>((2u << last) - (1u << first));
}
constexpr uint16_t kAnyNibble = Nibbles(0, 15);
constexpr uint16_t kAsciiHigh = Nibbles(0, 7);
constexpr uint16_t kContinuationHigh = Nibbles(8, 0xB);
constexpr uint16_t kLeadHigh = Nibbles(0xC, 0xF);

// The last kind, two continuation bytes in a row, is a fault only where the later is not the
// third or fourth byte of a sequence; that is settled after the lookups.
constexpr uint8_t kTwoContinuations = 0x80;

constexpr PairFault kPairFaults[] = {
    {0x01, kLeadHigh, kAnyNibble, static_cast<uint16_t>(~kContinuationHigh)},  // cut short
    {0x02, kAsciiHigh, kAnyNibble, kContinuationHigh},                // a continuation with no lead
    {0x04, Nibbles(0xE, 0xE), Nibbles(0, 0), Nibbles(8, 9)},          // E0 80-9F: overlong
    {0x08, Nibbles(0xF, 0xF), Nibbles(4, 0xF), Nibbles(9, 0xB)},      // F4 90-BF, F5-FF: too large
    {0x10, Nibbles(0xE, 0xE), Nibbles(0xD, 0xD), Nibbles(0xA, 0xB)},  // ED A0-BF: a surrogate
    {0x20, Nibbles(0xC, 0xC), Nibbles(0, 1), kContinuationHigh},      // C0, C1: overlong
    // F0 80-8F overlong, F5-FF 80-8F too large
    {0x40, Nibbles(0xF, 0xF), Nibbles(0, 0) | Nibbles(5, 0xF), Nibbles(8, 8)},
    {kTwoContinuations, kContinuationHigh, kAnyNibble, kContinuationHigh},
};

// The faults whose set for one nibble (chosen by `Set`) holds each nibble value.
template <uint16_t PairFault::*Set>
constexpr ByteTable FaultsByNibble() {
  ByteTable table{};
  for (int nibble = 0; nibble < 16; ++nibble) {
    for (const PairFault& fault : kPairFaults) {
      if ((fault.*Set >> nibble) & 1)
        table[nibble] = static_cast<uint8_t>(table[nibble] | fault.bit);
    }
  }
  return table;
}

constexpr ByteTable kFaultsByEarlierHigh = FaultsByNibble<&PairFault::earlier_high>();
constexpr ByteTable kFaultsByEarlierLow = FaultsByNibble<&PairFault::earlier_low>();
constexpr ByteTable kFaultsByLaterHigh = FaultsByNibble<&PairFault::later_high>();

// Well-formed text is decoded sixteen bytes at a time, each byte on its own: a lead byte gives
// its sequence's unit, from itself and the two bytes after it, or the high surrogate of a
// sequence of four; the third byte of a sequence of four gives the low surrogate, from itself and
// the byte after it; the other continuation bytes give nothing. So no byte waits on where the
// sequence before it ended, and the units kept are packed together at the end.
//
// Each such byte's unit starts as its own value bits times 64 plus the next byte's six; these are
// the value bits of a byte, by its high nibble. ASCII keeps its own value.
constexpr ByteTable MakeValueBits() {
  ByteTable table{};
  for (int nibble = 0; nibble < 16; ++nibble) {
    table[nibble] = nibble < 0xC ? 0x0F : nibble < 0xE ? 0x1F : nibble == 0xE ? 0x0F : 0x07;
  }
  return table;
}

// All ones in the bytes whose high nibble is one of `first` to `last`.
constexpr ByteTable NibbleIsIn(int first, int last) {
  ByteTable table{};
  for (int nibble = first; nibble <= last; ++nibble) table[nibble] = 0xFF;
  return table;
}

constexpr ByteTable kValueBits = MakeValueBits();
constexpr ByteTable kIsContinuation = NibbleIsIn(8, 0xB);
constexpr ByteTable kLeadsTwo = NibbleIsIn(0xC, 0xD);
constexpr ByteTable kLeadsThree = NibbleIsIn(0xE, 0xE);
constexpr ByteTable kLeadsFour = NibbleIsIn(0xF, 0xF);

// For each choice of eight units to keep (a bit each), the byte shuffle that packs them together.
struct Packing {
  std::array<ByteTable, 256> shuffles;
  std::array<uint8_t, 256> counts;
};

constexpr Packing MakePacking() {
  Packing packing{};
  for (int keep = 0; keep < 256; ++keep) {
    ByteTable& shuffle = packing.shuffles[keep];
    for (uint8_t& byte : shuffle) byte = 0x80;
    int count = 0;
    for (int unit = 0; unit < 8; ++unit) {
      if (((keep >> unit) & 1) == 0) continue;
      shuffle[2 * count] = static_cast<uint8_t>(2 * unit);
      shuffle[2 * count + 1] = static_cast<uint8_t>(2 * unit + 1);
      ++count;
    }
    packing.counts[keep] = static_cast<uint8_t>(count);
  }
  return packing;
}

constexpr Packing kPacking = MakePacking();

constexpr int kWindowBytes = 16;
constexpr int kBlockBytes = 64;

#define LLMBRIDGE_SSE41 __attribute__((target("sse4.1"), always_inline)) inline

LLMBRIDGE_SSE41 __m128i Load(const ByteTable& table) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(table.data()));
}

LLMBRIDGE_SSE41 __m128i LoadBytes(const uint8_t* bytes) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
}

LLMBRIDGE_SSE41 __m128i HighNibbles(__m128i bytes) {
  return _mm_and_si128(_mm_srli_epi16(bytes, 4), _mm_set1_epi8(0x0F));
}

LLMBRIDGE_SSE41 __m128i Lookup(const ByteTable& table, __m128i nibbles) {
  return _mm_shuffle_epi8(Load(table), nibbles);
}

// One bit for each byte of a block, from the high bits of its four parts.
LLMBRIDGE_SSE41 uint64_t HighBits(const __m128i (&parts)[4]) {
  uint64_t mask = 0;
  for (int i = 3; i >= 0; --i)
    mask = mask << 16 | static_cast<uint32_t>(_mm_movemask_epi8(parts[i]));
  return mask;
}

// The bytes of `part` that are not well-formed UTF-8 after `previous`, nonzero. A fault is found
// at the byte that shows it, at most one byte after the sequence it breaks.
LLMBRIDGE_SSE41 __m128i Faults(__m128i part, __m128i previous) {
  const __m128i earlier = _mm_alignr_epi8(part, previous, 15);
  const __m128i faults = _mm_and_si128(
      _mm_and_si128(Lookup(kFaultsByEarlierHigh, HighNibbles(earlier)),
                    Lookup(kFaultsByEarlierLow, _mm_and_si128(earlier, _mm_set1_epi8(0x0F)))),
      Lookup(kFaultsByLaterHigh, HighNibbles(part)));
  // A byte two after a lead of three or four bytes, or three after one of four, must be a
  // continuation that follows one: its high bit set by saturating subtraction.
  const __m128i third =
      _mm_subs_epu8(_mm_alignr_epi8(part, previous, 14), _mm_set1_epi8(0xE0 - 0x80));
  const __m128i fourth =
      _mm_subs_epu8(_mm_alignr_epi8(part, previous, 13), _mm_set1_epi8(0xF0 - 0x80));
  const __m128i expected = _mm_and_si128(_mm_or_si128(third, fourth),
                                         _mm_set1_epi8(static_cast<char>(kTwoContinuations)));
  return _mm_xor_si128(faults, expected);
}

// What the bytes of a block are, one bit for each.
struct BlockMasks {
  uint64_t stops;  // quotation marks, backslashes and NULs
  uint64_t non_ascii;
  uint64_t ends;    // bytes that no continuation follows
  uint64_t faults;  // bytes that show the UTF-8 up to them is not well-formed
};

// Reads the block at `block`, which starts a sequence.
LLMBRIDGE_SSE41 BlockMasks ReadBlock(const uint8_t* block) {
  __m128i parts[4], stop_flags[4], continuation_flags[4];
  for (int i = 0; i < 4; ++i) {
    parts[i] = LoadBytes(block + i * kWindowBytes);
    stop_flags[i] = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(parts[i], _mm_set1_epi8('"')),
                                              _mm_cmpeq_epi8(parts[i], _mm_set1_epi8('\\'))),
                                 _mm_cmpeq_epi8(parts[i], _mm_setzero_si128()));
    // Signed, a continuation byte is below C0.
    continuation_flags[i] = _mm_cmplt_epi8(parts[i], _mm_set1_epi8(static_cast<char>(0xC0)));
  }
  BlockMasks masks;
  masks.stops = HighBits(stop_flags);
  masks.non_ascii = HighBits(parts);
  masks.ends = ~HighBits(continuation_flags) >> 1;
  masks.faults = 0;
  if (masks.non_ascii != 0) {
    __m128i well_formed[4];
    __m128i previous = _mm_setzero_si128();  // as if after ASCII
    for (int i = 0; i < 4; ++i) {
      well_formed[i] = _mm_cmpeq_epi8(Faults(parts[i], previous), _mm_setzero_si128());
      previous = parts[i];
    }
    masks.faults = ~HighBits(well_formed);
  }
  return masks;
}

// Writes the `count` ASCII bytes at `ascii` as units, sixteen at a time.
LLMBRIDGE_SSE41 void WidenAscii(const uint8_t* ascii, int count, char16_t* out) {
  const __m128i zero = _mm_setzero_si128();
  for (int i = 0; i < count; i += kWindowBytes) {
    const __m128i bytes = LoadBytes(ascii + i);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(bytes, zero));
  }
}

// The bytes of one half of a window, as 16-bit lanes: `Half` 0 the first eight, 1 the last.
template <int Half>
LLMBRIDGE_SSE41 __m128i Interleave(__m128i low, __m128i high) {
  return Half == 0 ? _mm_unpacklo_epi8(low, high) : _mm_unpackhi_epi8(low, high);
}

// Byte flags widened to the 16-bit lanes of one half of a window. (A lambda would not inherit the
// target.)
template <int Half>
LLMBRIDGE_SSE41 __m128i LaneFlags(__m128i byte_flags) {
  return Interleave<Half>(byte_flags, byte_flags);
}

// The units the bytes of one half of a window give, and which of them are kept.
template <int Half>
LLMBRIDGE_SSE41 char16_t* DecodeHalf(__m128i bytes, __m128i next, __m128i after_next, __m128i high,
                                     __m128i low_surrogate_flags, unsigned keep, char16_t* out) {
  const __m128i zero = _mm_setzero_si128();
  // value bits * 64 + the next byte's six, by a multiply-add of each lane's two bytes
  const __m128i pairs = Interleave<Half>(_mm_and_si128(next, _mm_set1_epi8(0x3F)),
                                         _mm_and_si128(bytes, Lookup(kValueBits, high)));
  const __m128i start = _mm_maddubs_epi16(pairs, _mm_set1_epi16(0x4001));
  const __m128i third = Interleave<Half>(after_next, zero);
  const __m128i three =
      _mm_or_si128(_mm_slli_epi16(start, 6), _mm_and_si128(third, _mm_set1_epi16(0x3F)));
  // (the scalar value - 0x10000) >> 10, plus 0xD800
  const __m128i high_surrogate =
      _mm_add_epi16(_mm_or_si128(_mm_slli_epi16(start, 2),
                                 _mm_and_si128(_mm_srli_epi16(third, 4), _mm_set1_epi16(3))),
                    _mm_set1_epi16(static_cast<short>(0xD800 - 0x40)));
  const __m128i low_surrogate = _mm_or_si128(start, _mm_set1_epi16(static_cast<short>(0xDC00)));
  __m128i units = Interleave<Half>(bytes, zero);
  units = _mm_blendv_epi8(units, start, LaneFlags<Half>(Lookup(kLeadsTwo, high)));
  units = _mm_blendv_epi8(units, three, LaneFlags<Half>(Lookup(kLeadsThree, high)));
  units = _mm_blendv_epi8(units, high_surrogate, LaneFlags<Half>(Lookup(kLeadsFour, high)));
  units = _mm_blendv_epi8(units, low_surrogate, LaneFlags<Half>(low_surrogate_flags));
  const unsigned kept = (keep >> (8 * Half)) & 0xFF;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                   _mm_shuffle_epi8(units, Load(kPacking.shuffles[kept])));
  return out + kPacking.counts[kept];
}

// Decodes the bytes of the window at `window` that `within` has a bit for; `before` holds the
// sixteen bytes before the window, or zeros where the text decoded starts at the window.
LLMBRIDGE_SSE41 char16_t* DecodeWindow(const uint8_t* window, __m128i before, unsigned within,
                                       char16_t* out) {
  const __m128i bytes = LoadBytes(window);
  const __m128i after = LoadBytes(window + kWindowBytes);
  const __m128i next = _mm_alignr_epi8(after, bytes, 1);
  const __m128i after_next = _mm_alignr_epi8(after, bytes, 2);
  const __m128i high = HighNibbles(bytes);
  // A continuation two bytes after a lead of four is the third byte of its sequence.
  const __m128i continuations = Lookup(kIsContinuation, high);
  const __m128i low_surrogates = _mm_and_si128(
      continuations,
      _mm_cmpeq_epi8(HighNibbles(_mm_alignr_epi8(bytes, before, 14)), _mm_set1_epi8(0x0F)));
  const unsigned dropped =
      static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(low_surrogates, continuations)));
  const unsigned keep = ~dropped & within;
  out = DecodeHalf<0>(bytes, next, after_next, high, low_surrogates, keep, out);
  return DecodeHalf<1>(bytes, next, after_next, high, low_surrogates, keep, out);
}

// Decodes the well-formed text from `from` to `to` in the block at `block`, which starts and ends
// a sequence there.
LLMBRIDGE_SSE41 char16_t* DecodeStretch(const uint8_t* block, int from, int to, char16_t* out) {
  __m128i before = _mm_setzero_si128();  // as if after ASCII
  for (int at = from; at < to; at += kWindowBytes) {
    const int left = to - at;
    const unsigned within = left >= kWindowBytes ? 0xFFFFu : (1u << left) - 1;
    out = DecodeWindow(block + at, before, within, out);
    before = LoadBytes(block + at);
  }
  return out;
}

// Reads the escape sequence at `backslash` into `unit`; returns its length in bytes, or 0 for one
// the caller reads itself: one not well-formed, or \u0000, which ends what the string stores.
inline int ReadEscape(const uint8_t* backslash, char16_t* unit) {
  const uint8_t letter = backslash[1];
  if (letter != 'u') {
    *unit = SingleLetterEscape(letter);
    return *unit != 0 ? 2 : 0;
  }
  const uint8_t* bad;
  const long value = HexEscapeValue(backslash + 2, &bad);
  if (value <= 0) return 0;
  *unit = static_cast<char16_t>(value);
  return 6;
}

// On 32-bit Windows the stack is aligned to four bytes only; vectors spilled to it need sixteen.
#if defined(__i386__)
#define LLMBRIDGE_REALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define LLMBRIDGE_REALIGN_STACK
#endif

// Decodes what it can of the block at `block`, which starts a sequence, into `out`; returns the
// bytes taken. Sets `*done` where decoding has to stop: before a stop it does not take, or before
// text that is not well-formed, which the caller's decoder takes apart the way Windows does.
LLMBRIDGE_SSE41 int DecodeBlock(const uint8_t* block, char16_t*& out, bool* done) {
  const BlockMasks masks = ReadBlock(block);
  // The block is taken a stretch at a time, from one stop to the next.
  int taken = 0;
  while (taken < kBlockBytes) {
    const uint64_t ahead = ~uint64_t{0} << taken;
    const uint64_t stop_bit = masks.stops & ahead & (0 - (masks.stops & ahead));
    const int stop = stop_bit == 0 ? kBlockBytes : __builtin_ctzll(stop_bit);
    const uint64_t stretch = (stop_bit - 1) & ahead;
    if ((masks.non_ascii & stretch) == 0) {
      WidenAscii(block + taken, stop - taken, out);
      out += stop - taken;
      taken = stop;
    } else {
      // The stretch ends with the last sequence known whole and sound: one the block does not
      // cut, and that ends two bytes or more before the first fault, since a fault shows at
      // most one byte after the sequence it breaks. A fault at the stop counts.
      const uint64_t faults = masks.faults & ahead & (stop_bit * 2 - 1);
      const uint64_t sound = ((faults & (0 - faults)) - 1) >> 1;
      const uint64_t sound_ends = masks.ends & stretch & sound;
      const int to = sound_ends == 0 ? taken : kBlockBytes - __builtin_clzll(sound_ends);
      out = DecodeStretch(block, taken, to, out);
      taken = to;
      if (taken != stop) {
        // Broken text, or a sequence the block cuts, which the next block starts with.
        *done = faults != 0;
        return taken;
      }
    }
    if (stop == kBlockBytes) break;
    const int escape_bytes = block[taken] == '\\' ? ReadEscape(block + taken, out) : 0;
    if (escape_bytes == 0) {
      *done = true;
      return taken;
    }
    ++out;
    taken += escape_bytes;
  }
  return taken;
}

__attribute__((target("sse4.1"))) LLMBRIDGE_REALIGN_STACK size_t
DecodeWithVectors(const uint8_t*& p, const uint8_t* end, char16_t* out, size_t room) {
  const uint8_t* at = p;
  char16_t* const first = out;
  char16_t* const last = out + room;
  bool done = false;
  // A window anywhere in a block reads the sixteen bytes after it too.
  while (!done && end - at >= kBlockBytes + 2 * kWindowBytes &&
         last - out >= static_cast<ptrdiff_t>(kVectorDecoderRoom)) {
    at += DecodeBlock(at, out, &done);
  }
  p = at;
  return static_cast<size_t>(out - first);
}

bool HasSse41() {
  unsigned eax, ebx, ecx, edx;
  return __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 && (ecx & bit_SSE4_1) != 0;
}

const bool kHasSse41 = HasSse41();

}  // namespace

size_t DecodeStringWithVectors(const uint8_t*& p, const uint8_t* end, char16_t* out, size_t room) {
  return kHasSse41 ? DecodeWithVectors(p, end, out, room) : 0;
}

}  // namespace llmbridge

#else

namespace llmbridge {

size_t DecodeStringWithVectors(const uint8_t*&, const uint8_t*, char16_t*, size_t) { return 0; }

}  // namespace llmbridge

#endif
