// DocumentArena: the storage of one document: its String values, member keys, arrays' elements
// and objects' members.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "json/json_memory.h"

namespace llmbridge {

struct ArenaChunk;

// Carves NUL-terminated texts and runs of values from large chunks, so that a document's many
// small strings, keys, arrays and objects do not each cost a heap block. Nothing is freed on its
// own: it lives as long as the arena, which gives back every chunk at once. Chunks come from the
// reserve of json_memory.h, which keeps them for the next document.
//
// Chunks grow from 4096 code units, doubling up to 64 Ki units, but a chunk is never made larger
// than what `expected_units` leaves after the units carved so far, so a small document gets a
// small chunk. A text that does not fit the chunk the arena would add gets a chunk of its own
// size, and the chunk being carved stays in use. Not thread-safe, like the documents.
// Copies `count` units, from `kUnits` to twice as many: one copy of a fixed size from the start
// and one to the end, overlapping in the middle. Fixed sizes compile to a few moves.
template <size_t kUnits>
void CopyBothEnds(char16_t* to, const char16_t* from, size_t count) {
  std::memcpy(to, from, kUnits * sizeof(char16_t));
  std::memcpy(to + count - kUnits, from + count - kUnits, kUnits * sizeof(char16_t));
}

// Copies `count` units. Most texts of an answer, its keys and short values, are a few units long,
// and for those a call of the C library's memcpy, made for long copies, costs more than the copy.
inline void CopyUnits(char16_t* to, const char16_t* from, size_t count) {
  if (count > 32) {
    std::memcpy(to, from, count * sizeof(char16_t));
  } else if (count >= 16) {
    CopyBothEnds<16>(to, from, count);
  } else if (count >= 8) {
    CopyBothEnds<8>(to, from, count);
  } else if (count >= 4) {
    CopyBothEnds<4>(to, from, count);
  } else if (count >= 2) {
    CopyBothEnds<2>(to, from, count);
  } else if (count == 1) {
    to[0] = from[0];
  }
}

class DocumentArena {
 public:
  // `expected_units` is the most the caller expects to carve, terminators included; it only
  // sizes the chunks, and carving more is allowed.
  explicit DocumentArena(size_t expected_units);
  ~DocumentArena();
  DocumentArena(const DocumentArena&) = delete;
  DocumentArena& operator=(const DocumentArena&) = delete;

  // Copies `length` code units into NUL-terminated storage that lives as long as the arena; the
  // empty text needs none and gives null. Each copy counts as an allocation for the failure hook
  // of json_memory.h, as does each chunk. Returns false, changing nothing, when storage cannot
  // be had. Inline: a parse copies every string and key.
  bool Copy(const char16_t* units, size_t length, char16_t** copy) {
    *copy = nullptr;
    if (length == 0) return true;
    if (!JsonAllocationMayProceed()) return false;
    char16_t* storage = Carve(length + 1);
    if (storage == nullptr) return false;
    CopyUnits(storage, units, length);
    storage[length] = 0;
    *copy = storage;
    return true;
  }

  // Room for `bytes`, aligned for any value of a document, that lives as long as the arena; null
  // when storage cannot be had. Counts as an allocation for the failure hook, as Copy does.
  void* CarveAligned(size_t bytes) {
    if (!JsonAllocationMayProceed() || bytes > SIZE_MAX / 2) return nullptr;
    // The units up to the next aligned one are skipped, and only those: a document carves an
    // object or an array for every few values.
    const size_t skipped =
        (0 - reinterpret_cast<uintptr_t>(open_)) % alignof(uint64_t) / sizeof(char16_t);
    const size_t units = (bytes + sizeof(char16_t) - 1) / sizeof(char16_t);
    if (skipped + units <= open_units_) return CarveAtBottom(skipped + units) + skipped;
    return CarveFromNewChunk(units, End::Bottom);  // whose units start aligned
  }

  // Room for `bytes` that lives as long as the arena and from which ArenaOf finds the arena
  // again; null when storage cannot be had. Counts as an allocation for the failure hook, as Copy
  // does. The room is unaligned.
  unsigned char* CarveTraceable(size_t bytes);

  // The arena that carved `carved` with CarveTraceable.
  static DocumentArena& ArenaOf(const unsigned char* carved);

  // Room for `units` code units that lives as long as the arena; null when storage cannot be
  // had. Counts as an allocation for the failure hook, as Copy does.
  char16_t* CarveUnits(size_t units) { return JsonAllocationMayProceed() ? Carve(units) : nullptr; }

  size_t chunk_count() const { return chunk_count_; }
  // Code units in all chunks, carved or not.
  size_t capacity_units() const { return capacity_units_; }

 private:
  // Which end of the open chunk's free room a carve takes. Values, which must be aligned, are
  // carved from the bottom and texts from the top, so that texts of odd sizes leave no gaps
  // before the values that follow them.
  enum class End { Bottom, Top };

  // The units of a new chunk of `units`, linked into the arena; null when it cannot be had.
  char16_t* AddChunk(size_t units);
  // Room for `units` more units of text, carved from the open chunk or from a new one.
  char16_t* Carve(size_t units) {
    if (units > open_units_) return CarveFromNewChunk(units, End::Top);
    open_units_ -= units;
    carved_units_ += units;
    return open_ + open_units_;
  }
  // The same for values; `units` include those skipped up to an aligned one.
  char16_t* CarveAtBottom(size_t units) {
    char16_t* carved = open_;
    open_ += units;
    open_units_ -= units;
    carved_units_ += units;
    return carved;
  }
  // The way of a carve from `end` when the open chunk has no room; null when no chunk can be had.
  char16_t* CarveFromNewChunk(size_t units, End end);

  ArenaChunk* chunks_ = nullptr;      // newest first
  ArenaChunk* open_chunk_ = nullptr;  // the chunk being carved
  char16_t* open_ = nullptr;          // the next free unit of the chunk being carved
  size_t open_units_ = 0;             // free units left there
  size_t next_chunk_units_;           // the size of the next chunk before the expectation caps it
  size_t expected_units_;
  size_t carved_units_ = 0;
  size_t chunk_count_ = 0;
  size_t capacity_units_ = 0;
};

}  // namespace llmbridge
