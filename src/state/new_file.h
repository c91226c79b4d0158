// Files the library writes for a host (images it was asked to keep), made so that no file is ever
// replaced and no half-written file is left behind.
#pragma once

#include <cstdint>
#include <string_view>

#include "text/text.h"

namespace llmbridge {

// Whether `path` names an existing folder.
bool IsFolder(const Text& path);

// Writes `bytes` to a new file in `folder`, named "image-<seconds since 1970>-<n>" + `extension`
// with the smallest n from 1 that no file has. The bytes go to a temporary file made exclusively
// first, which is then renamed without replacing anything, so two writers (two processes in the
// same second included) never meet. On success `path` is the file's full path; otherwise no file
// is left and `reason` says why.
bool WriteNewFile(const Text& folder, const Text& extension, std::string_view bytes, Text& path,
                  Text& reason);

// The platform's half.
enum class FileStep { kDone, kExists, kFailed };
// `folder` and `name` joined by the platform's separator (none added after one already there).
Text JoinPath(const Text& folder, const Text& name);
// Creates `path` only if nothing has that name, writes `bytes` and closes it; a failed write
// removes what it made.
FileStep CreateFileExclusive(const Text& path, std::string_view bytes, Text& reason);
// Gives `from` the name `to` only if nothing has that name.
FileStep RenameWithoutReplacing(const Text& from, const Text& to, Text& reason);
void RemoveFile(const Text& path);
uint32_t CurrentProcessNumber();

}  // namespace llmbridge
