#include <locale.h>

#include <memory>
#include <type_traits>

#include "runtime/library_locale.h"

namespace llmbridge {

namespace {
struct LocaleRelease {
  void operator()(locale_t locale) const { freelocale(locale); }
};
std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleRelease> g_locale;

locale_t NewLibraryLocale() {
  locale_t user_default = newlocale(LC_ALL_MASK, "", nullptr);
  // An unknown user locale (LANG naming one not generated here) falls back to "C" throughout.
  if (user_default == nullptr) return newlocale(LC_ALL_MASK, "C", nullptr);
  locale_t with_c_numbers = newlocale(LC_NUMERIC_MASK, "C", user_default);
  if (with_c_numbers == nullptr) freelocale(user_default);  // newlocale keeps it on success only
  return with_c_numbers;
}
}  // namespace

void CreateLibraryLocale() { g_locale.reset(NewLibraryLocale()); }

bool LibraryLocaleExists() { return g_locale != nullptr; }

}  // namespace llmbridge
