// StoredKeys: the member keys one parse has stored, so that a key named again shares the copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "json/document_arena.h"
#include "json/json_object.h"
#include "text/text_hash.h"

namespace llmbridge {

// Answers name the same few keys in every entry of a list; each is copied into the document once
// while it stays among the recent keys. Keys are never changed once stored, so sharing them is
// safe. A key that meets another in the table takes its place: colliding keys cost a copy each,
// as without the table, and never a search.
//
// A key is met either as UTF-16 units or, in UTF-8 input, as the plain ASCII bytes that spell
// nearly every key; the second kind is compared with the bytes it was stored from, which lie in
// the input the parse reads.
class StoredKeys {
 public:
  // The record of the `length` units of `key`: the record stored before or a new one in `arena`.
  // False when storage cannot be had.
  bool Store(const char16_t* key, size_t length, DocumentArena& arena, const JsonKey** stored) {
    const uint32_t hash = HashText(key, length);
    Entry& entry = EntryFor(hash);
    if (entry.hash == hash && entry.record != nullptr && entry.record->length == length &&
        SameRun(entry.record->units(), key, length)) {
      *stored = entry.record;
      return true;
    }
    const JsonKey* record = NewRecord(length, hash, arena, [&](char16_t* units) {
      std::memcpy(units, key, length * sizeof(char16_t));
    });
    if (record == nullptr) return false;
    entry = {record, nullptr, hash};
    *stored = record;
    return true;
  }

  // The same for a key of `length` plain ASCII bytes at `bytes`, which stay where they are until
  // the parse is over; a new record's units are widened from them. Inline: the parser meets one
  // for nearly every member.
  [[gnu::always_inline]] bool StoreAscii(const unsigned char* bytes, size_t length,
                                         DocumentArena& arena, const JsonKey** stored) {
    const uint32_t hash = HashText(bytes, length);
    Entry& entry = EntryFor(hash);
    if (entry.hash == hash && entry.bytes != nullptr && entry.record->length == length &&
        SameRun(entry.bytes, bytes, length)) {
      *stored = entry.record;
      return true;
    }
    const JsonKey* record = NewRecord(length, hash, arena, [&](char16_t* units) {
      for (size_t i = 0; i < length; ++i) units[i] = bytes[i];
    });
    if (record == nullptr) return false;
    entry = {record, bytes, hash};
    *stored = record;
    return true;
  }

 private:
  static constexpr unsigned kEntryBits = 8;

  struct Entry {
    const JsonKey* record;
    const unsigned char* bytes;  // what an ASCII key was stored from; null for the others
    uint32_t hash;
  };

  Entry& EntryFor(uint32_t hash) { return entries_[(hash * 0x9E3779B1u) >> (32 - kEntryBits)]; }

  // A new record for a key of `length` units, which `fill` writes; the empty key's needs no
  // storage. Null when storage cannot be had.
  template <typename Fill>
  static const JsonKey* NewRecord(size_t length, uint32_t hash, DocumentArena& arena, Fill fill) {
    if (length == 0) return EmptyJsonKey();
    if (length > UINT32_MAX) return nullptr;
    auto* record = static_cast<JsonKey*>(arena.CarveAligned(JsonKeyBytes(length)));
    if (record == nullptr) return nullptr;
    record->length = static_cast<uint32_t>(length);
    record->bucket = hash % kMemberBucketCount;
    auto* units = reinterpret_cast<char16_t*>(record + 1);
    fill(units);
    units[length] = 0;
    return record;
  }

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
