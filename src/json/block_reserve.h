// BlockReserve: the storage under the documents' arenas. It keeps the blocks given back to it, as a
// private heap keeps its committed pages: large blocks handed straight back to the C library go
// back to the system, and the next parse would fault every page of them in again.
#pragma once

#include <cstddef>

#include "base/intrusive_list.h"

namespace llmbridge {

// Sits in front of the storage it describes, padded so the storage keeps malloc's alignment.
struct ReservedBlock {
  size_t size;                     // usable bytes behind the header
  ListLinks<ReservedBlock> links;  // while kept: its place from the oldest kept to the newest
};

// A kept block serves a later request it covers with at most an eighth to spare: the oldest kept
// block of exactly the size asked for, or else the smallest that covers it. The arenas ask for
// chunks of the sizes they gave back, in the same order, parse after parse, so the search for an
// exact size ends near the start of the list of kept blocks, which runs from the oldest.
// Before it allocates for a request no kept block serves, the reserve frees kept blocks until the
// kept and the used bytes together stay within the most ever in use at once: it never holds more
// than the arenas once needed. Nor does it keep more than its cap: a block given back beyond it
// goes back to the C library at once, so that one large answer does not leave its peak held
// until the library is unloaded. Not thread-safe, like the documents.
// Owns its kept blocks until Release; it has no destructor, so that a block may still be given
// back while the process exits.
class BlockReserve {
 public:
  // Keeps at most `most_kept_bytes` of the blocks given back.
  explicit BlockReserve(size_t most_kept_bytes) : most_kept_bytes_(most_kept_bytes) {}

  // Storage of at least `bytes`, aligned for any scalar; null when none can be had.
  void* Take(size_t bytes);
  // Gives back storage from Take; null is ignored.
  void GiveBack(void* storage);
  // Returns every kept block to the C library.
  void Release();

  size_t kept_bytes() const { return kept_bytes_; }
  size_t used_bytes() const { return used_bytes_; }

 private:
  ReservedBlock* BestFit(size_t bytes) const;
  // Takes a kept block off the list.
  void Unlink(ReservedBlock* block);
  // Whether `bytes` more would keep the kept and used bytes within the peak.
  bool FitsUnderPeak(size_t bytes) const;
  // Frees kept blocks, most recently kept first, until `bytes` more fit within the peak.
  void MakeRoomFor(size_t bytes);
  void FreeNewestKept();

  IntrusiveList<ReservedBlock> kept_;  // from the oldest kept to the newest
  size_t most_kept_bytes_;
  size_t kept_bytes_ = 0;
  size_t used_bytes_ = 0;
  size_t peak_used_bytes_ = 0;
};

}  // namespace llmbridge
