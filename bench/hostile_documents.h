// Answers a hostile or broken server could send, built to make a parser slow: the benchmark
// prints how long the answer path takes on each.
#pragma once

#include <string>

namespace llmbridge::bench {

// An object of about `bytes` bytes whose distinct keys all fall in the same bucket of the member
// tables.
std::string MakeOneBucketObject(size_t bytes);

// About `bytes` bytes of arrays nested as deep as the parser accepts, one after the other.
std::string MakeDeepNesting(size_t bytes);

// One string of about `bytes` bytes made of escape sequences only, half of them surrogate pairs.
std::string MakeEscapedString(size_t bytes);

// An array of `count` zeros: a large answer, whose storage the library should not keep.
std::string MakeManyElements(int count);

// An object of about `bytes` bytes that repeats the same key, each time with a new array.
std::string MakeRepeatedKey(size_t bytes);

}  // namespace llmbridge::bench
