#include "json/block_reserve.h"

#include <cstdint>
#include <cstdlib>

namespace llmbridge {

// Sits in front of the storage it describes, padded so the storage keeps malloc's alignment.
struct ReservedBlock {
  size_t size;          // usable bytes behind the header
  ReservedBlock* next;  // while kept: the block kept before it
};

namespace {

constexpr size_t kHeaderSize = (sizeof(ReservedBlock) + alignof(std::max_align_t) - 1) /
                               alignof(std::max_align_t) * alignof(std::max_align_t);

void* StorageOf(ReservedBlock* block) {
  return reinterpret_cast<unsigned char*>(block) + kHeaderSize;
}

ReservedBlock* HeaderOf(void* storage) {
  return reinterpret_cast<ReservedBlock*>(static_cast<unsigned char*>(storage) - kHeaderSize);
}

bool Covers(size_t size, size_t bytes) { return size >= bytes && size - bytes <= bytes / 8; }

}  // namespace

void* BlockReserve::Take(size_t bytes) {
  ReservedBlock* block;
  if (ReservedBlock** fit = BestFit(bytes)) {
    block = *fit;
    *fit = block->next;
    kept_bytes_ -= block->size;
  } else {
    if (bytes > SIZE_MAX - kHeaderSize) return nullptr;
    MakeRoomFor(bytes);
    block = static_cast<ReservedBlock*>(std::malloc(kHeaderSize + bytes));
    if (block == nullptr) return nullptr;
    block->size = bytes;
  }
  used_bytes_ += block->size;
  if (used_bytes_ > peak_used_bytes_) peak_used_bytes_ = used_bytes_;
  return StorageOf(block);
}

void BlockReserve::GiveBack(void* storage) {
  if (storage == nullptr) return;
  ReservedBlock* block = HeaderOf(storage);
  used_bytes_ -= block->size;
  block->next = kept_;
  kept_ = block;
  kept_bytes_ += block->size;
}

void BlockReserve::Release() {
  while (kept_ != nullptr) FreeNewestKept();
}

ReservedBlock** BlockReserve::BestFit(size_t bytes) {
  ReservedBlock** best = nullptr;
  for (ReservedBlock** link = &kept_; *link != nullptr; link = &(*link)->next) {
    if (Covers((*link)->size, bytes) && (best == nullptr || (*link)->size < (*best)->size)) {
      best = link;
    }
  }
  return best;
}

bool BlockReserve::FitsUnderPeak(size_t bytes) const {
  const size_t held = kept_bytes_ + used_bytes_;
  return held <= peak_used_bytes_ && bytes <= peak_used_bytes_ - held;
}

void BlockReserve::MakeRoomFor(size_t bytes) {
  while (kept_ != nullptr && !FitsUnderPeak(bytes)) FreeNewestKept();
}

void BlockReserve::FreeNewestKept() {
  ReservedBlock* block = kept_;
  kept_ = block->next;
  kept_bytes_ -= block->size;
  std::free(block);
}

}  // namespace llmbridge
