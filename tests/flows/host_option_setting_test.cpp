#include "flows/host_option_setting.h"

#include <string>
#include <vector>

#include "state/host_options.h"
#include "support/flow_test.h"
#include "support/temporary_folder.h"

namespace llmbridge::testing {
namespace {

class HostOptionSetting : public ::testing::Test {
 protected:
  void TearDown() override {
    ChangeHostOptions([](HostOptions& options) { options = {}; });
  }
};

// Each row sets one option on top of a stored "before" value: a refused one must leave that value
// as it was and say why.
TEST_F(HostOptionSetting, AcceptsWhatEachOptionReadsAndRefusesTheRest) {
  struct Case {
    Text name;
    Text value;
    std::u16string refused_because;  // empty: accepted
  };
  const TemporaryFolder temporary;
  const Text folder = Wide(temporary.text());
  const std::vector<Case> cases = {
      {u"system", u"You are terse.\nAnswer in JSON.", u""},
      {u"body",
       u" {\"seed\": 7, \"top_p\": 0.9, \"response_format\": {\"type\": \"json_schema\"}} ", u""},
      {u"body", u"{\"a\": [1, -0.5e+3, true, null, \"\\u00e9\\n\"], \"b\": {}}", u""},
      {u"body", u"{\"seed\": 07}", u"leading zero at character 10"},
      {u"body", u"{\"stop\": \"a\tb\"}",
       u"control character must be escaped in a string at character 12"},
      {u"body", u"{\"x\": {\"k\": 1, \"\\u006b\": 2}}", u"repeated at character 16"},
      {u"body", u"{\"seed\": 1} {}", u"text follows the object"},
      {u"body", u"[1]", u"must start with {"},
      {u"body", u"{\"seed\": 1,}", u"a key must be a string"},
      {u"body", u"{\"x\": tru}", u"no JSON value starts here"},
      {u"body", u"{\"x\": 1.}", u"digit must follow the decimal point"},
      {u"body", u"{\"x\": \"\\q\"}", u"unknown escape"},
      {u"body", u"{\"messages\": []}", u"may not set \"messages\""},
      {u"body", u"{\"stream\": true}", u"may not set \"stream\""},
      {u"imagebody", u"{\"model\": \"gpt-image-1\", \"quality\": \"low\"}", u""},
      {u"imagebody", u"{\"prompt\": \"x\"}", u"may not set \"prompt\""},
      {u"header", u"api-key: k1\r\n\nX-Title:  My tool \nHTTP-Referer: https://x.example", u""},
      {u"header", u"X-A: 1\rX-B: 2", u"line 1 holds a lone CR"},
      {u"header", u"X-A: 1\n X-B: 2", u"line 2 has a name that is not a token"},
      {u"header", u"X-A 1", u"line 1 has no colon"},
      {u"header", u"X-A: a\x01", u"control character"},
      {u"header", u"content-length: 5", u"names Content-Length"},
      {u"header", u"X-A: 1\nHOST: h", u"line 2 names Host"},
      {u"timeout", u"30", u""},
      {u"timeout", u"0.001", u""},
      {u"timeout", u"2147483.647", u""},
      {u"timeout", u"0", u""},
      {u"timeout", u"0.0001", u"shorter than 1 ms"},
      {u"timeout", u"2147483.648", u"longer than"},
      {u"timeout", u"-1", u"not a number of seconds"},
      {u"timeout", u"1e3", u"not a number of seconds"},
      {u"timeout", u".5", u"not a number of seconds"},
      {u"proxy", u"none", u""},
      {u"proxy", u"system", u""},
      {u"proxy", u"socks5h://127.0.0.1:1080", u""},
      {u"proxy", u"HTTP://proxy.example:3128", u""},
      {u"proxy", u"ftp://proxy.example", u"is not none, system or a URL"},
      {u"proxy", u"proxy.example:3128", u"is not none, system or a URL"},
      {u"imageurl", u"https://openrouter.example/api/v1", u""},
      {u"imageurl", u"127.0.0.1:8080", u"not a base URL"},
      {u"imagedir", folder, u""},
      {u"imagedir", folder + u"/missing", u"not an existing folder"},
      {u"colour", u"blue", u"no option named \"colour\""},
  };
  for (const Case& c : cases) {
    // A value that differs from the row's, for each option: what a refusal must keep.
    Text reason;
    ASSERT_TRUE(SetHostOption(u"system", u"before", reason));
    ASSERT_TRUE(SetHostOption(u"timeout", u"9", reason));
    ASSERT_TRUE(SetHostOption(u"header", u"X-Before: 1", reason));
    const HostOptions before = SnapshotHostOptions();
    reason.clear();
    const bool accepted = SetHostOption(c.name, c.value, reason);
    const std::string row = std::string(c.name.begin(), c.name.end()) + " row, value size " +
                            std::to_string(c.value.size());
    EXPECT_EQ(accepted, c.refused_because.empty()) << row;
    if (accepted) continue;
    EXPECT_NE(reason.find(c.refused_because), Text::npos)
        << row << ": " << std::string(reason.begin(), reason.end());
    const HostOptions after = SnapshotHostOptions();
    EXPECT_EQ(after.system, before.system) << row;
    EXPECT_EQ(after.timeout_ms, before.timeout_ms) << row;
    EXPECT_EQ(after.headers.size(), before.headers.size()) << row;
  }
}

TEST_F(HostOptionSetting, KeepsMembersAndHeadersAsWrittenAndAnEmptyValueResets) {
  Text reason;
  ASSERT_TRUE(SetHostOption(u"body", u"{ \"z\" :1,\"a\": {\"k\": [ 2 ]} }", reason));
  ASSERT_TRUE(SetHostOption(u"header", u"api-key:  k1 \r\nX-Title: T", reason));
  ASSERT_TRUE(SetHostOption(u"timeout", u"2.5", reason));
  HostOptions options = SnapshotHostOptions();
  ASSERT_EQ(options.body.size(), 2u);
  EXPECT_EQ(options.body[0].key, u"z");
  EXPECT_EQ(options.body[0].text, u"\"z\" :1");
  EXPECT_EQ(options.body[1].text, u"\"a\": {\"k\": [ 2 ]}");
  ASSERT_EQ(options.headers.size(), 2u);
  EXPECT_EQ(options.headers[0].name, u"api-key");
  EXPECT_EQ(options.headers[0].value, u"k1");
  EXPECT_EQ(options.headers[1].value, u"T");
  EXPECT_EQ(options.timeout_ms, 2500);
  for (const Text& name : {Text(u"body"), Text(u"header"), Text(u"timeout")})
    EXPECT_TRUE(SetHostOption(name, u"", reason));
  options = SnapshotHostOptions();
  EXPECT_TRUE(options.body.empty());
  EXPECT_TRUE(options.headers.empty());
  EXPECT_EQ(options.timeout_ms, 0);
}

}  // namespace
}  // namespace llmbridge::testing
