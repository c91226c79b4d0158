#include <unistd.h>

#include <fstream>

#include "support/process_memory.h"

namespace llmbridge::testing {

int64_t ProcessMemoryBytes() {
  // /proc/self/statm: the program's size, then its resident pages.
  int64_t size_pages = 0, resident_pages = 0;
  std::ifstream("/proc/self/statm") >> size_pages >> resident_pages;
  return resident_pages * sysconf(_SC_PAGESIZE);
}

}  // namespace llmbridge::testing
