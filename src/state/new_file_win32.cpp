#include <windows.h>

#include <algorithm>

#include "state/new_file.h"
#include "text/number_text.h"

namespace llmbridge {

namespace {

const wchar_t* WidePath(const Text& path) { return reinterpret_cast<const wchar_t*>(path.c_str()); }

Text SystemReason(const char16_t* step, const Text& path, DWORD error) {
  return Text(step) + u" " + path + u": Windows error " + FormatInteger(error);
}

}  // namespace

bool IsFolder(const Text& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(WidePath(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

Text JoinPath(const Text& folder, const Text& name) {
  const bool ends = !folder.empty() && (folder.back() == u'\\' || folder.back() == u'/');
  return ends ? folder + name : folder + u"\\" + name;
}

FileStep CreateFileExclusive(const Text& path, std::string_view bytes, Text& reason) {
  const HANDLE file = CreateFileW(WidePath(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return FileStep::kExists;
    reason = SystemReason(u"cannot create", path, error);
    return FileStep::kFailed;
  }
  size_t written = 0;
  DWORD error = 0;
  while (written < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 30));
    DWORD step = 0;
    if (!WriteFile(file, bytes.data() + written, chunk, &step, nullptr) || step == 0) {
      error = GetLastError();
      break;
    }
    written += step;
  }
  bool complete = written == bytes.size();
  if (!CloseHandle(file) && complete) {
    error = GetLastError();
    complete = false;
  }
  if (complete) return FileStep::kDone;
  reason = SystemReason(u"cannot write", path, error);
  DeleteFileW(WidePath(path));
  return FileStep::kFailed;
}

FileStep RenameWithoutReplacing(const Text& from, const Text& to, Text& reason) {
  // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
  if (MoveFileExW(WidePath(from), WidePath(to), 0)) return FileStep::kDone;
  const DWORD error = GetLastError();
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return FileStep::kExists;
  reason = SystemReason(u"cannot name", to, error);
  return FileStep::kFailed;
}

void RemoveFile(const Text& path) { DeleteFileW(WidePath(path)); }

uint32_t CurrentProcessNumber() { return GetCurrentProcessId(); }

}  // namespace llmbridge
