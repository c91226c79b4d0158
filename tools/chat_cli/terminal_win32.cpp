#include <io.h>

#include "terminal.h"

namespace llmbridge::host {

bool StandardInputIsTerminal() { return _isatty(0) != 0; }

}  // namespace llmbridge::host
