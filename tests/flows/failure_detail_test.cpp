// What lasterror tells after each kind of failure, and that a success clears it.
#include "flows/failure_detail.h"

#include <string>
#include <vector>

#include "flows/chat_flow.h"
#include "flows/model_list_flow.h"
#include "support/fixture_text.h"
#include "support/flow_test.h"

namespace llmbridge::testing {
namespace {

class FailureDetailTest : public FlowTest {
 protected:
  Text ChatWith(const Text& key) {
    return Chat({Wide(server_.Address()), key, u"Hi", u"10", u"m1", u"", u"false"});
  }
};

// Every provider's error shape gives its message; what is no JSON gives its title or its text.
TEST_F(FailureDetailTest, ErrorAnswersGiveTheServersOwnMessage) {
  const std::string long_text(3000, 'x');
  struct Case {
    ScriptedReply reply;
    Text detail;
  };
  const std::vector<Case> cases = {
      {HttpReply(401, ReadFixtureBytes("error_openai.json")),
       u"HTTP 401: Incorrect API key provided: sk-abc***xyz."},
      {HttpReply(401, ReadFixtureBytes("error_llamacpp.json")), u"HTTP 401: Invalid API Key"},
      {HttpReply(401, ReadFixtureBytes("error_detail.json")), u"HTTP 401: Unauthorized"},
      {HttpReply(404, ReadFixtureBytes("error_string.json")),
       u"HTTP 404: model 'llama9' not found, try pulling it first"},
      {HttpReply(404, ReadFixtureBytes("error_vllm_flat.json")),
       u"HTTP 404: The model `x` does not exist."},
      {HttpReply(500, ReadFixtureBytes("error_plain.txt")), u"HTTP 500: Internal Server Error"},
      {HttpReply(400,
                 "[{\"error\": {\"code\": 400, \"message\": \"API key not valid.\", "
                 "\"status\": \"INVALID_ARGUMENT\"}}]"),
       u"HTTP 400: API key not valid."},
      {HttpReply(422, "{\"detail\": [{\"loc\": [\"body\"], \"msg\": \"field required\"}]}"),
       u"HTTP 422: field required"},
      {HttpReply(401,
                 "<html>\r\n<head><title>401 Authorization\n Required</title></head>"
                 "<body><center><h1>401</h1></center></body></html>"),
       u"HTTP 401: 401 Authorization Required"},
      {HttpReply(502, "<!DOCTYPE html><html><body><h1>Bad</h1> <p>gateway</p></body></html>"),
       u"HTTP 502: Bad gateway"},
      // No body: the status line's reason phrase, which the scripted server writes as "Error".
      {HttpReply(503, ""), u"HTTP 503: Error"},
      // A server that echoes the key never shows it.
      {HttpReply(401, "{\"error\": {\"message\": \"Bad key secret-key-1 (secret-key-1)\"}}"),
       u"HTTP 401: Bad key *** (***)"},
      {HttpReply(500, long_text + "\xc3\xa9"), Text(u"HTTP 500: ") + Text(1024, u'x')},
  };
  for (const Case& c : cases) {
    server_.Script(c.reply);
    EXPECT_EQ(ChatWith(u"secret-key-1").rfind(u"Api Error code: ", 0), 0u);
    EXPECT_EQ(GetLibraryState().LastError, c.detail) << c.reply.bytes.substr(0, 80);
  }
}

TEST_F(FailureDetailTest, TransfersThatGotNoAnswerGiveLibcurlsMessage) {
  Text address;
  {
    LoopbackServer closed;
    address = Wide(closed.Address());
  }
  EXPECT_EQ(Chat({address, u"k", u"Hi", u"10", u"m1", u"", u"false"}), u"Api Error code: 0");
  EXPECT_NE(GetLibraryState().LastError.find(u"onnect"), Text::npos)
      << std::string(GetLibraryState().LastError.begin(), GetLibraryState().LastError.end());
  // The model listing keeps its designed result and says why nothing new came.
  EXPECT_EQ(ListModels(address, u"k"), u"");
  EXPECT_NE(GetLibraryState().LastError.find(u"onnect"), Text::npos);
}

// A 200 answer holding only an "error" (some local servers answer a bad request so) keeps the
// empty reply and tells why; the next success clears the reason.
TEST_F(FailureDetailTest, AnErrorInASuccessfulAnswerIsToldAndASuccessClearsIt) {
  server_.Script(HttpReply(200, ReadFixtureBytes("error_llamacpp.json")));
  EXPECT_EQ(ChatWith(u"k"), u"");
  EXPECT_EQ(GetLibraryState().LastError, u"Invalid API Key");
  server_.Script(HttpReply(200, ReadFixtureBytes("chat_openai.json")));
  EXPECT_NE(ChatWith(u"k"), u"");
  EXPECT_EQ(GetLibraryState().LastError, u"");
}

}  // namespace
}  // namespace llmbridge::testing
