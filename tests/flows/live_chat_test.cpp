#include "flows/live_chat.h"

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/chat_answers.h"
#include "support/fixture_text.h"
#include "support/flow_test.h"

namespace llmbridge::testing {
namespace {

using Clock = std::chrono::steady_clock;

// `stream` in pieces of `size` bytes.
std::vector<std::string> Pieces(const std::string& stream, size_t size) {
  std::vector<std::string> pieces;
  for (size_t at = 0; at < stream.size(); at += size) pieces.push_back(stream.substr(at, size));
  return pieces;
}

const Text kEarlier =
    u"{\"role\": \"user\", \"content\": \"Hi\"},{\"role\": \"assistant\", "
    u"\"content\": \"Hello\"},";

class LiveChatFlow : public FlowTest {
 protected:
  void SetUp() override {
    FlowTest::SetUp();
    GetLibraryState().ConversationLog = kEarlier;
  }
  void TearDown() override {
    CancelLiveChat();
    SettleLiveChat();
  }

  int32_t Start(const Text& prompt = u"Go on") { return StartAt(server_, prompt); }
  static int32_t StartAt(LoopbackServer& server, const Text& prompt = u"Go on") {
    return StartLiveChat({Wide(server.Address()), u"key", prompt, u"200", u"m1", u"0.5", u"false"});
  }
  // Waits until the reply holds something while the exchange still runs.
  void AwaitPartialReply() {
    while (LiveChatStatus() == LiveStatus::kRunning && LiveChatText().empty())
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
};

struct ProviderStream {
  const char* fixture;
  const char16_t* reply;
};

class ProviderStreams : public LiveChatFlow,
                        public ::testing::WithParamInterface<ProviderStream> {};

TEST_P(ProviderStreams, FinishWithTheWholeReplyAndContinueTheConversation) {
  server_.Script(EventStreamReply(Pieces(ReadFixtureBytes(GetParam().fixture), 7)));
  ASSERT_EQ(Start(), 1);
  WaitForLiveChat();
  EXPECT_EQ(LiveChatStatus(), LiveStatus::kFinished);
  EXPECT_EQ(LiveChatText(), GetParam().reply);
  EXPECT_EQ(LiveChatFailure(), u"");
  const std::string body = RequestBody(server_.Requests().at(0));
  EXPECT_NE(
      body.find(", \"stream\": true, \"n\": 1, \"messages\": [{\"role\": \"user\", \"content\": "
                "\"Hi\"},{\"role\": \"assistant\", \"content\": \"Hello\"},{\"role\": "
                "\"user\", \"content\": \"Go on\"}]}"),
      std::string::npos)
      << body;
  // The conversation changes only when the exports settle the exchange, as chat would have.
  EXPECT_EQ(GetLibraryState().ConversationLog, kEarlier);
  SettleLiveChat();
  EXPECT_EQ(GetLibraryState().ConversationLog,
            kEarlier +
                u"{\"role\": \"user\", \"content\": \"Go on\"},{\"role\": \"assistant\", "
                u"\"content\": \"" +
                Text(GetParam().reply) + u"\"},");
}

INSTANTIATE_TEST_SUITE_P(
    LiveChat, ProviderStreams,
    ::testing::Values(
        ProviderStream{"stream_openai.txt", u"Streaming lets hosts show words early."},
        ProviderStream{"stream_llamacpp.txt", u"Local models stream too."},
        ProviderStream{"stream_ollama.txt", u"Ollama answers in pieces."},
        ProviderStream{"stream_router.txt", u"Hello there!"},
        ProviderStream{"stream_vllm.txt", u"Three letters."},
        ProviderStream{"stream_whole_message.txt", u"The whole message, as sent at the end."}),
    [](const auto& case_info) {
      std::string name = case_info.param.fixture;
      name = name.substr(7, name.find('.') - 7);  // between "stream_" and ".txt"
      return name;
    });

TEST_F(LiveChatFlow, TheReplyGrowsWhileRunning) {
  server_.Script(EventStreamReply({Delta("one"), Delta(" two"), "data: [DONE]\n\n"}, 150));
  ASSERT_EQ(Start(), 1);
  EXPECT_EQ(LiveChatStatus(), LiveStatus::kRunning);
  AwaitPartialReply();
  EXPECT_EQ(LiveChatStatus(), LiveStatus::kRunning);
  EXPECT_EQ(LiveChatText(), u"one");
  WaitForLiveChat();
  EXPECT_EQ(LiveChatStatus(), LiveStatus::kFinished);
  EXPECT_EQ(LiveChatText(), u"one two");
}

TEST_F(LiveChatFlow, AServerThatIgnoresStreamingAnswersAsChatReadsIt) {
  server_.Script(HttpReply(200, ReadFixtureBytes("chat_vllm.json")));
  ASSERT_EQ(Start(), 1);
  WaitForLiveChat();
  EXPECT_EQ(LiveChatStatus(), LiveStatus::kFinished);
  EXPECT_EQ(LiveChatText(), u"42 is the answer.");
}

// The host's options as they stood at the start shape the streamed request as they shape chat's.
TEST_F(LiveChatFlow, HostOptionsShapeTheStreamedRequest) {
  server_.Script(HttpReply(200, ReadFixtureBytes("chat_vllm.json")));
  HostOptions options;
  options.system = u"Be brief.";
  options.headers.push_back({u"X-Title", u"live"});
  ASSERT_EQ(StartLiveChat({Wide(server_.Address()), u"key", u"Go on", u"", u"m1", u"", u"false"},
                          options),
            1);
  WaitForLiveChat();
  const std::string request = server_.Requests().at(0);
  EXPECT_NE(request.find("\r\nX-Title: live\r\n"), std::string::npos) << request;
  EXPECT_NE(RequestBody(request).find("\"messages\": [{\"role\": \"system\", \"content\": "
                                      "\"Be brief.\"},{\"role\": \"user\""),
            std::string::npos)
      << request;
}

// Failures give chat's error text and empty the conversation once settled.
TEST_F(LiveChatFlow, FailuresGiveChatsErrorTextAndEmptyTheConversation) {
  struct Failure {
    ScriptedReply reply;
    const char16_t* text;
  };
  ScriptedReply cut = EventStreamReply({Delta("par"), Delta("tial")});
  cut.bytes =
      "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nTransfer-Encoding: "
      "chunked\r\n\r\n";
  cut.parts = {{0, "b\r\n" + Delta("par").substr(0, 11) + "\r\n"}};  // then the server vanishes
  Text closed_address;
  const std::vector<Failure> failures = {
      {HttpReply(401, ReadFixtureBytes("error_openai.json")), u"Api Error code: 401"},
      {cut, u"Api Error code: 0"},
  };
  for (const Failure& failure : failures) {
    GetLibraryState().ConversationLog = kEarlier;
    server_.Script(failure.reply);
    ASSERT_EQ(Start(), 1);
    WaitForLiveChat();
    EXPECT_EQ(LiveChatStatus(), LiveStatus::kFailed);
    EXPECT_EQ(LiveChatText(), failure.text);
    EXPECT_NE(LiveChatFailure(), u"");
    SettleLiveChat();
    EXPECT_EQ(GetLibraryState().ConversationLog, u"");
  }
}

// A refusal sent as an event of a 200 stream, as some servers send it: an empty reply whose
// reason is the event's message, as chat gives for an answer that holds only an error.
TEST_F(LiveChatFlow, AnErrorEventGivesAnEmptyReplyAndItsMessage) {
  server_.Script(EventStreamReply(
      {"data: {\"error\": {\"message\": \"Incorrect API token provided: key\", \"type\": "
       "\"invalid_request_error\"}}\n\n"}));
  ASSERT_EQ(Start(), 1);
  WaitForLiveChat();
  EXPECT_EQ(LiveChatStatus(), LiveStatus::kFinished);
  EXPECT_EQ(LiveChatText(), u"");
  EXPECT_EQ(LiveChatFailure(), u"Incorrect API token provided: ***");
}

TEST_F(LiveChatFlow, AStartWhileRunningSendsNothing) {
  server_.Script(EventStreamReply({Delta("a"), Delta("b")}, 200));
  ASSERT_EQ(Start(), 1);
  EXPECT_EQ(Start(u"again"), 0);
  WaitForLiveChat();
  EXPECT_EQ(server_.Requests().size(), 1u);
  EXPECT_EQ(LiveChatText(), u"ab");
}

// Cancelled at each stage, the exchange keeps what arrived and leaves the conversation alone.
TEST_F(LiveChatFlow, ACancelEndsTheExchangeAtOnceAtEveryStage) {
  enum Stage { kBeforeTheAnswer, kDuringTheHeaders, kMidStream };
  for (Stage stage : {kBeforeTheAnswer, kDuringTheHeaders, kMidStream}) {
    // The server pauses 3 s at the stage, long past libcurl's next progress call.
    ScriptedReply reply = EventStreamReply({Delta("kept"), Delta(" lost")}, 3000);
    if (stage == kBeforeTheAnswer) reply.delay_ms = 3000;
    if (stage == kDuringTheHeaders) {
      reply.bytes = "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\n";
      reply.parts = {{3000, "\r\n" + Delta("lost")}};
    }
    if (stage == kMidStream) reply.parts.front().first = 0;
    // A server of its own: a cancel before the connection leaves its reply unused.
    LoopbackServer server;
    server.Script(reply);
    ASSERT_EQ(StartAt(server), 1);
    if (stage == kMidStream) AwaitPartialReply();
    if (stage == kDuringTheHeaders) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto asked = Clock::now();
    EXPECT_TRUE(CancelLiveChat()) << stage;
    EXPECT_LT(Clock::now() - asked, std::chrono::milliseconds(1000)) << stage;
    EXPECT_EQ(LiveChatStatus(), LiveStatus::kCancelled);
    EXPECT_EQ(LiveChatText(), stage == kMidStream ? u"kept" : u"") << stage;
    SettleLiveChat();
    EXPECT_EQ(GetLibraryState().ConversationLog, kEarlier);
    EXPECT_FALSE(CancelLiveChat());  // nothing runs any more
  }
}

}  // namespace
}  // namespace llmbridge::testing
