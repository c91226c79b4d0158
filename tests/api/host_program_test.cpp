// A host program: loads the built library at run time, takes the exports by their plain names and
// calls them through function pointers of the declared calling convention, as host applications
// do. The image export is not called: it talks to a hosted service, and tests stay on loopback.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

#include "library_exports.h"
#include "support/loopback_server.h"

namespace llmbridge::testing {
namespace {

std::string ChatAnswer(const std::string& content) {
  return "{\"choices\": [{\"index\": 0, \"message\": {\"role\": \"assistant\", \"content\": \"" +
         content + "\"}}], \"usage\": {\"total_tokens\": 3}}";
}

class HostProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library_.loaded()) << library_.error();
    ASSERT_TRUE(library_.Bind(exports_)) << library_.error();
  }

  std::string locale_before_ = std::setlocale(LC_ALL, nullptr);
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
  EXPECT_STREQ(first, "1.11");
  EXPECT_STREQ(second, "1.11");
}

TEST_F(HostProgram, OnlyThePlainNamesAreExported) {
  for (const char* hidden : {"_chat@28", "chat@28", "_checkdllversion@0", "checkdllversion@0",
                             "_FreeMem@0", "StartLibrary", "DllMain"}) {
    EXPECT_EQ(library_.Find(hidden), nullptr) << hidden;
  }
}

TEST_F(HostProgram, LoadingLeavesTheHostsLocaleAlone) {
  EXPECT_EQ(std::setlocale(LC_ALL, nullptr), locale_before_);
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
  }
  EXPECT_STREQ(exports_.getmodels(nullptr, nullptr), exports_.getmodels("127.0.0.1:1", ""));
}

}  // namespace
}  // namespace llmbridge::testing
