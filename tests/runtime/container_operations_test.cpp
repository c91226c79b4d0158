#include "runtime/container_operations.h"

#include <gtest/gtest.h>

namespace llmbridge {
namespace {

// The test program has run the start-up sequence, which registers all three containers.
TEST(ContainerOperations, EveryContainerHasRegisteredWorkingOperations) {
  for (ContainerKind kind : {ContainerKind::Array, ContainerKind::LinkedList, ContainerKind::Map}) {
    const ContainerOperations* operations = FindContainerOperations(kind);
    ASSERT_NE(operations, nullptr) << static_cast<int>(kind);
    void* original = operations->create();
    ASSERT_NE(original, nullptr);
    void* copy = operations->copy(original);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, original);
    operations->release(copy);
    operations->release(original);
    operations->release(nullptr);
  }
}

TEST(ContainerOperations, EachKindHasItsOwnOperations) {
  EXPECT_NE(FindContainerOperations(ContainerKind::Array),
            FindContainerOperations(ContainerKind::Map));
  EXPECT_NE(FindContainerOperations(ContainerKind::Array),
            FindContainerOperations(ContainerKind::LinkedList));
}

}  // namespace
}  // namespace llmbridge
