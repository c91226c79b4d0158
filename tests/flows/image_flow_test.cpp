#include "flows/image_flow.h"

#include <string>

#include "flows/flow_test_support.h"
#include "support/fixture_text.h"

namespace llmbridge::testing {
namespace {

class ImageFlow : public FlowTest {
 protected:
  Text Generate(const Text& prompt) {
    return GenerateImage(Wide("http://" + server_.Address() + "/v1/images/generations"),
                         {u"key", prompt, u"1024x1024", u"false"});
  }
};

TEST_F(ImageFlow, PostsTheExactBodyAndReturnsTheUrl) {
  server_.Script(HttpReply(200, ReadFixtureBytes("image_url.json")));
  EXPECT_EQ(Generate(u"a red\r\nfox"),
            u"https://images.example.net/generated/img-abc123.png?st=2025-03-10&sig=xyz");
  const std::string request = server_.Requests().at(0);
  EXPECT_EQ(request.rfind("POST /v1/images/generations HTTP/1.1\r\n", 0), 0u);
  EXPECT_LT(request.find("\r\ncontent-type: application/json\r\n"),
            request.find("\r\nAuthorization: Bearer key\r\n"));
  EXPECT_EQ(RequestBody(request), "{\"prompt\": \"a red fox\", \"n\": 1, \"size\": \"1024x1024\"}");
}

TEST_F(ImageFlow, TheLastStringInMemberOrderWins) {
  // b64_json (bucket 7) comes before revised_prompt (bucket 23).
  server_.Script(HttpReply(200, ReadFixtureBytes("image_b64.json")));
  EXPECT_EQ(Generate(u"pixel"), u"A single transparent pixel.");
}

TEST_F(ImageFlow, ErrorsLeaveTheLastResult) {
  server_.Script(HttpReply(200, ReadFixtureBytes("image_url.json")));
  server_.Script(HttpReply(400, ReadFixtureBytes("error_openai.json")));
  server_.Script(HttpReply(200, "{\"data\": [[\"strings in arrays are not kept\"]]}"));
  const Text first = Generate(u"fox");
  EXPECT_EQ(Generate(u"fox"), u"Api Error code: 400");
  EXPECT_EQ(Generate(u"fox"), first);
  EXPECT_EQ(GetLibraryState().ImageResult, first);
}

TEST_F(ImageFlow, TheBuiltInEndpointIsHttps) {
  EXPECT_EQ(ImageEndpoint().rfind(u"https://", 0), 0u);
  EXPECT_EQ(ImageEndpoint().size() - ImageEndpoint().rfind(u"/v1/images/generations"), 22u);
}

}  // namespace
}  // namespace llmbridge::testing
