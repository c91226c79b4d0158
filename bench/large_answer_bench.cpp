// large_answer_bench: the time per MB of chat answers of growing size through the library, from
// a server inside this process. A receive buffer that grows by a fixed step copies a large answer
// over and over, and then the time per MB rises with the size; it should stay flat.
//
//   large_answer_bench [sizes in MB...]   (default: 1 10 50 100)
//
// The library is the one beside this program, as for any host. Figures to read, not a test.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "library_exports.h"
#include "support/loopback_server.h"

int main(int argc, char** argv) {
  std::vector<int> sizes_mb;
  for (int i = 1; i < argc; ++i) sizes_mb.push_back(std::atoi(argv[i]));
  if (sizes_mb.empty()) sizes_mb = {1, 10, 50, 100};

  llmbridge::host::LoadedLibrary library(llmbridge::host::DefaultLibraryPath());
  llmbridge::host::LibraryExports exports;
  if (!library.loaded() || !library.Bind(exports)) {
    std::fprintf(stderr, "large_answer_bench: %s\n", library.error().c_str());
    return 1;
  }
  llmbridge::testing::LoopbackServer server;
  const std::string address = server.Address();
  std::printf("%10s %10s %10s  %s\n", "answer MB", "seconds", "s per MB", "result");
  for (const int size_mb : sizes_mb) {
    const size_t size = static_cast<size_t>(size_mb) << 20;
    {
      const std::string head = "{\"choices\": [{\"message\": {\"content\": \"";
      std::string answer = head + std::string(size - head.size() - 5, 'a') + "\"}}]}";
      server.Script(llmbridge::testing::HttpReply(200, answer));
    }
    const auto start = std::chrono::steady_clock::now();
    const char* reply = exports.chat(address.c_str(), "k", "q", "1", "m", "0", "false");
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const size_t length = reply != nullptr ? std::strlen(reply) : 0;
    std::printf("%10d %10.2f %10.4f  %s\n", size_mb, seconds, seconds / size_mb,
                length > 1000      ? "the whole reply"
                : reply != nullptr ? reply
                                   : "(null)");
    std::fflush(stdout);
    exports.newchat();
  }
  return 0;
}
