// The container-operation table: the dynamic-array, linked-list and map containers each register
// how to create, copy and free one of theirs, for records whose layout embeds such a container.
// None of the records the exports create embeds one.
#pragma once

namespace llmbridge {

enum class ContainerKind { Array, LinkedList, Map };

struct ContainerOperations {
  void* (*create)();                  // a new, empty container
  void* (*copy)(const void* source);  // a new container holding the same items
  void (*release)(void* container);   // null: no effect
};

void RegisterMapOperations();
void RegisterLinkedListOperations();
void RegisterArrayOperations();

// Null until the container has registered.
const ContainerOperations* FindContainerOperations(ContainerKind kind);

}  // namespace llmbridge
