#include "json/json_slots.h"

#include <cstddef>
#include <cstdint>

#include "json/json_memory.h"

namespace llmbridge {
namespace {

constexpr size_t kSlotGrowth = 8;

struct JsonSlotTable {
  JsonDocument** documents = nullptr;  // owned array of `size` documents, null for empty slots
  size_t size = 0;
};

JsonSlotTable g_slots;

// Makes room for `count` slots, the new ones empty. The old array is kept until the new one
// exists, so a failure changes nothing.
bool GrowSlots(size_t count) {
  if (count <= g_slots.size) return true;
  if (count > SIZE_MAX / sizeof(JsonDocument*)) return false;
  auto* documents = static_cast<JsonDocument**>(JsonAllocate(count * sizeof(JsonDocument*)));
  if (documents == nullptr) return false;
  for (size_t i = 0; i < count; ++i) {
    documents[i] = i < g_slots.size ? g_slots.documents[i] : nullptr;
  }
  JsonFree(g_slots.documents);
  g_slots.documents = documents;
  g_slots.size = count;
  return true;
}

}  // namespace

void InitJsonSlots() { GrowSlots(kSlotGrowth); }

JsonValue* GetJsonRoot(int32_t slot) {
  if (slot < 0 || static_cast<size_t>(slot) >= g_slots.size) return nullptr;
  JsonDocument* document = g_slots.documents[slot];
  return document == nullptr ? nullptr : &document->root;
}

bool StoreJsonDocument(int32_t slot, JsonDocument* document) {
  if (slot < 0) return false;
  const size_t index = static_cast<size_t>(slot);
  if (g_slots.size == 0 && !GrowSlots(kSlotGrowth)) return false;
  if (index >= g_slots.size && !GrowSlots(index + kSlotGrowth)) return false;
  FreeJsonDocument(g_slots.documents[index]);
  g_slots.documents[index] = document;
  return true;
}

void FreeAllJson() {
  const std::lock_guard<std::mutex> storage(JsonStorageLock());
  for (size_t i = 0; i < g_slots.size; ++i) FreeJsonDocument(g_slots.documents[i]);
  JsonFree(g_slots.documents);
  g_slots = JsonSlotTable{};
}

}  // namespace llmbridge
