// A registry of platform objects (fonts, images, tray icons, menus) that the runtime creates and
// must release at unload. It owns what it holds: releasing an entry runs the registry's release
// function on it.
#pragma once

#include <cstddef>
#include <vector>

namespace llmbridge {

template <typename Entry>
class HandleRegistry {
 public:
  using Release = void (*)(Entry& entry);

  explicit HandleRegistry(Release release) : release_(release) {}
  ~HandleRegistry() { ReleaseAll(); }
  HandleRegistry(const HandleRegistry&) = delete;
  HandleRegistry& operator=(const HandleRegistry&) = delete;

  // Grows in steps of 16 slots, like the platform's own handle tables.
  void Add(Entry entry) {
    if (entries_.size() == entries_.capacity()) entries_.reserve(entries_.size() + kGrowthStep);
    entries_.push_back(std::move(entry));
  }

  // Newest first, so that later entries that depend on earlier ones go before them.
  void ReleaseAll() {
    while (!entries_.empty()) {
      release_(entries_.back());
      entries_.pop_back();
    }
  }

  size_t size() const { return entries_.size(); }
  size_t capacity() const { return entries_.capacity(); }

  static constexpr size_t kGrowthStep = 16;

 private:
  Release release_;
  std::vector<Entry> entries_;
};

}  // namespace llmbridge
