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
//
// A key is met either as UTF-16 units or, in UTF-8 input, as the plain ASCII bytes that spell
// nearly every key; the second kind is compared with the bytes it was stored from, which lie in
// the input the parse reads. Each `hash` is the HashText of the key's UTF-16 units.
class StoredKeys {
 public:
  // The stored copy of the `length` units of `key`: the copy stored before or a new one in
  // `arena`; null for the empty key. False when storage cannot be had.
  bool Store(const char16_t* key, size_t length, uint32_t hash, DocumentArena& arena,
             const char16_t** stored) {
    Entry& entry = EntryFor(hash);
    if (entry.hash == hash && entry.length == length && entry.key != nullptr &&
        SameRun(entry.key, key, length)) {
      *stored = entry.key;
      return true;
    }
    char16_t* copy;
    if (!arena.Copy(key, length, &copy)) return false;
    entry = {copy, nullptr, length, hash};
    *stored = copy;
    return true;
  }

  // The same for a key of `length` plain ASCII bytes at `bytes`, which stay where they are until
  // the parse is over; a new copy is widened to UTF-16.
  bool StoreAscii(const unsigned char* bytes, size_t length, uint32_t hash, DocumentArena& arena,
                  const char16_t** stored) {
    Entry& entry = EntryFor(hash);
    if (entry.hash == hash && entry.length == length && entry.bytes != nullptr &&
        entry.key != nullptr && SameRun(entry.bytes, bytes, length)) {
      *stored = entry.key;
      return true;
    }
    char16_t* copy = nullptr;
    if (length != 0) {
      if ((copy = arena.CarveUnits(length + 1)) == nullptr) return false;
      for (size_t i = 0; i < length; ++i) copy[i] = bytes[i];
      copy[length] = 0;
    }
    entry = {copy, bytes, length, hash};
    *stored = copy;
    return true;
  }

 private:
  static constexpr unsigned kEntryBits = 8;

  struct Entry {
    const char16_t* key;
    const unsigned char* bytes;  // what an ASCII key was stored from; null for the others
    size_t length;
    uint32_t hash;
  };

  Entry& EntryFor(uint32_t hash) { return entries_[(hash * 0x9E3779B1u) >> (32 - kEntryBits)]; }

  // Whether two keys' units are the same, a word at a time: keys are some ten units long, and
  // every key of an answer is compared.
  template <typename Unit>
  static bool SameRun(const Unit* a, const Unit* b, size_t length) {
    constexpr size_t kPerWord = sizeof(uint64_t) / sizeof(Unit);
    size_t i = 0;
    for (; length - i >= kPerWord; i += kPerWord) {
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
