// A host program: loads the built library at run time, takes the exports by their plain names and
// calls them through function pointers of the declared calling convention, as host applications
// do. The image export is not called: it talks to a hosted service, and tests stay on loopback.
#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "library_exports.h"
#include "support/chat_answers.h"
#include "support/loopback_server.h"
#include "support/temporary_folder.h"

namespace llmbridge::testing {
namespace {

// Text no Western code page holds: CJK, Cyrillic, an emoji (a surrogate pair) and a combining
// mark, as UTF-16 and as the UTF-8 bytes a request carries.
#define LLMBRIDGE_UNICODE_SAMPLE \
  "\u4E2D\u6587 \u041F\u0440\u0438\u0432\u0435\u0442 \U0001F600 e\u0301"
const std::u16string kSample16 = u"" LLMBRIDGE_UNICODE_SAMPLE;
const std::string kSample8 = u8"" LLMBRIDGE_UNICODE_SAMPLE;

using HostWide = std::basic_string<llmbridge_wchar>;

HostWide Wide(const std::u16string& text) { return HostWide(text.begin(), text.end()); }
HostWide Wide(const std::string& ascii) { return HostWide(ascii.begin(), ascii.end()); }

// A wide result, read up to its terminating zero.
std::u16string Read(const llmbridge_wchar* result) {
  std::u16string text;
  for (; result != nullptr && *result != 0; ++result)
    text.push_back(static_cast<char16_t>(*result));
  return text;
}

std::string UserTurn(const std::string& content) {
  return "{\"role\": \"user\", \"content\": \"" + content + "\"}";
}

class HostProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library_.loaded()) << library_.error();
    ASSERT_TRUE(library_.Bind(exports_)) << library_.error();
  }

  host::LoadedLibrary library_{host::DefaultLibraryPath()};
  host::LibraryExports exports_;
};

TEST_F(HostProgram, VersionResultsAreNewBuffersThatStayReadable) {
  const char* first = exports_.checkdllversion();
  const char* second = exports_.checkdllversion();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_EQ(exports_.FreeMem(), 0);
  EXPECT_EQ(exports_.FreeMem(), 0);
  EXPECT_STREQ(first, LLMBRIDGE_BUILT_VERSION);
  EXPECT_STREQ(second, LLMBRIDGE_BUILT_VERSION);
  const llmbridge_wchar* wide = exports_.checkdllversionW();
  EXPECT_NE(static_cast<const void*>(wide), static_cast<const void*>(second));
  EXPECT_EQ(Read(wide), u"" LLMBRIDGE_BUILT_VERSION);
}

TEST_F(HostProgram, OnlyThePlainNamesAreExported) {
  for (const char* hidden : {"_chat@28", "chat@28", "_checkdllversion@0", "checkdllversion@0",
                             "_FreeMem@0", "_chatW@28", "chatW@28", "_newchat@0", "_chatstart@24",
                             "chatstartW@24", "_chatpoll@0", "StartLibrary", "DllMain"}) {
    EXPECT_EQ(library_.Find(hidden), nullptr) << hidden;
  }
}

// A host that chose a locale keeps it: the library makes a locale of its own at start-up. The
// host here chooses one other than "C" and the environment's, then loads a copy of the library
// under another name, so the start-up surely runs now, even where an earlier test left the library
// loaded.
TEST(HostLocale, LoadingLeavesTheHostsLocaleAlone) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  const char* chosen = nullptr;
  for (const char* name : {"de_DE.UTF-8", "German_Germany.1252", "C.UTF-8"}) {
    if ((chosen = std::setlocale(LC_ALL, name)) != nullptr) break;
  }
  if (chosen == nullptr) GTEST_SKIP() << "no locale other than C to choose";
  const std::string chosen_name = chosen;
  TemporaryFolder folder;
  const std::filesystem::path original = host::DefaultLibraryPath();
  const std::filesystem::path copy = folder.path() / ("locale-" + original.filename().string());
  std::filesystem::copy_file(original, copy);
  {
    host::LoadedLibrary library(copy.u8string());
    EXPECT_TRUE(library.loaded()) << library.error();
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), chosen_name);
  }
  std::setlocale(LC_ALL, saved.c_str());
}

