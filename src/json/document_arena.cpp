#include "json/document_arena.h"

#include <cstdint>
#include <cstring>

#include "json/json_memory.h"

namespace llmbridge {

// A chunk's header, followed by its code units.
struct ArenaChunk {
  ArenaChunk* next;      // the chunk added before this one
  DocumentArena* arena;  // the arena it belongs to, for ArenaOf
};

// A chunk's units start where the block's alignment leaves them, aligned for any value.
static_assert(sizeof(ArenaChunk) % alignof(uint64_t) == 0, "chunks' units start aligned");

namespace {

constexpr size_t kFirstChunkUnits = 4096;
// 128 KiB: the last chunk of a parse, and the one that decodes strings read afterwards, are
// seldom full, and a larger chunk would leave more of it unused: half a megabyte left a
// document of many small objects holding 3 % more than it carved.
constexpr size_t kLargestChunkUnits = size_t{1} << 16;
constexpr size_t kMostChunkUnits = (SIZE_MAX - sizeof(ArenaChunk)) / sizeof(char16_t);

char16_t* UnitsOf(ArenaChunk* chunk) {
  return reinterpret_cast<char16_t*>(reinterpret_cast<unsigned char*>(chunk) + sizeof(ArenaChunk));
}

}  // namespace

DocumentArena::DocumentArena(size_t expected_units)
    : next_chunk_units_(kFirstChunkUnits), expected_units_(expected_units) {}

DocumentArena::~DocumentArena() {
  while (chunks_ != nullptr) {
    ArenaChunk* next = chunks_->next;
    JsonFreeBlock(chunks_);
    chunks_ = next;
  }
}

char16_t* DocumentArena::CarveFromNewChunk(size_t units, End end) {
  if (units > kMostChunkUnits) return nullptr;
  const size_t expected_left =
      expected_units_ > carved_units_ ? expected_units_ - carved_units_ : 0;
  const size_t chunk_units = next_chunk_units_ < expected_left ? next_chunk_units_ : expected_left;
  if (units > chunk_units) {
    // Its own chunk: the open one keeps its room for the texts that follow.
    char16_t* carved = AddChunk(units);
    if (carved != nullptr) carved_units_ += units;
    return carved;
  }
  char16_t* chunk = AddChunk(chunk_units);
  if (chunk == nullptr) return nullptr;
  if (next_chunk_units_ < kLargestChunkUnits) next_chunk_units_ *= 2;
  open_chunk_ = chunks_;
  open_ = chunk;
  open_units_ = chunk_units;
  return end == End::Bottom ? CarveAtBottom(units) : Carve(units);
}

char16_t* DocumentArena::AddChunk(size_t units) {
  auto* chunk =
      static_cast<ArenaChunk*>(JsonAllocateBlock(sizeof(ArenaChunk) + units * sizeof(char16_t)));
  if (chunk == nullptr) return nullptr;
  chunk->next = chunks_;
  chunk->arena = this;
  chunks_ = chunk;
  ++chunk_count_;
  capacity_units_ += units;
  return UnitsOf(chunk);
}

// A traceable carve starts with the distance back to its chunk's header, which names the arena.
// Chunks shared by many carves hold at most kLargestChunkUnits, and a carve with a chunk of its
// own starts right after the header, so the distance always fits.
unsigned char* DocumentArena::CarveTraceable(size_t bytes) {
  if (!JsonAllocationMayProceed() || bytes > SIZE_MAX / 2) return nullptr;
  char16_t* storage = Carve((sizeof(uint32_t) + bytes + 1) / sizeof(char16_t));
  if (storage == nullptr) return nullptr;
  // A carve that took a chunk of its own took the newest; any other came from the open chunk.
  ArenaChunk* chunk = storage == UnitsOf(chunks_) ? chunks_ : open_chunk_;
  const auto distance = static_cast<uint32_t>(reinterpret_cast<unsigned char*>(storage) -
                                              reinterpret_cast<unsigned char*>(chunk));
  auto* carved = reinterpret_cast<unsigned char*>(storage);
  std::memcpy(carved, &distance, sizeof distance);
  return carved + sizeof distance;
}

DocumentArena& DocumentArena::ArenaOf(const unsigned char* carved) {
  uint32_t distance;
  std::memcpy(&distance, carved - sizeof distance, sizeof distance);
  const unsigned char* chunk = carved - sizeof distance - distance;
  return *reinterpret_cast<const ArenaChunk*>(chunk)->arena;
}

}  // namespace llmbridge
