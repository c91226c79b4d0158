#include "http/header_map.h"

#include "text/text_hash.h"

namespace llmbridge {

HeaderMap::HeaderMap(int32_t bucket_count)
    : buckets_(static_cast<size_t>(bucket_count > 0 ? bucket_count : 1)) {}

void HeaderMap::SetHeader(const Text& name, const Text& value) {
  auto& bucket = buckets_[HashText(name.data(), name.size()) % buckets_.size()];
  for (auto& entry : bucket) {
    if (TextsEqual(entry.first, name)) {
      entry.second = value;
      return;
    }
  }
  bucket.emplace_front(name, value);  // newest first within its bucket
  ++count_;
}

}  // namespace llmbridge
