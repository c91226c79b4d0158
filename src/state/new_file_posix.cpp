#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "state/new_file.h"
#include "text/narrow_text.h"

namespace llmbridge {

namespace {

std::string PathBytes(const Text& path) { return EncodeText(path, NarrowEncoding::Utf8); }

Text SystemReason(const char* step, const Text& path) {
  const std::string message = std::strerror(errno);
  return Text(step, step + std::strlen(step)) + u" " + path + u": " +
         FromNarrow(message.c_str(), -1, NarrowEncoding::Utf8);
}

}  // namespace

bool IsFolder(const Text& path) {
  struct stat info {};
  return !path.empty() && stat(PathBytes(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

Text JoinPath(const Text& folder, const Text& name) {
  return !folder.empty() && folder.back() == u'/' ? folder + name : folder + u"/" + name;
}

FileStep CreateFileExclusive(const Text& path, std::string_view bytes, Text& reason) {
  const std::string name = PathBytes(path);
  const int file = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (file < 0) {
    if (errno == EEXIST) return FileStep::kExists;
    reason = SystemReason("cannot create", path);
    return FileStep::kFailed;
  }
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t step = write(file, bytes.data() + written, bytes.size() - written);
    if (step < 0 && errno == EINTR) continue;
    if (step <= 0) break;
    written += static_cast<size_t>(step);
  }
  const bool complete = written == bytes.size();
  if (!complete) reason = SystemReason("cannot write", path);
  if (close(file) != 0 && complete) {
    reason = SystemReason("cannot write", path);
    unlink(name.c_str());
    return FileStep::kFailed;
  }
  if (!complete) unlink(name.c_str());
  return complete ? FileStep::kDone : FileStep::kFailed;
}

FileStep RenameWithoutReplacing(const Text& from, const Text& to, Text& reason) {
  // A hard link fails when the name is taken, where rename would replace the file.
  const std::string source = PathBytes(from);
  if (link(source.c_str(), PathBytes(to).c_str()) != 0) {
    if (errno == EEXIST) return FileStep::kExists;
    reason = SystemReason("cannot name", to);
    return FileStep::kFailed;
  }
  unlink(source.c_str());
  return FileStep::kDone;
}

void RemoveFile(const Text& path) { unlink(PathBytes(path).c_str()); }

uint32_t CurrentProcessNumber() { return static_cast<uint32_t>(getpid()); }

}  // namespace llmbridge
