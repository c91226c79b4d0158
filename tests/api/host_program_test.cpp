// A host program: loads the built library at run time, takes the exports by their plain names and
// calls them through function pointers of the declared calling convention, as host applications do.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "llmbridge.h"

#ifdef _WIN32
#include <windows.h>
using LibraryHandle = HMODULE;
LibraryHandle OpenLibrary() { return LoadLibraryA(LLMBRIDGE_LIBRARY_FILE); }
void* FindExport(LibraryHandle library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(library, name));
}
bool CloseLibrary(LibraryHandle library) { return FreeLibrary(library) != FALSE; }
#else
#include <dlfcn.h>
using LibraryHandle = void*;
LibraryHandle OpenLibrary() { return dlopen("./" LLMBRIDGE_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL); }
void* FindExport(LibraryHandle library, const char* name) { return dlsym(library, name); }
bool CloseLibrary(LibraryHandle library) { return dlclose(library) == 0; }
#endif

namespace {

using CheckDllVersion = const char*(LLMBRIDGE_CALL*)(void);
using FreeMemFunction = int(LLMBRIDGE_CALL*)(void);

class HostProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    locale_before_ = std::setlocale(LC_ALL, nullptr);
    library_ = OpenLibrary();
    ASSERT_NE(library_, nullptr) << "cannot load " << LLMBRIDGE_LIBRARY_FILE;
  }
  void TearDown() override {
    if (library_ != nullptr) {
      EXPECT_TRUE(CloseLibrary(library_));
    }
  }
  template <typename Function>
  Function Export(const char* name) {
    return reinterpret_cast<Function>(FindExport(library_, name));
  }

  std::string locale_before_;
  LibraryHandle library_ = nullptr;
};

TEST_F(HostProgram, VersionResultsAreNewBuffersThatStayReadable) {
  auto version = Export<CheckDllVersion>("checkdllversion");
  auto free_mem = Export<FreeMemFunction>("FreeMem");
  ASSERT_NE(version, nullptr);
  ASSERT_NE(free_mem, nullptr);

  const char* first = version();
  const char* second = version();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_EQ(free_mem(), 0);
  EXPECT_EQ(free_mem(), 0);
  EXPECT_STREQ(first, "1.11");
  EXPECT_STREQ(second, "1.11");
}

TEST_F(HostProgram, OnlyThePlainNamesAreExported) {
  for (const char* decorated : {"_checkdllversion@0", "checkdllversion@0", "_FreeMem@0"}) {
    EXPECT_EQ(FindExport(library_, decorated), nullptr) << decorated;
  }
  EXPECT_EQ(FindExport(library_, "StartLibrary"), nullptr);
}

TEST_F(HostProgram, LoadingLeavesTheHostsLocaleAlone) {
  EXPECT_EQ(std::setlocale(LC_ALL, nullptr), locale_before_);
}

}  // namespace
