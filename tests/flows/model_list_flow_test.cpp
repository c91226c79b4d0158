#include "flows/model_list_flow.h"

#include <string>

#include "state/library_state.h"
#include "support/fixture_text.h"
#include "support/flow_test.h"

namespace llmbridge::testing {
namespace {

class ModelListFlow : public FlowTest {
 protected:
  Text List() { return ListModels(Wide(server_.Address()), u"key"); }
};

TEST_F(ModelListFlow, SendsAGetWithOnlyTheAuthorizationHeader) {
  server_.Script(HttpReply(200, ReadFixtureBytes("models_openai.json")));
  EXPECT_EQ(List(), u"gpt-4o\rgpt-4o-mini\rtext-embedding-3-small");
  const std::string request = server_.Requests().at(0);
  EXPECT_EQ(request.rfind("GET /v1/models HTTP/1.1\r\n", 0), 0u);
  EXPECT_NE(request.find("\r\nAuthorization: Bearer key\r\n"), std::string::npos);
  EXPECT_EQ(request.find("content-type"), std::string::npos);
  EXPECT_EQ(RequestBody(request), "");
}

TEST_F(ModelListFlow, RealServerAnswers) {
  const std::pair<const char*, Text> cases[] = {
      {"models_llamacpp.json", u"qwen2.5-0.5b-instruct"},
      // Each entry's permission objects (bucket 47) come before its own "id" (bucket 59).
      {"models_vllm.json", u"modelperm-4f2a\rmeta-llama/Llama-3.1-8B-Instruct"},
  };
  for (const auto& [fixture, ids] : cases) {
    server_.Script(HttpReply(200, ReadFixtureBytes(fixture)));
    EXPECT_EQ(List(), ids) << fixture;
  }
  // Any answer's ids count, whatever its status; an error status is told through lasterror.
  server_.Script(HttpReply(404, ReadFixtureBytes("models_openai.json")));
  EXPECT_EQ(List(), u"gpt-4o\rgpt-4o-mini\rtext-embedding-3-small");
  EXPECT_EQ(GetLibraryState().LastError.rfind(u"HTTP 404: ", 0), 0u);
}

TEST_F(ModelListFlow, AnswersWithoutIdsKeepTheLastListFound) {
  server_.Script(HttpReply(200, "{\"data\": [{\"id\": \"a\"}, {\"id\": \"b\"}, {\"id\": \"c\"}]}"));
  server_.Script(HttpReply(401, ReadFixtureBytes("error_openai.json")));
  server_.Script(HttpReply(200, ReadFixtureBytes("models_ollama_empty.json")));
  server_.Script(HttpReply(200, ""));
  server_.Script(HttpReply(200, "{\"data\": [{\"id\": 7}]}"));  // a number is no id
  EXPECT_EQ(List(), u"a\rb\rc");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(List(), u"a\rb\rc") << i;
  EXPECT_EQ(GetLibraryState().ModelCount, 0);
}

TEST_F(ModelListFlow, AnUnreachableServerGivesTheLastListOrNothing) {
  Text address;
  {
    LoopbackServer closed;
    address = Wide(closed.Address());
  }
  EXPECT_EQ(ListModels(address, u"key"), u"");
  server_.Script(HttpReply(200, "{\"data\": [{\"id\": \"only\"}]}"));
  EXPECT_EQ(List(), u"only");
  EXPECT_EQ(ListModels(address, u"key"), u"only");
}

}  // namespace
}  // namespace llmbridge::testing
