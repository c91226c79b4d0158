// A test hook shared by every allocation the library makes on its own account: the BlockHeap,
// the JSON documents, libcurl's header lines. A test arms it to make the N-th allocation fail and
// checks that the library recovers; the library itself never arms it.
#pragma once

namespace llmbridge {

namespace allocation_failure_detail {
// Allocations left until the one that is made to fail; 0 when none is.
extern unsigned long allocations_until_failure;
}  // namespace allocation_failure_detail

// Counts one allocation; false for the one made to fail. Inline: the JSON parser asks once per
// string and key.
inline bool AllocationMayProceed() {
  unsigned long& left = allocation_failure_detail::allocations_until_failure;
  return left == 0 || --left != 0;
}

// The `nth` allocation from now on (1 = the next one) fails; 0 turns failures off.
void SetAllocationFailure(unsigned long nth);

}  // namespace llmbridge
