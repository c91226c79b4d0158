#include "json/block_reserve.h"

#include <cstdint>
#include <cstdlib>

namespace llmbridge {

// Sits in front of the storage it describes, padded so the storage keeps malloc's alignment.
struct ReservedBlock {
  size_t size;           // usable bytes behind the header
  ReservedBlock* newer;  // while kept: the block kept after it
  ReservedBlock* older;  // while kept: the block kept before it
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
  ReservedBlock* block = BestFit(bytes);
  if (block != nullptr) {
    Unlink(block);
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
  block->newer = nullptr;
  block->older = newest_kept_;
  if (newest_kept_ != nullptr)
    newest_kept_->newer = block;
  else
    oldest_kept_ = block;
  newest_kept_ = block;
  kept_bytes_ += block->size;
}

void BlockReserve::Release() {
  while (newest_kept_ != nullptr) FreeNewestKept();
}

ReservedBlock* BlockReserve::BestFit(size_t bytes) const {
  ReservedBlock* best = nullptr;
  for (ReservedBlock* block = oldest_kept_; block != nullptr; block = block->newer) {
    if (block->size == bytes) return block;  // none fits better
    if (Covers(block->size, bytes) && (best == nullptr || block->size < best->size)) best = block;
  }
  return best;
}

void BlockReserve::Unlink(ReservedBlock* block) {
  if (block->older != nullptr)
    block->older->newer = block->newer;
  else
    oldest_kept_ = block->newer;
  if (block->newer != nullptr)
    block->newer->older = block->older;
  else
    newest_kept_ = block->older;
  kept_bytes_ -= block->size;
}

bool BlockReserve::FitsUnderPeak(size_t bytes) const {
  const size_t held = kept_bytes_ + used_bytes_;
  return held <= peak_used_bytes_ && bytes <= peak_used_bytes_ - held;
}

void BlockReserve::MakeRoomFor(size_t bytes) {
  while (newest_kept_ != nullptr && !FitsUnderPeak(bytes)) FreeNewestKept();
}

void BlockReserve::FreeNewestKept() {
  ReservedBlock* block = newest_kept_;
  Unlink(block);
  std::free(block);
}

}  // namespace llmbridge
