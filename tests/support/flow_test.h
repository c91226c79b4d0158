// What the flow tests share: a fresh LibraryState, the scripted server, and reading what it got.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "state/library_state.h"
#include "support/loopback_server.h"
#include "text/text.h"

namespace llmbridge::testing {

inline Text Wide(const std::string& ascii) { return Text(ascii.begin(), ascii.end()); }

// The body of a recorded request: everything after the blank line that ends the head.
inline std::string RequestBody(const std::string& request) {
  const size_t head_end = request.find("\r\n\r\n");
  return head_end == std::string::npos ? std::string() : request.substr(head_end + 4);
}

class FlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LibraryState& state = GetLibraryState();
    const Text version = state.VersionText;
    state = LibraryState();
    state.VersionText = version;
  }

  LoopbackServer server_;
};

}  // namespace llmbridge::testing
