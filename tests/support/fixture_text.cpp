#include "support/fixture_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "text/narrow_text.h"

namespace llmbridge::testing {

std::string ReadFixtureBytes(const char* name) {
  const std::string path = std::string(LLMBRIDGE_FIXTURES_DIR) + "/" + name;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    ADD_FAILURE() << "cannot open " << path;
    return std::string();
  }
  std::string bytes;
  char chunk[4096];
  size_t count;
  while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, count);
  std::fclose(file);
  return bytes;
}

Text ReadFixtureText(const char* name) {
  const std::string bytes = ReadFixtureBytes(name);
  return FromNarrow(bytes.c_str(), static_cast<int32_t>(bytes.size()), NarrowEncoding::Utf8);
}

}  // namespace llmbridge::testing
