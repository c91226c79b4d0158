#include "state/new_file.h"

#include <atomic>
#include <ctime>

#include "text/number_text.h"

namespace llmbridge {

namespace {

// Bounds the search for a free name: a folder holding this many images of one second is broken.
constexpr int kMaxAttempts = 10000;

// Distinguishes the temporary files of threads of one process.
std::atomic<uint32_t> g_temporary_count{0};

}  // namespace

bool WriteNewFile(const Text& folder, const Text& extension, std::string_view bytes, Text& path,
                  Text& reason) {
  Text temporary;
  for (int attempt = 0;; ++attempt) {
    if (attempt == kMaxAttempts) {
      reason = u"no temporary file could be made in " + folder;
      return false;
    }
    temporary = JoinPath(folder, u".image-" + FormatInteger(CurrentProcessNumber()) + u"-" +
                                     FormatInteger(++g_temporary_count) + u".part");
    const FileStep step = CreateFileExclusive(temporary, bytes, reason);
    if (step == FileStep::kDone) break;
    if (step == FileStep::kFailed) return false;
  }
  const Text stem = u"image-" + FormatInteger(static_cast<int64_t>(std::time(nullptr))) + u"-";
  for (int n = 1; n <= kMaxAttempts; ++n) {
    const Text name = JoinPath(folder, stem + FormatInteger(n) + extension);
    const FileStep step = RenameWithoutReplacing(temporary, name, reason);
    if (step == FileStep::kDone) {
      path = name;
      return true;
    }
    if (step == FileStep::kFailed) break;
  }
  if (reason.empty()) reason = u"no free file name in " + folder;
  RemoveFile(temporary);
  return false;
}

}  // namespace llmbridge
