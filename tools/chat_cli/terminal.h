// Whether the prompts come from someone typing them.
#pragma once

namespace llmbridge::host {

bool StandardInputIsTerminal();

}  // namespace llmbridge::host
