// Reads the header option: header lines a host adds to its requests.
#pragma once

#include <vector>

#include "state/host_options.h"
#include "text/text.h"

namespace llmbridge {

// Whether `text` holds only acceptable header lines ("Name: value"), separated by LF or CR LF,
// empty lines skipped. Refused: a CR not followed by LF or any other control character but a tab
// in a value, a line without a colon, a name that is not an HTTP token, and the names that frame
// a request (Host, Content-Length, Transfer-Encoding, Expect, Connection, in any letter case). A
// value loses the spaces and tabs around it. On success `headers` holds the lines in their order;
// otherwise `reason` says which line is wrong and why.
bool ReadHeaderOption(const Text& text, std::vector<OptionHeader>& headers, Text& reason);

// Whether two header names are the same name: ASCII letters compared without their case.
bool SameHeaderName(const Text& a, const Text& b);

}  // namespace llmbridge
