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
  int Result() const { return overflow_ ? 0 : size_; }

 private:
  Unit* out_;
  int capacity_;
  int size_ = 0;
  bool overflow_ = false;
};

}  // namespace llmbridge::codepage
