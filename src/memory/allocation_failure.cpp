#include "memory/allocation_failure.h"

namespace llmbridge {

unsigned long allocation_failure_detail::allocations_until_failure = 0;

void SetAllocationFailure(unsigned long nth) {
  allocation_failure_detail::allocations_until_failure = nth;
}

}  // namespace llmbridge
