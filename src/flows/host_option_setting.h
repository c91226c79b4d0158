// What setoption does: checks a host's option and, when it is acceptable, stores it.
#pragma once

#include "text/text.h"

namespace llmbridge {

// Sets the option `name` (system, body, imagebody, header, timeout, proxy, imageurl, imagedir)
// to `value`; an empty value brings the option's default back. True when set; false, with
// nothing changed and `reason` saying why, for an unknown name or a value the option refuses.
bool SetHostOption(const Text& name, const Text& value, Text& reason);

}  // namespace llmbridge
