#include "json/block_reserve.h"

#include <cstdint>
#include <cstdlib>

namespace llmbridge {

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
  if (block->size > most_kept_bytes_ - kept_bytes_) {
    std::free(block);
    return;
  }
  kept_.PushBack(block);
  kept_bytes_ += block->size;
}

void BlockReserve::Release() {
  while (!kept_.empty()) FreeNewestKept();
}

ReservedBlock* BlockReserve::BestFit(size_t bytes) const {
  ReservedBlock* best = nullptr;
  for (ReservedBlock* block = kept_.front(); block != nullptr; block = kept_.Next(block)) {
    if (block->size == bytes) return block;  // none fits better
    if (Covers(block->size, bytes) && (best == nullptr || block->size < best->size)) best = block;
  }
  return best;
}

void BlockReserve::Unlink(ReservedBlock* block) {
  kept_.Remove(block);
  kept_bytes_ -= block->size;
}

bool BlockReserve::FitsUnderPeak(size_t bytes) const {
  const size_t held = kept_bytes_ + used_bytes_;
  return held <= peak_used_bytes_ && bytes <= peak_used_bytes_ - held;
}

void BlockReserve::MakeRoomFor(size_t bytes) {
  while (!kept_.empty() && !FitsUnderPeak(bytes)) FreeNewestKept();
}

void BlockReserve::FreeNewestKept() {
  ReservedBlock* block = kept_.back();
  Unlink(block);
  std::free(block);
}

}  // namespace llmbridge
