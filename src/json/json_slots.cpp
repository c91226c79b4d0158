#include "json/json_slots.h"

#include <cstddef>
#include <cstdint>

#include "json/json_memory.h"

namespace llmbridge {
namespace {

constexpr size_t kSlotGrowth = 8;

struct JsonSlotTable {
  JsonValue** roots = nullptr;  // owned array of `size` document roots, null for empty slots
  size_t size = 0;
};

JsonSlotTable g_slots;

// Makes room for `count` slots, the new ones empty. The old array is kept until the new one
// exists, so a failure changes nothing.
bool GrowSlots(size_t count) {
  if (count <= g_slots.size) return true;
  if (count > SIZE_MAX / sizeof(JsonValue*)) return false;
  auto* roots = static_cast<JsonValue**>(JsonAllocate(count * sizeof(JsonValue*)));
  if (roots == nullptr) return false;
  for (size_t i = 0; i < count; ++i) roots[i] = i < g_slots.size ? g_slots.roots[i] : nullptr;
  JsonFree(g_slots.roots);
  g_slots.roots = roots;
  g_slots.size = count;
  return true;
}

}  // namespace

void InitJsonSlots() { GrowSlots(kSlotGrowth); }

JsonValue* GetJsonRoot(int32_t slot) {
  if (slot < 0 || static_cast<size_t>(slot) >= g_slots.size) return nullptr;
  return g_slots.roots[slot];
}

bool StoreJsonDocument(int32_t slot, JsonValue* root) {
  if (slot < 0) return false;
  const size_t index = static_cast<size_t>(slot);
  if (g_slots.size == 0 && !GrowSlots(kSlotGrowth)) return false;
  if (index >= g_slots.size && !GrowSlots(index + kSlotGrowth)) return false;
  FreeJsonDocument(g_slots.roots[index]);
  g_slots.roots[index] = root;
  return true;
}

void FreeJsonDocument(JsonValue* root) {
  if (root == nullptr) return;
  ResetJsonValue(*root);
  JsonFree(root);
}

void FreeAllJson() {
  for (size_t i = 0; i < g_slots.size; ++i) FreeJsonDocument(g_slots.roots[i]);
  JsonFree(g_slots.roots);
  g_slots = JsonSlotTable{};
}

}  // namespace llmbridge
