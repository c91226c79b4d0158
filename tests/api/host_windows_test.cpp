// A Windows host loading and unloading the DLL: what loading leaves in the process, what
// unloading takes away, and the manifest the DLL carries.
#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "support/display.h"

namespace {

struct WindowSearch {
  std::wstring prefix;
  int count;
};

// A named function: a lambda cannot take the stdcall convention 32-bit callbacks need.
BOOL CALLBACK CountIfOwnWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  if (process == GetCurrentProcessId() && std::wstring(name).rfind(search->prefix, 0) == 0) {
    ++search->count;
  }
  return TRUE;
}

// Top-level windows of this process whose class name starts with the prefix.
int CountOwnWindows(const std::wstring& class_prefix) {
  WindowSearch search{class_prefix, 0};
  EnumWindows(CountIfOwnWindow, reinterpret_cast<LPARAM>(&search));
  return search.count;
}

// Message-only windows of this process with that class name.
int CountOwnMessageOnlyWindows(const wchar_t* class_name) {
  int count = 0;
  for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, class_name, nullptr); window != nullptr;
       window = FindWindowExW(HWND_MESSAGE, window, class_name, nullptr)) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) ++count;
  }
  return count;
}

TEST(WindowsHost, LoadingMakesThePostEventWindowAndUnloadingRemovesIt) {
  if (!llmbridge::testing::DisplaySet()) GTEST_SKIP() << "no display: no window can be made";
  ASSERT_EQ(CountOwnMessageOnlyWindows(L"PostEventClass"), 0);
  HMODULE library = LoadLibraryA("llmbridge.dll");
  ASSERT_NE(library, nullptr);
  WNDCLASSW info{};
  EXPECT_TRUE(GetClassInfoW(library, L"PostEventClass", &info));
  EXPECT_EQ(CountOwnMessageOnlyWindows(L"PostEventClass"), 1);
  EXPECT_EQ(CountOwnWindows(L"PostEventClass"), 0);  // no top-level window
  EXPECT_EQ(CountOwnWindows(L"WindowClass_"), 0);    // no progress window without a request

  using CheckDllVersion = const char*(WINAPI*)(void);
  auto version = reinterpret_cast<CheckDllVersion>(
      reinterpret_cast<void*>(GetProcAddress(library, "checkdllversion")));
  ASSERT_NE(version, nullptr);
  EXPECT_STREQ(version(), LLMBRIDGE_BUILT_VERSION);

  ASSERT_TRUE(FreeLibrary(library));
  EXPECT_EQ(CountOwnMessageOnlyWindows(L"PostEventClass"), 0);
  EXPECT_FALSE(GetClassInfoW(library, L"PostEventClass", &info));
}

// A thread that loads the DLL and then pumps no messages (a console host, say) must not hold up
// other programs' broadcasts: SendMessage to HWND_BROADCAST waits on every top-level window.
TEST(WindowsHost, ABroadcastDoesNotWaitOnALoadingThreadThatPumpsNoMessages) {
  if (!llmbridge::testing::DisplaySet()) GTEST_SKIP() << "no display: no window can be made";
  HANDLE loaded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HMODULE library = nullptr;
  std::thread host([&] {
    library = LoadLibraryA("llmbridge.dll");
    SetEvent(loaded);
    WaitForSingleObject(done, INFINITE);  // blocks without pumping
    if (library != nullptr) FreeLibrary(library);
  });
  WaitForSingleObject(loaded, INFINITE);
  ASSERT_NE(library, nullptr);
  constexpr UINT kTimeoutMs = 2000;
  const ULONGLONG start = GetTickCount64();
  DWORD_PTR result = 0;
  SendMessageTimeoutW(HWND_BROADCAST, WM_NULL, 0, 0, SMTO_BLOCK, kTimeoutMs, &result);
  const ULONGLONG elapsed = GetTickCount64() - start;
  SetEvent(done);
  host.join();
  CloseHandle(loaded);
  CloseHandle(done);
  // A window that does not answer costs the whole timeout; none may be left to wait on.
  EXPECT_LT(elapsed, kTimeoutMs) << "the broadcast waited on an unanswering window";
}

// A host thread already in the multithreaded apartment keeps its COM through loading and freeing.
TEST(WindowsHost, AThreadInTheMultithreadedApartmentKeepsItsCom) {
  HRESULT joined = E_FAIL;
  HRESULT after_unload = E_FAIL;
  std::thread host([&] {
    joined = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    HMODULE library = LoadLibraryA("llmbridge.dll");
    if (library != nullptr) FreeLibrary(library);
    // Still initialised, and still in the multithreaded apartment.
    after_unload = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(after_unload)) CoUninitialize();
    if (SUCCEEDED(joined)) CoUninitialize();
  });
  host.join();
  EXPECT_EQ(joined, S_OK);
  EXPECT_EQ(after_unload, S_FALSE);
}

class ManifestResource : public ::testing::Test {
 protected:
  void SetUp() override {
    library_ = LoadLibraryExA("llmbridge.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(library_, nullptr);
  }
  void TearDown() override {
    if (library_ != nullptr) FreeLibrary(library_);
  }
  // The bytes of a manifest resource (type 24), or empty when there is none.
  std::string Manifest(WORD id, WORD language) {
    HRSRC found = FindResourceExW(library_, MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(id), language);
    if (found == nullptr) return {};
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(library_, found)));
    return std::string(bytes, SizeofResource(library_, found));
  }
  HMODULE library_ = nullptr;
};

TEST_F(ManifestResource, IsTheSourceManifestAtIdOneInUsEnglish) {
  std::ifstream source(LLMBRIDGE_MANIFEST_FILE, std::ios::binary);
  ASSERT_TRUE(source) << "cannot read " << LLMBRIDGE_MANIFEST_FILE;
  const std::string expected{std::istreambuf_iterator<char>(source), {}};
  EXPECT_EQ(Manifest(1, 1033), expected);
  EXPECT_EQ(Manifest(2, 1033), "");  // Windows would apply one at id 2 to the DLL itself
}

TEST_F(ManifestResource, DeclaresCommonControlsSixAndTheFiveSystems) {
  const std::string manifest = Manifest(1, 1033);
  const char* required[] = {
      R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0" processorArchitecture="X86")",
      R"(publicKeyToken="6595b64144ccf1df" language="*")",
      R"(version="1.0.0.0" processorArchitecture="X86" name="CompanyName.ProductName.YourApp" type="win32")",
      "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
      "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
      "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
      "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
      "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10
  };
  for (const char* text : required) EXPECT_NE(manifest.find(text), std::string::npos) << text;
}

}  // namespace
