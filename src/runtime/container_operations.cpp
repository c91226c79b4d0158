#include "runtime/container_operations.h"

#include <list>
#include <map>
#include <vector>

#include "text/text.h"

namespace llmbridge {

namespace {

constexpr int kKindCount = 3;
const ContainerOperations* g_table[kKindCount] = {};

// The items are the runtime's records, held by address; maps are keyed by text.
using ArrayContainer = std::vector<void*>;
using ListContainer = std::list<void*>;
using MapContainer = std::map<Text, void*>;

template <typename Container>
constexpr ContainerOperations kOperationsOf = {
    []() -> void* { return new Container(); },
    [](const void* source) -> void* {
      return new Container(*static_cast<const Container*>(source));
    },
    [](void* container) { delete static_cast<Container*>(container); },
};

void Register(ContainerKind kind, const ContainerOperations& operations) {
  g_table[static_cast<int>(kind)] = &operations;
}

}  // namespace

void RegisterMapOperations() { Register(ContainerKind::Map, kOperationsOf<MapContainer>); }

void RegisterLinkedListOperations() {
  Register(ContainerKind::LinkedList, kOperationsOf<ListContainer>);
}

void RegisterArrayOperations() { Register(ContainerKind::Array, kOperationsOf<ArrayContainer>); }

const ContainerOperations* FindContainerOperations(ContainerKind kind) {
  return g_table[static_cast<int>(kind)];
}

}  // namespace llmbridge
