// SegmentedStack: the parser's stack of the elements of the arrays still open.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "json/json_memory.h"

namespace llmbridge {

// Items in segments of a fixed size that never move once taken: growing the stack adds a
// segment, where a contiguous stack would copy everything it holds, again and again while a huge
// array is read. Segments stay for the items pushed later. Owns its segments.
template <typename Item>
class SegmentedStack {
 public:
  SegmentedStack() = default;
  ~SegmentedStack() {
    for (size_t i = 0; i < segment_count_; ++i) JsonFree(segments_[i]);
    JsonFree(segments_);
  }
  SegmentedStack(const SegmentedStack&) = delete;
  SegmentedStack& operator=(const SegmentedStack&) = delete;

  size_t size() const { return base_ + static_cast<size_t>(top_ - begin_); }
  // Makes room for one more item; false when storage cannot be had.
  bool Reserve() { return top_ != top_end_ || NextSegment(); }
  // Adds an item where Reserve made room and returns it: it stays in place while more are pushed,
  // so the parser fills it in there.
  Item& Push(const Item& item) {
    *top_ = item;
    return *top_++;
  }
  // Drops the items from `size` on. Most arrays lie within the segment of the top.
  void Truncate(size_t size) {
    if (size >= base_) {
      top_ = begin_ + (size - base_);
      return;
    }
    current_ = size / kSegmentItems;
    Enter(current_);
    top_ = begin_ + size % kSegmentItems;
  }
  // The items from `first` to the top when they all lie in one segment, side by side; else null.
  Item* RunFrom(size_t first) { return first >= base_ ? begin_ + (first - base_) : nullptr; }
  // Copies the items from `first` to the top into `to`, in order.
  void CopyTop(size_t first, Item* to) const {
    if (first >= base_) {
      const Item* from = begin_ + (first - base_);
      std::memcpy(to, from, static_cast<size_t>(top_ - from) * sizeof(Item));
      return;
    }
    const size_t end = size();
    for (size_t at = first; at < end;) {
      const size_t offset = at % kSegmentItems;
      const size_t count = std::min(kSegmentItems - offset, end - at);
      std::memcpy(to, segments_[at / kSegmentItems] + offset, count * sizeof(Item));
      to += count;
      at += count;
    }
  }

 private:
  static constexpr size_t kSegmentItems = 1024;

  // With the current segment full: moves on to the next, which is added when there is none.
  bool NextSegment() {
    const size_t next = begin_ == nullptr ? 0 : current_ + 1;
    if (next == segment_count_ && !AddSegment()) return false;
    current_ = next;
    Enter(next);
    top_ = begin_;
    return true;
  }

  // Makes segment `index` the one holding the top.
  void Enter(size_t index) {
    begin_ = segments_[index];
    top_end_ = begin_ + kSegmentItems;
    base_ = index * kSegmentItems;
  }

  bool AddSegment() {
    if (segment_count_ == segment_capacity_) {
      const size_t capacity = segment_capacity_ == 0 ? 16 : segment_capacity_ * 2;
      auto* grown = static_cast<Item**>(JsonReallocate(segments_, capacity * sizeof(Item*)));
      if (grown == nullptr) return false;
      segments_ = grown;
      segment_capacity_ = capacity;
    }
    auto* segment = static_cast<Item*>(JsonAllocate(kSegmentItems * sizeof(Item)));
    if (segment == nullptr) return false;
    segments_[segment_count_++] = segment;
    return true;
  }

  Item** segments_ = nullptr;  // `segment_count_` segments of kSegmentItems items
  size_t segment_count_ = 0;
  size_t segment_capacity_ = 0;
  // The segment holding the top: its number, its first item, the index of that item in the
  // stack, and its end; the top's place in it. All null or 0 until the first segment.
  size_t current_ = 0;
  Item* begin_ = nullptr;
  size_t base_ = 0;
  Item* top_end_ = nullptr;
  Item* top_ = nullptr;
};

}  // namespace llmbridge