TEST_F(HostProgram, AConversationThroughTheExports) {
  LoopbackServer server;
  server.Script(HttpReply(200, ChatAnswer("Hello")));
  server.Script(HttpReply(200, ChatAnswer("Caf\\u00e9 \\u4e2d")));
  server.Script(HttpReply(200, "{\"data\": [{\"id\": \"m1\"}, {\"id\": \"m2\"}]}"));
  const std::string address = server.Address();

  const char* first = exports_.chat(address.c_str(), "key", "Hi", "100", "m1", "0.5", "false");
  // Characters outside the ANSI code page arrive replaced by the code page's conversion.
  const char* second =
      exports_.chat(address.c_str(), "key", "caf\xe9?", "100", "m1", "0.5", "false");
  const char* models = exports_.getmodels(address.c_str(), "key");
  exports_.FreeMem();
  EXPECT_STREQ(first, "Hello");
  EXPECT_STREQ(second, "Caf\xe9 ?");
  EXPECT_STREQ(models, "m1\rm2");
  const std::string body = server.Requests().at(1);
  EXPECT_NE(body.find("{\"role\": \"user\", \"content\": \"caf\xc3\xa9?\"}"), std::string::npos)
      << body;
}

// A hosted provider's base URL over TLS, through both widths, as the HTTPS end-to-end test runs
// it: LLMBRIDGE_TEST_HTTPS_BASE_URL names a mock server whose certificate the platform trusts.
TEST_F(HostProgram, HttpsBaseUrlsThroughEveryWidth) {
  const char* base_url = std::getenv("LLMBRIDGE_TEST_HTTPS_BASE_URL");
  if (base_url == nullptr)
    GTEST_SKIP() << "run by the HTTPS end-to-end test, which starts the server";
  EXPECT_STREQ(exports_.getmodels(base_url, "sk-mock"), "mock-small\rmock-large");
  EXPECT_STREQ(exports_.lasterror(), "");
  EXPECT_STREQ(exports_.chat(base_url, "sk-mock", "One", "", "mock-small", "", "false"),
               "You said: One.");
  EXPECT_EQ(
      Read(exports_.chatW(Wide(base_url).c_str(), Wide("sk-mock").c_str(), Wide(kSample16).c_str(),
                          Wide("").c_str(), Wide("mock-small").c_str(), Wide("").c_str(),
                          Wide("false").c_str())),
      u"You said: " + kSample16 + u". This is turn 2; you began with: One.");
  EXPECT_STREQ(exports_.chat(base_url, "wrong", "x", "", "mock-small", "", "false"),
               "Api Error code: 401");
  EXPECT_EQ(Read(exports_.lasterrorW()).rfind(u"HTTP 401: Incorrect API key provided.", 0), 0u);
  exports_.newchat();
}

