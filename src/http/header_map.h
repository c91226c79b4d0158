// HeaderMap: the request headers a flow sends, in a chained hash table whose visiting order is
// the order of the header lines on the wire.
#pragma once

#include <cstdint>
#include <forward_list>
#include <utility>
#include <vector>

#include "text/text.h"

namespace llmbridge {

class HeaderMap {
 public:
  // A bucket count of 0 or less makes one bucket. The flows use 512.
  explicit HeaderMap(int32_t bucket_count);

  // Sets `name` to `value`. Names are compared exactly ("content-type" and "Content-Type" are
  // two entries); setting a name again replaces its value and keeps its place.
  void SetHeader(const Text& name, const Text& value);

  size_t size() const { return count_; }

  // Calls visit(name, value) for every entry: buckets in ascending order, and within a bucket
  // from the most recently added entry to the oldest.
  template <typename Visit>
  void ForEach(Visit visit) const {
    for (const auto& bucket : buckets_) {
      for (const auto& entry : bucket) visit(entry.first, entry.second);
    }
  }

 private:
  std::vector<std::forward_list<std::pair<Text, Text>>> buckets_;
  size_t count_ = 0;
};

}  // namespace llmbridge
