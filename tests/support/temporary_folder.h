// A new empty folder under the system's temporary folder, removed with everything in it when the
// object ends.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>

namespace llmbridge::testing {

class TemporaryFolder {
 public:
  TemporaryFolder() {
    static std::atomic<int> count{0};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (;;) {
      path_ = base / ("llmbridge-test-" + std::to_string(Now()) + "-" + std::to_string(++count));
      if (std::filesystem::create_directory(path_)) break;
    }
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder's path as the library's options take it (UTF-8 here, ASCII in practice).
  std::string text() const { return path_.u8string(); }

 private:
  static long long Now() {
    return static_cast<long long>(
        std::filesystem::file_time_type::clock::now().time_since_epoch().count());
  }
  std::filesystem::path path_;
};

}  // namespace llmbridge::testing
