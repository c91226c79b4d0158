#include "flows/image_flow.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "flows/image_saving.h"
#include "state/library_state.h"
#include "support/fixture_text.h"
#include "support/flow_test.h"
#include "support/temporary_folder.h"

namespace llmbridge::testing {
namespace {

class ImageFlow : public FlowTest {
 protected:
  Text Generate(const Text& prompt, const HostOptions& options = HostOptions()) {
    return GenerateImage(Wide("http://" + server_.Address() + "/v1/images/generations"),
                         {u"key", prompt, u"1024x1024", u"false"}, options);
  }
};

std::string Base64(const std::string& bytes) {
  const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t group = static_cast<uint8_t>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) group |= static_cast<uint8_t>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) group |= static_cast<uint8_t>(bytes[i + 2]);
    for (size_t k = 0; k < 4; ++k)
      text += i + k <= bytes.size() ? alphabet[(group >> (18 - 6 * k)) & 63] : '=';
  }
  return text;
}

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

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
  EXPECT_EQ(GetLibraryState().LastError, u"HTTP 400: Incorrect API *** provided: sk-abc***xyz.")
      << "the key, \"key\", is masked wherever it stands";
  EXPECT_EQ(Generate(u"fox"), first);
  EXPECT_EQ(GetLibraryState().ImageResult, first);
}

TEST_F(ImageFlow, TheBuiltInEndpointIsHttps) {
  EXPECT_EQ(ImageEndpoint().rfind(u"https://", 0), 0u);
  EXPECT_EQ(ImageEndpoint().size() - ImageEndpoint().rfind(u"/v1/images/generations"), 22u);
}

// imageurl, imagebody and the host's headers: the headers go only to the host's image server.
TEST_F(ImageFlow, HostOptionsShapeTheRequest) {
  HostOptions own_server;
  own_server.imageurl = Wide("http://" + server_.Address() + "/api/v1/");
  own_server.imagebody = {{u"model", u"\"model\": \"gpt-image-1\""}, {u"n", u"\"n\": 2"}};
  own_server.headers = {{u"X-Key", u"k2"}};
  HostOptions built_in = own_server;
  built_in.imageurl.clear();
  server_.Script(HttpReply(200, ReadFixtureBytes("image_url.json")));
  server_.Script(HttpReply(200, ReadFixtureBytes("image_url.json")));
  Generate(u"fox", own_server);
  Generate(u"fox", built_in);
  const std::string to_own = server_.Requests().at(0);
  const std::string to_built_in = server_.Requests().at(1);
  EXPECT_EQ(to_own.rfind("POST /api/v1/images/generations HTTP/1.1\r\n", 0), 0u) << to_own;
  EXPECT_EQ(RequestBody(to_own),
            "{\"prompt\": \"fox\", \"size\": \"1024x1024\", \"model\": \"gpt-image-1\", \"n\": 2}");
  EXPECT_NE(to_own.find("\r\nX-Key: k2\r\n"), std::string::npos);
  EXPECT_EQ(to_built_in.rfind("POST /v1/images/generations HTTP/1.1\r\n", 0), 0u);
  EXPECT_EQ(to_built_in.find("X-Key"), std::string::npos);
}

// With an imagedir, a b64_json image is written to a new file, named for its bytes' kind, whose
// path is the result; an answer with a URL keeps the walk's result; a write that fails leaves no
// file.
TEST_F(ImageFlow, CarriedImagesAreWrittenToNewFiles) {
  const TemporaryFolder folder;
  HostOptions options;
  options.imagedir = Wide(folder.text());
  std::string png = "\x89PNG\r\n\x1a\n";
  for (int byte = 0; byte < 256; ++byte) png += static_cast<char>(byte);
  const std::string answer =
      "{\"data\": [{\"b64_json\": \"" + Base64(png) + "\", \"revised_prompt\": \"a fox\"}]}";
  server_.Script(HttpReply(200, answer));
  server_.Script(HttpReply(200, answer));
  const Text first = Generate(u"fox", options);
  const Text second = Generate(u"fox", options);
  EXPECT_NE(first, second);
  for (const Text& path : {first, second}) {
    const std::filesystem::path file(std::u16string(path.begin(), path.end()));
    EXPECT_EQ(file.parent_path(), folder.path());
    EXPECT_EQ(file.extension(), ".png");
    EXPECT_EQ(FileBytes(file), png);
  }
  const auto files = [&] {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
      found.push_back(entry.path());
    return found;
  };
  EXPECT_EQ(files().size(), 2u);  // no temporary file is left

  server_.Script(HttpReply(200, ReadFixtureBytes("image_url.json")));
  EXPECT_EQ(Generate(u"fox", options).rfind(u"https://images.example.net/", 0), 0u);

  options.imagedir = Wide((folder.path() / "removed").u8string());
  server_.Script(HttpReply(200, answer));
  EXPECT_EQ(Generate(u"fox", options), u"Request Failed");
  EXPECT_NE(GetLibraryState().LastError.find(u"removed"), Text::npos);
  EXPECT_EQ(files().size(), 2u);
}

TEST_F(ImageFlow, ExtensionsFollowTheBytes) {
  const std::vector<std::pair<std::string, Text>> cases = {
      {std::string("\x89PNG\r\n\x1a\n\0", 9), u".png"},
      {"\xFF\xD8\xFF\xE0", u".jpg"},
      {std::string("RIFF\x10\0\0\0WEBPVP8 ", 16), u".webp"},
      {std::string("RIFF\x10\0\0\0WAVE", 12), u".bin"},
      {"GIF89a", u".bin"},
      {"", u".bin"},
  };
  for (const auto& [bytes, extension] : cases) EXPECT_EQ(ImageExtension(bytes), extension) << bytes;
}

}  // namespace
}  // namespace llmbridge::testing
