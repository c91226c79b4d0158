#include <unistd.h>

#include "terminal.h"

namespace llmbridge::host {

bool StandardInputIsTerminal() { return isatty(STDIN_FILENO) != 0; }

}  // namespace llmbridge::host
