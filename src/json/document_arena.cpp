#include "json/document_arena.h"

#include <cstdint>
#include <cstring>

#include "json/json_memory.h"

namespace llmbridge {

// A chunk's header, followed by its code units.
struct ArenaChunk {
  ArenaChunk* next;  // the chunk added before this one
};

namespace {

constexpr size_t kFirstChunkUnits = 4096;
constexpr size_t kLargestChunkUnits = size_t{1} << 20;
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

char16_t* DocumentArena::CarveFromNewChunk(size_t units) {
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
  open_ = chunk;
  open_units_ = chunk_units;
  return Carve(units);
}

char16_t* DocumentArena::AddChunk(size_t units) {
  auto* chunk =
      static_cast<ArenaChunk*>(JsonAllocateBlock(sizeof(ArenaChunk) + units * sizeof(char16_t)));
  if (chunk == nullptr) return nullptr;
  chunk->next = chunks_;
  chunks_ = chunk;
  ++chunk_count_;
  capacity_units_ += units;
  return UnitsOf(chunk);
}

}  // namespace llmbridge
