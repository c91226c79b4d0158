#include <locale.h>

#include <memory>
#include <type_traits>

#include "runtime/library_locale.h"

namespace llmbridge {

namespace {
struct LocaleRelease {
  void operator()(_locale_t locale) const { _free_locale(locale); }
};
// msvcrt cannot mix categories in one locale object. Numbers never go through it (the JSON
// reader uses its own "C" conversion), so the user's default for every category is what it holds.
std::unique_ptr<std::remove_pointer_t<_locale_t>, LocaleRelease> g_locale;
}  // namespace

void CreateLibraryLocale() { g_locale.reset(_create_locale(LC_ALL, "")); }

bool LibraryLocaleExists() { return g_locale != nullptr; }

}  // namespace llmbridge
