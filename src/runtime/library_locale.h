// The library's own locale: the user's default for every category, "C" for numbers.
//
// Our C runtime is shared with the host (glibc, msvcrt.dll), so setting the process-wide locale
// would change how the host formats and classifies text just because it loaded us. The locale is
// therefore a separate object that only the library could use; the host's stays untouched.
#pragma once

namespace llmbridge {

void CreateLibraryLocale();  // replaces any earlier one
bool LibraryLocaleExists();  // false when the platform could not make it

}  // namespace llmbridge
