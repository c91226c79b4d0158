// Makes operator new (texts, strings, containers) take part in the library's allocation-failure
// hook, so that a test can fail any allocation a call makes, not only the library's own blocks.
#pragma once

namespace llmbridge::testing {

// While on, operator new on the calling thread counts towards SetAllocationFailure and throws
// std::bad_alloc (nothrow forms: null) for the one made to fail. Other threads, such as the
// scripted server's, always allocate freely.
void CountAllocationsOfThisThread(bool on);

}  // namespace llmbridge::testing
