#include "base/intrusive_list.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace llmbridge {
namespace {

struct Node {
  char name;
  ListLinks<Node> links;
};

// The names front to back, checked against the walk back to front and the list's ends.
std::string Order(const IntrusiveList<Node>& list) {
  std::string forward;
  for (Node* node = list.front(); node != nullptr; node = IntrusiveList<Node>::Next(node)) {
    forward += node->name;
  }
  std::string backward;
  for (Node* node = list.back(); node != nullptr; node = IntrusiveList<Node>::Previous(node)) {
    backward.insert(backward.begin(), node->name);
  }
  EXPECT_EQ(forward, backward);
  EXPECT_EQ(list.empty(), forward.empty());
  return forward;
}

// Each step names a node: an upper-case letter pushes it at the back, a lower-case one at the
// front, '-' followed by a letter removes that node.
TEST(IntrusiveList, KeepsItsOrderThroughPushesAndRemovals) {
  struct Case {
    std::string steps;
    std::string order;
  };
  const Case cases[] = {
      {"", ""},          {"ABC", "ABC"},     {"abc", "cba"},     {"aBc", "caB"},
      {"A-A", ""},       {"ABC-A", "BC"},    {"ABC-B", "AC"},    {"ABC-C", "AB"},
      {"ABC-A-B-C", ""}, {"AB-B-AdA", "dA"}, {"AB-A-BCe", "eC"},
  };
  for (const Case& c : cases) {
    std::vector<Node> nodes;
    for (char name = 'A'; name <= 'Z'; ++name) nodes.push_back(Node{name, {}});
    IntrusiveList<Node> list;
    for (size_t i = 0; i < c.steps.size(); ++i) {
      const bool remove = c.steps[i] == '-';
      const char step = remove ? c.steps[++i] : c.steps[i];
      Node* node = &nodes[static_cast<size_t>(std::toupper(step) - 'A')];
      if (remove) {
        list.Remove(node);
        EXPECT_EQ(node->links.previous, nullptr) << c.steps;
        EXPECT_EQ(node->links.next, nullptr) << c.steps;
      } else if (std::isupper(step)) {
        list.PushBack(node);
      } else {
        list.PushFront(node);
      }
    }
    std::string expected;
    for (char name : c.order) expected += static_cast<char>(std::toupper(name));
    EXPECT_EQ(Order(list), expected) << c.steps;
  }
}

}  // namespace
}  // namespace llmbridge
