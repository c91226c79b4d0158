// Realistic server answers kept in tests/fixtures, read the way the transport decodes bodies.
#pragma once

#include <string>

#include "text/text.h"

namespace llmbridge::testing {

// The fixture file `name` as UTF-8 bytes turned into text; fails the running test and gives the
// empty text when the file cannot be read.
Text ReadFixtureText(const char* name);

// The fixture file `name` as its bytes, as a server would send them.
std::string ReadFixtureBytes(const char* name);

}  // namespace llmbridge::testing
