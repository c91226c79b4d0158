#include "flows/response_walkers.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "json/json_parser.h"
#include "json/json_slots.h"
#include "state/library_state.h"
#include "support/fixture_text.h"

namespace llmbridge {
namespace {

// Walkers get the root of slot 0 after a successful parse, and no value after a failed one, as
// the request flows hand it to them.
JsonValue* ParsedAnswer(const Text& body) {
  return ParseJson(0, body) != 0 ? GetJsonRoot(0) : nullptr;
}

class ResponseWalkers : public ::testing::Test {
 protected:
  void SetUp() override { ResetState(); }
  void TearDown() override { FreeAllJson(); }

  static void ResetState() {
    LibraryState& state = GetLibraryState();
    state.ChatReply = u"stale reply";
    state.ModelList = u"stale list";
    state.ModelCount = 0;  // as the model listing does before its walk
    state.ImageResult = u"stale image";
  }

 public:
  // Each walks the parsed `body` and gives what it kept.
  const Text& ChatReplyOf(const Text& body) {
    CollectContent(ParsedAnswer(body));
    return GetLibraryState().ChatReply;
  }
  const Text& ModelListOf(const Text& body) {
    CollectModelIds(ParsedAnswer(body));
    return GetLibraryState().ModelList;
  }
  const Text& ImageResultOf(const Text& body) {
    CollectLastString(ParsedAnswer(body));
    return GetLibraryState().ImageResult;
  }

  // Walks each fixture's answer from a fresh state, expecting what `walk` gives with it.
  void ExpectFromFixtures(const Text& (ResponseWalkers::*walk)(const Text&),
                          std::initializer_list<std::pair<const char*, Text>> cases) {
    for (const auto& [fixture, kept] : cases) {
      ResetState();
      EXPECT_EQ((this->*walk)(testing::ReadFixtureText(fixture)), kept) << fixture;
    }
  }
};

const Text kStandardChat =
    u"{\"id\":\"c1\",\"object\":\"chat.completion\",\"created\":1,\"model\":\"m\",\"choices\":"
    u"[{\"index\":0,\"message\":{\"role\":\"assistant\",\"content\":\"Hello\"},"
    u"\"finish_reason\":\"stop\"}],\"usage\":{\"prompt_tokens\":1,\"total_tokens\":2}}";

TEST_F(ResponseWalkers, ContentOfDesignedChatAnswers) {
  struct Case {
    Text body;
    Text reply;
  };
  const Case cases[] = {
      {kStandardChat, u"Hello"},
      // "ma" (bucket 52) holds an object entered after the choices (50): it empties the reply.
      {kStandardChat.substr(0, kStandardChat.size() - 1) + u",\"ma\":{}}", u""},
      {u"{\"choices\":[{\"message\":{\"content\":null}}]}", u""},
      {u"{\"choices\":[{\"message\":{\"content\":\"one\"}},{\"message\":{\"content\":\"two\"}}]}",
       u"two"},
      {u"[{\"content\":\"in an array\"}]", u""},
      {u"{\"content\":[\"strings in arrays are skipped\"]}", u""},
      {u"{\"Content\":\"case matters\"}", u""},
      {u"{\"contents\":\"longer key\",\"conten\":\"shorter key\"}", u""},
      {u"not json", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(ChatReplyOf(c.body), c.reply);
}

TEST_F(ResponseWalkers, FailedParseIsNotAnsweredWithTheEarlierDocument) {
  EXPECT_EQ(ChatReplyOf(kStandardChat), u"Hello");
  EXPECT_EQ(ChatReplyOf(u"<html>502 Bad Gateway</html>"), u"");
  ASSERT_NE(GetJsonRoot(0), nullptr) << "the earlier document stays in the slot";
  EXPECT_EQ(ModelListOf(u"{"), u"stale list");
  EXPECT_EQ(ImageResultOf(u"{"), u"stale image");
}

TEST_F(ResponseWalkers, ContentOfRealServerAnswers) {
  ExpectFromFixtures(
      &ResponseWalkers::ChatReplyOf,
      {
          {"chat_openai.json", u"The capital of France is Paris.\n\nIt is also its largest city."},
          {"chat_ollama.json",
           u"Hallo! Wie kann ich dir heute helfen? \u00C4pfel, \u00D6l, \u00DCbung \u2013 alles "
           u"gut."},
          // "timings" (bucket 9) is entered first, before the choices, so it does no harm.
          {"chat_llamacpp.json", u"Bonjour ! Comment puis-je vous aider aujourd'hui ?"},
          {"chat_vllm.json", u"42 is the answer."},
          {"chat_openai_two_choices.json", u"Second answer."},
          {"chat_unicode_escapes.json",
           u"caf\u00E9 \u20AC \u4E2D\u6587 \U0001F600 \"quoted\" back\\slash tab\tend"},
          // Groq's "x_groq" object (bucket 52) comes after the choices and empties the reply.
          {"chat_groq.json", u""},
          {"chat_openai_tool_call.json", u""},
          {"error_openai.json", u""},
      });
}

TEST_F(ResponseWalkers, ModelIdsInWalkOrder) {
  ExpectFromFixtures(&ResponseWalkers::ModelListOf,
                     {
                         {"models_openai.json", u"gpt-4o\rgpt-4o-mini\rtext-embedding-3-small"},
                         // "permission" (bucket 47) is walked before the entry's own "id" (59).
                         {"models_vllm.json", u"modelperm-4f2a\rmeta-llama/Llama-3.1-8B-Instruct"},
                         {"models_llamacpp.json", u"qwen2.5-0.5b-instruct"},
                         {"models_ollama_empty.json", u"stale list"},
                     });
}

TEST_F(ResponseWalkers, WalkReachesTheDeepestDocumentTheParserAccepts) {
  Text body;
  for (int level = 1; level < kMaxJsonDepth; ++level) body += u"{\"a\":";
  body += u"{\"content\":\"deep\"}" + Text(kMaxJsonDepth - 1, u'}');
  EXPECT_EQ(ChatReplyOf(body), u"deep");
}

TEST_F(ResponseWalkers, ModelIdsSkipNumbersAndKeepCountAtOne) {
  EXPECT_EQ(ModelListOf(u"{\"data\":[{\"id\":7},{\"id\":\"a\"},{\"id\":\"b\"}]}"), u"a\rb");
  EXPECT_EQ(GetLibraryState().ModelCount, 1);
  EXPECT_EQ(ModelListOf(u"{\"id\":\"c\"}"), u"a\rb\rc") << "the list is never emptied";
}

TEST_F(ResponseWalkers, LastStringOfImageAndOtherAnswers) {
  ExpectFromFixtures(
      &ResponseWalkers::ImageResultOf,
      {
          {"image_url.json",
           u"https://images.example.net/generated/img-abc123.png?st=2025-03-10&sig=xyz"},
          {"image_b64.json", u"A single transparent pixel."},
          // Inside "error", "code" and "param" share bucket 13, then "message" (39), "type" (58).
          {"error_openai.json", u"invalid_request_error"},
          {"chat_openai.json", u"chat.completion"},
          {"error_detail.json", u"Unauthorized"},
      });
  EXPECT_EQ(ImageResultOf(u"{\"data\":[\"a\",\"b\"],\"n\":1}"), u"Unauthorized")
      << "string elements of arrays are not kept";
}

}  // namespace
}  // namespace llmbridge
