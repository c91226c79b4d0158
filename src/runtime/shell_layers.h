// What loading the library does for the shell, though no export uses it: the taskbar-restart
// message is registered and the loading thread's OLE is initialised.
#pragma once

namespace llmbridge {

void RegisterTaskbarMessage();  // "TaskbarCreated"
void InitOle();                 // on the loading thread
void ShutdownOle();             // balances InitOle only when it succeeded, and only on that thread

}  // namespace llmbridge
