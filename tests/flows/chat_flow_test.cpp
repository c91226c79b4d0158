#include "flows/chat_flow.h"

#include <string>
#include <vector>

#include "support/chat_answers.h"
#include "support/display.h"
#include "support/fixture_text.h"
#include "support/flow_test.h"
#include "ui/open_window_list.h"

namespace llmbridge::testing {
namespace {

class ChatFlow : public FlowTest {
 protected:
  Text Send(const Text& prompt, const Text& max_tokens = u"200", const Text& model = u"m1",
            const Text& temperature = u"0.5") {
    return Chat(
        {Wide(server_.Address()), u"key", prompt, max_tokens, model, temperature, u"false"});
  }
  std::string LastBody() { return RequestBody(server_.Requests().back()); }
};

TEST_F(ChatFlow, FirstCallSendsOneUserTurnAndKeepsTheReply) {
  server_.Script(HttpReply(200, ChatAnswer("Hello")));
  EXPECT_EQ(Send(u"Hi"), u"Hello");
  const std::string request = server_.Requests().at(0);
  EXPECT_EQ(request.rfind("POST /v1/chat/completions HTTP/1.1\r\n", 0), 0u);
  EXPECT_LT(request.find("\r\ncontent-type: application/json\r\n"),
            request.find("\r\nAuthorization: Bearer key\r\n"));
  EXPECT_EQ(
      LastBody(),
      "{\"max_tokens\": 200, \"model\": \"m1\", \"temperature\": 0.5, \"stream\": false, \"n\": 1, "
      "\"messages\": [{\"role\": \"user\", \"content\": \"Hi\"}]}");
  EXPECT_EQ(GetLibraryState().ConversationLog,
            u"{\"role\": \"user\", \"content\": \"Hi\"},{\"role\": \"assistant\", \"content\": "
            u"\"Hello\"},");
}

TEST_F(ChatFlow, LaterCallsCarryTheWholeConversation) {
  server_.Script(HttpReply(200, ChatAnswer("Hello")));
  server_.Script(HttpReply(200, ChatAnswer("Fine")));
  Send(u"Hi");
  EXPECT_EQ(Send(u"How are you?"), u"Fine");
  EXPECT_NE(
      LastBody().find(
          "\"messages\": [{\"role\": \"user\", \"content\": \"Hi\"},{\"role\": \"assistant\", "
          "\"content\": \"Hello\"},{\"role\": \"user\", \"content\": \"How are you?\"}]}"),
      std::string::npos)
      << LastBody();
}

TEST_F(ChatFlow, FailuresEmptyTheConversation) {
  server_.Script(HttpReply(200, ChatAnswer("Hello")));
  server_.Script(
      HttpReply(401,
                "{\"error\": {\"message\": \"bad key\", \"type\": \"invalid_request_error\", "
                "\"param\": null, \"code\": \"invalid_api_key\"}}"));
  server_.Script(HttpReply(200, ChatAnswer("Again")));
  Send(u"Hi");
  EXPECT_EQ(Send(u"second"), u"Api Error code: 401");
  EXPECT_EQ(GetLibraryState().ConversationLog, u"");
  Send(u"third");
  EXPECT_NE(LastBody().find("\"messages\": [{\"role\": \"user\", \"content\": \"third\"}]}"),
            std::string::npos);
}

TEST_F(ChatFlow, AnUnreachableServerGivesStatusZero) {
  Text address;
  {
    LoopbackServer closed;
    address = Wide(closed.Address());
  }
  GetLibraryState().ConversationLog = u"{\"role\": \"user\", \"content\": \"old\"},";
  EXPECT_EQ(Chat({address, u"k", u"Hi", u"10", u"m", u"1", u"false"}), u"Api Error code: 0");
  EXPECT_EQ(GetLibraryState().ConversationLog, u"");
}

TEST_F(ChatFlow, PromptsBecomeValidJsonStrings) {
  struct Case {
    Text prompt;
    std::string sent;
  };
  const std::vector<Case> cases = {
      {u"a\r\nb", "a b"},         // CR LF pairs become one space
      {u"a\nb\rc", "a\\nb\\rc"},  // lone line breaks keep their escapes
      {u"say \"x\"", "say \\\"x\\\""},
      {u"back\\r\nslash", "back\\\\r\\nslash"},  // a backslash never merges with an escape
      {u"bell\a tab\t", "bell\\u0007 tab\\t"},
  };
  for (const Case& c : cases) {
    server_.Script(HttpReply(200, ChatAnswer("ok")));
    GetLibraryState().ConversationLog.clear();
    Send(c.prompt);
    EXPECT_NE(LastBody().find("{\"role\": \"user\", \"content\": \"" + c.sent + "\"}"),
              std::string::npos)
        << LastBody();
  }
}

TEST_F(ChatFlow, MaximumTokensAreReadLenientlyAndSentAsTheirLow32Bits) {
  const std::vector<std::pair<Text, std::string>> cases = {{u"abc", "0"},
                                                           {u"$FF", "255"},
                                                           {u"4294967297", "1"},
                                                           {u"4294967295", "-1"},
                                                           {u" 42 tokens", "42"}};
  for (const auto& [given, sent] : cases) {
    server_.Script(HttpReply(200, ChatAnswer("ok")));
    Send(u"x", given);
    EXPECT_EQ(LastBody().rfind("{\"max_tokens\": " + sent + ", ", 0), 0u) << LastBody();
  }
}

// The model is escaped as the prompt is, so that any name keeps the body valid JSON; a plain
// name is sent unchanged. The temperature is sent as the host passes it; an empty one leaves its
// member out, since "temperature": , is no JSON.
TEST_F(ChatFlow, ModelsAreEscapedAndTemperaturesSentAsGiven) {
  struct Case {
    Text model;
    Text temperature;
    std::string sent;
  };
  const std::vector<Case> cases = {
      {u"gpt-4o-mini", u"0.7", "\"model\": \"gpt-4o-mini\", \"temperature\": 0.7, "},
      {u"gpt\"4", u"", "\"model\": \"gpt\\\"4\", "},
      {u"a\", \"n\": 9, \"x", u"1",
       "\"model\": \"a\\\", \\\"n\\\": 9, \\\"x\", \"temperature\": 1, "},
      {u"back\\slash\n", u"1", "\"model\": \"back\\\\slash\\n\", \"temperature\": 1, "},
  };
  for (const Case& c : cases) {
    server_.Script(HttpReply(200, ChatAnswer("ok")));
    Send(u"x", u"1", c.model, c.temperature);
    EXPECT_EQ(LastBody().rfind("{\"max_tokens\": 1, " + c.sent + "\"stream\"", 0), 0u)
        << LastBody();
  }
}

// A base URL gets the endpoint's path and a body that is always JSON: empty members left out, a
// temperature that is no number refused before anything is sent.
TEST_F(ChatFlow, BaseUrlsReachTheirEndpointWithBodiesServersAccept) {
  struct Case {
    std::string address;  // "@" stands for the server's host and port
    Text max_tokens;
    Text temperature;
    std::string request_line;  // empty: nothing may be sent
    std::string body_start;
  };
  const std::vector<Case> cases = {
      {"http://@/v1", u"200", u"0.5", "POST /v1/chat/completions ",
       "{\"max_tokens\": 200, \"model\""},
      {"HTTP://@/openai/v1/", u"", u"", "POST /openai/v1/chat/completions ",
       "{\"model\": \"m1\", \"stream\""},
      {"Http://@/v1//", u"7", u"-1.5e3", "POST /v1//chat/completions ",
       "{\"max_tokens\": 7, \"model\": \"m1\", \"temperature\": -1.5e3, "},
      {"http://@/v1", u"", u"0.5, \"top_p\": 1", "", ""},
      {"http://@/v1", u"", u"01", "", ""},
  };
  for (const Case& c : cases) {
    std::string address = c.address;
    address.replace(address.find('@'), 1, server_.Address());
    GetLibraryState().ConversationLog = u"{\"role\": \"user\", \"content\": \"kept\"},";
    const size_t sent_before = server_.Requests().size();
    if (!c.request_line.empty()) server_.Script(HttpReply(200, ChatAnswer("ok")));
    const Text reply =
        Chat({Wide(address), u"key", u"x", c.max_tokens, u"m1", c.temperature, u"false"});
    if (c.request_line.empty()) {
      EXPECT_EQ(reply, u"Request Failed") << address;
      EXPECT_EQ(server_.Requests().size(), sent_before) << address;
      EXPECT_EQ(GetLibraryState().ConversationLog, u"{\"role\": \"user\", \"content\": \"kept\"},");
      EXPECT_NE(GetLibraryState().LastError.find(u"temperature"), Text::npos);
      continue;
    }
    EXPECT_EQ(reply, u"ok") << address;
    EXPECT_EQ(server_.Requests().back().rfind(c.request_line, 0), 0u) << server_.Requests().back();
    EXPECT_EQ(LastBody().rfind(c.body_start, 0), 0u) << LastBody();
  }
}

TEST_F(ChatFlow, RepliesComeBackRawAndStandEscapedInTheConversation) {
  server_.Script(HttpReply(200, ChatAnswer("line one\\nline \\\"two\\\"")));
  EXPECT_EQ(Send(u"Hi"), u"line one\nline \"two\"");
  EXPECT_EQ(GetLibraryState().ConversationLog,
            u"{\"role\": \"user\", \"content\": \"Hi\"},"
            u"{\"role\": \"assistant\", \"content\": \"line one\\nline \\\"two\\\"\"},");
}

TEST_F(ChatFlow, AnAnswerWithoutContentIsAnEmptyReplyThatStillCounts) {
  server_.Script(HttpReply(200, ChatAnswer("first")));
  server_.Script(HttpReply(200, "this is not JSON"));
  Send(u"one");
  EXPECT_EQ(Send(u"two"), u"");
  EXPECT_EQ(
      GetLibraryState().ConversationLog,
      u"{\"role\": \"user\", \"content\": \"one\"},{\"role\": \"assistant\", \"content\": "
      u"\"first\"},"
      u"{\"role\": \"user\", \"content\": \"two\"},{\"role\": \"assistant\", \"content\": \"\"},");
}

// The window's identifier stays in LibraryState after it is closed, which tells whether one was
// opened during the call.
TEST_F(ChatFlow, OnlyExactlyTrueShowsTheProgressWindowAndEveryPathClosesIt) {
  if (!DisplaySet()) GTEST_SKIP() << "no display: no window can be made";
  const Text address = Wide(server_.Address());
  for (const Text& show : {Text(u"TRUE"), Text(u"1"), Text(u" true"), Text(u"false")}) {
    server_.Script(HttpReply(200, ChatAnswer("ok")));
    Chat({address, u"key", u"x", u"1", u"m1", u"0", show});
    EXPECT_EQ(GetLibraryState().ProgressWindow, nullptr);
  }
  server_.Script(HttpReply(200, ChatAnswer("ok")));
  server_.Script(HttpReply(500, "{}"));
  for (int call = 0; call < 2; ++call) {
    GetLibraryState().ProgressWindow = nullptr;
    Chat({address, u"key", u"x", u"1", u"m1", u"0", u"true"});
    EXPECT_NE(GetLibraryState().ProgressWindow, nullptr) << call;
    EXPECT_TRUE(OpenWindows().empty()) << call;
  }
}

// The reply is the last "content" met after the walk last entered an object, in member order.
TEST_F(ChatFlow, RealServerAnswers) {
  const std::vector<std::pair<const char*, Text>> cases = {
      {"chat_openai.json", u"The capital of France is Paris.\n\nIt is also its largest city."},
      {"chat_llamacpp.json", u"Bonjour ! Comment puis-je vous aider aujourd'hui ?"},
      {"chat_ollama.json",
       u"Hallo! Wie kann ich dir heute helfen? \u00C4pfel, \u00D6l, \u00DCbung \u2013 alles gut."},
      {"chat_vllm.json", u"42 is the answer."},
      // Its "x_groq" object (bucket 52) is entered after "choices" (bucket 50) and empties the
      // reply.
      {"chat_groq.json", u""},
  };
  for (const auto& [fixture, reply] : cases) {
    server_.Script(HttpReply(200, ReadFixtureBytes(fixture)));
    EXPECT_EQ(Send(u"Hi"), reply) << fixture;
  }
}

// Through a base URL the reply is choices[0].message.content, which no member after "choices"
// can empty; an answer without it is walked as from a host address.
TEST_F(ChatFlow, BaseUrlsReadTheDocumentedContent) {
  const std::vector<std::pair<std::string, Text>> cases = {
      {ReadFixtureBytes("chat_groq.json"), u"Fast inference is useful."},
      {"{\"choices\": [{\"message\": {\"content\": [{\"type\": \"text\", \"text\": \"a\"}, "
       "{\"type\": \"thinking\", \"text\": \"no\"}, {\"type\": \"text\", \"text\": \"b\"}]}}], "
       "\"x\": {}}",
       u"ab"},
      {"{\"choices\": [{\"message\": {\"content\": \"\"}}, {\"message\": {\"content\": \"2nd\"}}]}",
       u""},
      {"{\"choices\": [{\"message\": {\"content\": null, \"x\": {\"content\": \"walked\"}}}]}",
       u"walked"},
      {"{\"result\": {\"content\": \"walked\"}}", u"walked"},
  };
  const Text base_url = Wide("http://" + server_.Address() + "/v1");
  for (const auto& [answer, reply] : cases) {
    server_.Script(HttpReply(200, answer));
    EXPECT_EQ(Chat({base_url, u"key", u"Hi", u"", u"m1", u"", u"false"}), reply) << answer;
  }
}

// The host's options, as a call's copy holds them: what each changes in the request, with every
// other byte as without options.
TEST_F(ChatFlow, HostOptionsShapeTheRequest) {
  struct Case {
    HostOptions options;
    std::string body;              // exact
    std::vector<std::string> has;  // header lines the request holds
    std::vector<std::string> lacks;
  };
  HostOptions system;
  system.system = u"Be \"brief\".\r\nUse JSON.";
  HostOptions members;
  members.body = {{u"response_format", u"\"response_format\":{\"type\": \"json_object\"}"},
                  {u"model", u"\"model\": \"m2\""},
                  {u"seed", u"\"seed\" : 7"}};
  HostOptions headers;
  headers.headers = {{u"X-Title", u"T"}, {u"authorization", u"Bearer other"}, {u"X-Empty", u""}};
  const std::string messages = "\"messages\": [{\"role\": \"user\", \"content\": \"Hi\"}]";
  const std::vector<Case> cases = {
      {HostOptions(),
       "{\"max_tokens\": 200, \"model\": \"m1\", \"temperature\": 0.5, \"stream\": false, "
       "\"n\": 1, " +
           messages + "}",
       {"\r\nAuthorization: Bearer key\r\n"},
       {"X-Title"}},
      {system,
       "{\"max_tokens\": 200, \"model\": \"m1\", \"temperature\": 0.5, \"stream\": false, "
       "\"n\": 1, \"messages\": [{\"role\": \"system\", \"content\": \"Be \\\"brief\\\".\\r\\nUse "
       "JSON.\"},{\"role\": \"user\", \"content\": \"Hi\"}]}",
       {},
       {}},
      {members,
       "{\"max_tokens\": 200, \"temperature\": 0.5, \"stream\": false, \"n\": 1, " + messages +
           ", \"response_format\":{\"type\": \"json_object\"}, \"model\": \"m2\", \"seed\" : 7}",
       {},
       {}},
      {headers,
       "",
       {"\r\nX-Title: T\r\n", "\r\nauthorization: Bearer other\r\n", "\r\nX-Empty:\r\n",
        "\r\ncontent-type: application/json\r\n"},
       {"Bearer key"}},
  };
  const Text address = Wide(server_.Address());
  for (const Case& c : cases) {
    GetLibraryState().ConversationLog.clear();
    server_.Script(HttpReply(200, ChatAnswer("ok")));
    EXPECT_EQ(Chat({address, u"key", u"Hi", u"200", u"m1", u"0.5", u"false"}, c.options), u"ok");
    const std::string request = server_.Requests().back();
    if (!c.body.empty()) {
      EXPECT_EQ(RequestBody(request), c.body);
    }
    for (const std::string& line : c.has) EXPECT_NE(request.find(line), std::string::npos) << line;
    for (const std::string& text : c.lacks)
      EXPECT_EQ(request.find(text), std::string::npos) << text;
  }
  // The system message is no turn of the conversation: it stays out of the log.
  EXPECT_EQ(GetLibraryState().ConversationLog.find(u"system"), Text::npos);
}

}  // namespace
}  // namespace llmbridge::testing
