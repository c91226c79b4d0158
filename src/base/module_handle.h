// The module handle the platform gave the library when it was loaded (Windows: its HINSTANCE).
#pragma once

namespace llmbridge {

void RecordModuleHandle(void* module);
void* ModuleHandle();  // null before load, and in programs that link the library statically

}  // namespace llmbridge
