// Output side shared by the portable converters: counts code units, or writes them while room
// lasts.
#pragma once

namespace llmbridge::codepage {

template <typename Unit>
class OutputSink {
 public:
  OutputSink(Unit* out, int capacity) : out_(out), capacity_(capacity) {}
  void Put(Unit unit) {
    if (out_ != nullptr) {
      if (size_ >= capacity_) {
        overflow_ = true;
        return;
      }
      out_[size_] = unit;
    }
    ++size_;
  }
  // Puts `count` units that each equal one of `values`, as many calls of Put would.
  template <typename Value>
  void PutEach(const Value* values, int count) {
    if (out_ != nullptr) {
      const int room = capacity_ - size_;
      const int written = count < room ? count : room;
      for (int i = 0; i < written; ++i) out_[size_ + i] = static_cast<Unit>(values[i]);
      if (written < count) overflow_ = true;
      size_ += written;
      return;
    }
    size_ += count;
  }
  int Result() const { return overflow_ ? 0 : size_; }

 private:
  Unit* out_;
  int capacity_;
  int size_ = 0;
  bool overflow_ = false;
};

}  // namespace llmbridge::codepage
