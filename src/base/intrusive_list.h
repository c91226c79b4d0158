// IntrusiveList: a doubly linked list of records that carry their own links. Linking and
// unlinking allocate nothing, cannot fail and need no search, which is what the heaps and pools
// that keep lists of their blocks need.
#pragma once

namespace llmbridge {

// The links a listed record holds; both are null while the record is in no list.
template <typename Record>
struct ListLinks {
  Record* previous = nullptr;  // toward the front
  Record* next = nullptr;      // toward the back
};

// A list of `Record`s, which hold their links in a member `ListLinks<Record> links`. The list
// owns none of them; a record is in at most one list at a time.
template <typename Record>
class IntrusiveList {
 public:
  Record* front() const { return front_; }
  Record* back() const { return back_; }
  bool empty() const { return front_ == nullptr; }

  // The record after or before `record` in its list; null at either end.
  static Record* Next(const Record* record) { return record->links.next; }
  static Record* Previous(const Record* record) { return record->links.previous; }

  void PushFront(Record* record) {
    record->links = {nullptr, front_};
    if (front_ != nullptr)
      front_->links.previous = record;
    else
      back_ = record;
    front_ = record;
  }

  void PushBack(Record* record) {
    record->links = {back_, nullptr};
    if (back_ != nullptr)
      back_->links.next = record;
    else
      front_ = record;
    back_ = record;
  }

  // Takes `record`, which is in this list, out of it.
  void Remove(Record* record) {
    ListLinks<Record>& links = record->links;
    if (links.previous != nullptr)
      links.previous->links.next = links.next;
    else
      front_ = links.next;
    if (links.next != nullptr)
      links.next->links.previous = links.previous;
    else
      back_ = links.previous;
    links = {};
  }

 private:
  Record* front_ = nullptr;
  Record* back_ = nullptr;
};

}  // namespace llmbridge
