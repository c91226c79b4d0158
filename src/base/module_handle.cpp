#include "base/module_handle.h"

namespace llmbridge {

namespace {
void* g_module = nullptr;
}  // namespace

void RecordModuleHandle(void* module) { g_module = module; }

void* ModuleHandle() { return g_module; }

}  // namespace llmbridge
