// StoredKeys: the member keys one parse has stored, so that a key named again shares the copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "json/document_arena.h"

namespace llmbridge {

// Answers name the same few keys in every entry of a list; each is copied into the document once
// while it stays among the recent keys. Keys are never changed once stored, so sharing them is
// safe. A key that meets another in the table takes its place: colliding keys cost a copy each,
// as without the table, and never a search.
class StoredKeys {
 public:
  // The stored copy of the `length` units of `key`, whose HashText is `hash`: the copy stored
  // before or a new one in `arena`; null for the empty key. False when storage cannot be had.
  bool Store(const char16_t* key, size_t length, uint32_t hash, DocumentArena& arena,
             const char16_t** stored) {
    Entry& entry = entries_[(hash * 0x9E3779B1u) >> (32 - kEntryBits)];
    if (entry.hash == hash && entry.length == length && entry.key != nullptr &&
        SameUnits(entry.key, key, length)) {
      *stored = entry.key;
      return true;
    }
    char16_t* copy;
    if (!arena.Copy(key, length, &copy)) return false;
    entry = {copy, length, hash};
    *stored = copy;
    return true;
  }

 private:
  static constexpr unsigned kEntryBits = 8;

  struct Entry {
    const char16_t* key;
    size_t length;
    uint32_t hash;
  };

  // Four units at a time: keys are some ten units long, and every key of an answer is compared.
  static bool SameUnits(const char16_t* a, const char16_t* b, size_t length) {
    size_t i = 0;
    for (; length - i >= 4; i += 4) {
      uint64_t a_units;
      uint64_t b_units;
      std::memcpy(&a_units, a + i, sizeof a_units);
      std::memcpy(&b_units, b + i, sizeof b_units);
      if (a_units != b_units) return false;
    }
    for (; i < length; ++i) {
      if (a[i] != b[i]) return false;
    }
    return true;
  }

  Entry entries_[size_t{1} << kEntryBits] = {};
};

}  // namespace llmbridge