// Host options through the loaded library: set through both widths, carried by chat and imagen
// (to a loopback image server), a b64_json image kept in a file, a refusal explained, and every
// option reset by an empty value.
TEST_F(HostProgram, OptionsThroughTheExports) {
  LoopbackServer server;
  const TemporaryFolder folder;
  const std::string base_url = "http://" + server.Address() + "/v1";
  EXPECT_EQ(exports_.setoptionW(Wide("system").c_str(), Wide(kSample16).c_str()), 1);
  EXPECT_EQ(exports_.setoption("header", "X-Title: T\r\nAuthorization: Bearer other"), 1);
  EXPECT_EQ(exports_.setoption("body", "{\"seed\": 7}"), 1);
  EXPECT_EQ(exports_.setoption("imageurl", base_url.c_str()), 1);
  EXPECT_EQ(exports_.setoption("imagebody", "{\"model\": \"gpt-image-1\"}"), 1);
  EXPECT_EQ(exports_.setoption("imagedir", folder.text().c_str()), 1);
  EXPECT_EQ(exports_.setoption("timeout", "soon"), 0);
  EXPECT_NE(std::string(exports_.lasterror()).find("timeout \"soon\""), std::string::npos);

  server.Script(HttpReply(200, ChatAnswer("Hello")));
  // A 1x1 PNG, as image models answer it.
  const std::string png_base64 =
      "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJg"
      "gg==";
  server.Script(HttpReply(200, "{\"data\": [{\"b64_json\": \"" + png_base64 + "\"}]}"));
  EXPECT_STREQ(exports_.chat(base_url.c_str(), "key", "Hi", "", "m1", "", "false"), "Hello");
  const std::string path = exports_.imagen("key", "a fox", "1024x1024", "false");
  const std::string chat_request = server.Requests().at(0);
  EXPECT_NE(chat_request.find("\r\nX-Title: T\r\n"), std::string::npos);
  EXPECT_NE(chat_request.find("\r\nAuthorization: Bearer other\r\n"), std::string::npos);
  EXPECT_EQ(chat_request.find("Bearer key"), std::string::npos);
  EXPECT_NE(chat_request.find("[{\"role\": \"system\", \"content\": \"" + kSample8 + "\"},"),
            std::string::npos)
      << chat_request;
  EXPECT_NE(chat_request.find("\"n\": 1, \"messages\": ["), std::string::npos);
  EXPECT_EQ(chat_request.substr(chat_request.size() - 14), "}], \"seed\": 7}");
  const std::string image_request = server.Requests().at(1);
  EXPECT_EQ(image_request.rfind("POST /v1/images/generations HTTP/1.1\r\n", 0), 0u);
  EXPECT_NE(image_request.find("\"size\": \"1024x1024\", \"model\": \"gpt-image-1\"}"),
            std::string::npos);
  const std::filesystem::path file = std::filesystem::u8path(path);
  EXPECT_EQ(file.parent_path(), folder.path());
  EXPECT_EQ(file.extension(), ".png");
  std::ifstream image(file, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(image), std::istreambuf_iterator<char>()};
  EXPECT_EQ(bytes.size(), 70u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");

  for (const char* name :
       {"system", "header", "body", "imageurl", "imagebody", "imagedir", "timeout", "proxy"})
    EXPECT_EQ(exports_.setoption(name, ""), 1) << name;
  exports_.newchat();
}

// UTF-16 in, UTF-8 on the wire, UTF-16 out: nothing is lost, raw or escaped, and a lone
// surrogate is sent as U+FFFD.
TEST_F(HostProgram, WideExportsKeepEveryCharacter) {
  LoopbackServer server;
  server.Script(HttpReply(200, "{\"data\": [{\"id\": \"" + kSample8 + "\"}, {\"id\": \"m2\"}]}"));
  server.Script(HttpReply(200, ChatAnswer(kSample8 + " \\u4e2d\\ud83d\\ude00")));
  server.Script(HttpReply(200, ChatAnswer("ok")));
  const HostWide address = Wide(server.Address());
  const HostWide key = Wide(u"key"), tokens = Wide(u"100"), model = Wide(u"m1");
  const HostWide temperature = Wide(u"0.5"), no_window = Wide(u"false");

  const llmbridge_wchar* models = exports_.getmodelsW(address.c_str(), key.c_str());
  EXPECT_EQ(Read(models), kSample16 + u"\rm2");
  exports_.newchat();
  const llmbridge_wchar* reply =
      exports_.chatW(address.c_str(), key.c_str(), Wide(kSample16).c_str(), tokens.c_str(),
                     model.c_str(), temperature.c_str(), no_window.c_str());
  EXPECT_EQ(Read(reply), kSample16 + u" \u4E2D\U0001F600");
  exports_.chatW(address.c_str(), key.c_str(),
                 Wide(u"a\xD800"
                      u"b\xDC00")
                     .c_str(),
                 tokens.c_str(), model.c_str(), temperature.c_str(), no_window.c_str());
  const std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_NE(requests[1].find("\"messages\": [" + UserTurn(kSample8) + "]}"), std::string::npos)
      << requests[1];
  const std::string replaced = "\xEF\xBF\xBD";
  EXPECT_NE(requests[2].find(UserTurn("a" + replaced + "b" + replaced)), std::string::npos)
      << requests[2];
}

// One conversation whichever export a turn goes through; newchat starts the next one, and text
// the code page holds goes out the same through chat and chatW.
TEST_F(HostProgram, NarrowAndWideTurnsShareOneConversation) {
  LoopbackServer server;
  for (int i = 0; i < 3; ++i) server.Script(HttpReply(200, ChatAnswer("R" + std::to_string(i))));
  const std::string address = server.Address();
  const std::string ca_va_ansi = "\xe7" + std::string("a va");
  exports_.newchat();

  exports_.chatW(Wide(address).c_str(), Wide(u"key").c_str(), Wide(u"\u00e7a va").c_str(),
                 Wide(u"100").c_str(), Wide(u"m1").c_str(), Wide(u"0.5").c_str(),
                 Wide(u"false").c_str());
  const char* second = exports_.chat(address.c_str(), "key", "encore", "100", "m1", "0.5", "false");
  EXPECT_EQ(exports_.newchat(), 0);
  const char* third =
      exports_.chat(address.c_str(), "key", ca_va_ansi.c_str(), "100", "m1", "0.5", "false");
  EXPECT_STREQ(second, "R1");
  EXPECT_STREQ(third, "R2");
  const std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_NE(requests[1].find("\"messages\": [" + UserTurn("\xc3\xa7" + std::string("a va")) +
                             ",{\"role\": \"assistant\", \"content\": \"R0\"}," +
                             UserTurn("encore") + "]}"),
            std::string::npos)
      << requests[1];
  EXPECT_EQ(requests[2], requests[0]);
}

// Whatever a host passes, the result is one of the defined texts. None of these addresses needs
// a name lookup, so nothing leaves the machine.
TEST_F(HostProgram, BadArgumentsGiveDefinedResults) {
  const std::string huge(100000, 'x');
  const char* addresses[] = {nullptr, "", "127.0.0.1:1", "127.0.0.1:99999", "[::1"};
  for (const char* address : addresses) {
    const char* reply =
        exports_.chat(address, nullptr, huge.c_str(), nullptr, "\"", nullptr, "TRUE");
    ASSERT_NE(reply, nullptr);
    EXPECT_EQ(std::strncmp(reply, "Api Error code: ", 16), 0) << reply;
    const char* models = exports_.getmodels(address, nullptr);
    ASSERT_NE(models, nullptr);
    const HostWide wide = Wide(address != nullptr ? address : "");
    const llmbridge_wchar* wide_address = address != nullptr ? wide.c_str() : nullptr;
    const std::u16string wide_reply =
        Read(exports_.chatW(wide_address, nullptr, Wide(huge).c_str(), nullptr, nullptr, nullptr,
                            Wide("TRUE").c_str()));
    EXPECT_EQ(wide_reply.rfind(u"Api Error code: ", 0), 0u);
    ASSERT_NE(exports_.getmodelsW(wide_address, nullptr), nullptr);
  }
  EXPECT_STREQ(exports_.getmodels(nullptr, nullptr), exports_.getmodels("127.0.0.1:1", ""));
}

// Every state a live exchange goes through, as a host polling it sees them.
TEST_F(HostProgram, ALiveExchangeThroughTheExports) {
  EXPECT_EQ(exports_.chatstatus(), 0);
  EXPECT_STREQ(exports_.chatpoll(), "");
  LoopbackServer server;
  server.Script(EventStreamReply({Delta("One"), Delta(" two"), "data: [DONE]\n\n"}, 100));
  server.Script(EventStreamReply({Delta("Kept"), Delta(" lost")}, 2000));
  const std::string address = server.Address();
  ASSERT_EQ(exports_.chatstart(address.c_str(), "key", "Hi", "100", "m1", "0.5"), 1);
  EXPECT_EQ(exports_.chatstart(address.c_str(), "key", "Hi", "100", "m1", "0.5"), 0);
  std::vector<std::string> seen;
  while (exports_.chatstatus() == 1) {
    const std::string text = exports_.chatpoll();
    if (seen.empty() || seen.back() != text) seen.push_back(text);
  }
  EXPECT_EQ(exports_.chatstatus(), 2);
  EXPECT_STREQ(exports_.chatpoll(), "One two");
  EXPECT_EQ(Read(exports_.chatpollW()), u"One two");
  EXPECT_GE(seen.size(), 2u);  // the reply was seen growing
  EXPECT_EQ(exports_.chatcancel(), 0);

  const HostWide wide_address = Wide(address);
  ASSERT_EQ(exports_.chatstartW(wide_address.c_str(), Wide(u"key").c_str(), Wide(u"More").c_str(),
                                Wide(u"100").c_str(), Wide(u"m1").c_str(), Wide(u"0.5").c_str()),
            1);
  while (std::string(exports_.chatpoll()).empty() && exports_.chatstatus() == 1) {
  }
  EXPECT_EQ(exports_.chatcancel(), 1);
  EXPECT_EQ(exports_.chatstatus(), 4);
  EXPECT_STREQ(exports_.chatpoll(), "Kept");
  EXPECT_NE(server.Requests().at(1).find(UserTurn("Hi") +
                                         ",{\"role\": \"assistant\", \"content\": \"One two\"}," +
                                         UserTurn("More") + "]}"),
            std::string::npos);
}

// A host that unloads the library while an exchange runs: the exchange's thread keeps it loaded
// to its end, so nothing crashes and nothing hangs.
TEST(HostUnload, WhileALiveExchangeRuns) {
  LoopbackServer server;
  server.Script(EventStreamReply({Delta("a"), Delta("b"), Delta("c")}, 100));
  {
    host::LoadedLibrary library(host::DefaultLibraryPath());
    host::LibraryExports exports;
    ASSERT_TRUE(library.Bind(exports)) << library.error();
    ASSERT_EQ(exports.chatstart(server.Address().c_str(), "key", "Hi", "100", "m1", "0.5"), 1);
  }
  // The stream goes on without the host; the library's code must still be there for it.
  while (server.Requests().empty()) {
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  host::LoadedLibrary again(host::DefaultLibraryPath());
  host::LibraryExports exports;
  ASSERT_TRUE(again.Bind(exports)) << again.error();
  // Windows unloaded it when the exchange ended (a fresh copy: 0); elsewhere it stayed (2).
  const int status = exports.chatstatus();
  EXPECT_TRUE(status == 0 || status == 2) << status;
}

}  // namespace
}  // namespace llmbridge::testing
