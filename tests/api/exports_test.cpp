// The exports themselves, compiled into the test program: calls from several threads at once,
// and every allocation of a call failing in turn.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "flows/image_flow.h"
#include "flows/live_chat.h"
#include "json/json_parser.h"
#include "json/json_slots.h"
#include "llmbridge.h"
#include "memory/allocation_failure.h"
#include "state/host_options.h"
#include "state/library_state.h"
#include "support/chat_answers.h"
#include "support/display.h"
#include "support/failing_allocations.h"
#include "support/fixture_text.h"
#include "support/flow_test.h"
#include "support/process_memory.h"
#include "ui/open_window_list.h"

namespace llmbridge::testing {
namespace {

const char kReply[] = "Hello";
const char kModels[] = "m1\rm2";
// One answer both walks read: the chat walk finds the content, the model walk the ids.
const char kAnswer[] =
    "{\"choices\": [{\"index\": 0, \"message\": {\"role\": \"assistant\", \"content\": "
    "\"Hello\"}}], \"data\": [{\"id\": \"m1\"}, {\"id\": \"m2\"}]}";

bool Is(const char* result, const char* expected) {
  return result != nullptr && std::string(result) == expected;
}

using Exports = FlowTest;

// After one very large answer, newchat and a small call, the library holds little beyond the
// result it handed to the host, which stays readable until unload. Texts that kept the capacity
// of the largest answer, and freed pages the C runtime kept, held five times the answer before.
TEST_F(Exports, ALargeAnswerIsHandedBackAfterANewConversationAndASmallCall) {
  if (kAllocatorHoldsFreedMemory) GTEST_SKIP() << "a sanitizer's allocator holds freed memory";
  constexpr size_t kLarge = size_t{48} << 20;
  const std::string small = "{\"choices\": [{\"message\": {\"content\": \"small\"}}]}";
  const std::string address = server_.Address();
  const auto send = [&](const std::string& answer) {
    server_.Script(HttpReply(200, answer));
    return chat(address.c_str(), "k", "q", "1", "m", "0", "false");
  };
  send(small);
  const int64_t before = ProcessMemoryBytes();
  {
    std::string large = small;
    large.replace(large.find("small"), 5, std::string(kLarge, 'a'));
    const char* reply = send(large);
    ASSERT_NE(reply, nullptr);
    EXPECT_EQ(std::strlen(reply), kLarge);
  }
  newchat();
  EXPECT_TRUE(Is(send(small), "small"));
  const int64_t held = ProcessMemoryBytes() - before;
  EXPECT_LT(held, static_cast<int64_t>(kLarge + kLarge / 2)) << "bytes held: " << held;
}

class EveryAllocationFailing : public FlowTest {
 protected:
  void SetUp() override {
    // Some 140 calls that ask for the window: where each takes seconds, the repeat without a
    // display runs them, with the window paths failing fast.
    if (testing::ProgressWindowsAreSlow()) {
      GTEST_SKIP() << "progress windows are slow here: runs without display";
    }
    FlowTest::SetUp();
  }
  void TearDown() override { OverrideImageEndpoint(Text()); }

  // Calls `call` with its n-th allocation failing, for n = 1, 2, ... until a call makes fewer
  // than n allocations; `check` judges each result. Before each call the state holds an earlier
  // conversation, model list and image result. Returns how many calls were made.
  template <typename Call, typename Check>
  unsigned long FailEachAllocationInTurn(Call call, Check check) {
    for (unsigned long nth = 1;; ++nth) {
      server_.Script(HttpReply(200, answer_));
      LibraryState& state = GetLibraryState();
      state.ConversationLog = u"{\"role\": \"user\", \"content\": \"earlier\"}";
      state.ModelList = u"earlier";
      state.ImageResult = u"earlier";
      SetAllocationFailure(nth);
      CountAllocationsOfThisThread(true);
      const char* result = call();
      CountAllocationsOfThisThread(false);
      const bool failed = allocation_failure_detail::allocations_until_failure == 0;
      SetAllocationFailure(0);
      check(result, nth);
      EXPECT_TRUE(OpenWindows().empty()) << "allocation " << nth;
      if (!failed || ::testing::Test::HasFailure()) return nth;
    }
  }

  std::string answer_ = kAnswer;
};

TEST_F(Exports, CallsFromSeveralThreadsAreSerialised) {
  constexpr int kThreads = 4;
  constexpr int kCallsEach = 15;  // a third of them each of chat, getmodels and checkdllversion
  for (int i = 0; i < kThreads * kCallsEach; ++i) server_.Script(HttpReply(200, kAnswer));
  const std::string address = server_.Address();
  std::atomic<int> unexpected{0};
  std::mutex first_lock;
  std::string first_unexpected;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int call = 0; call < kCallsEach; ++call) {
        const char* result = nullptr;
        const char* expected = nullptr;
        switch ((t + call) % 3) {
          case 0:
            result = chat(address.c_str(), "key", "Hi \"there\"", "50", "m1", "0.5", "false");
            expected = kReply;
            break;
          case 1:
            result = getmodels(address.c_str(), "key");
            expected = kModels;
            break;
          default:
            result = checkdllversion();
            expected = LLMBRIDGE_BUILT_VERSION;
            break;
        }
        if (!Is(result, expected)) {
          ++unexpected;
          std::lock_guard<std::mutex> guard(first_lock);
          if (first_unexpected.empty()) first_unexpected = result ? result : "(null)";
        }
        FreeMem();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(unexpected.load(), 0) << first_unexpected;

  const std::vector<std::string> requests = server_.Requests();
  EXPECT_EQ(requests.size(), static_cast<size_t>(kThreads * kCallsEach * 2 / 3));
  int chats = 0;
  for (const std::string& request : requests) {
    if (request.rfind("POST ", 0) != 0) continue;
    ++chats;
    const std::string body = RequestBody(request);
    EXPECT_NE(ParseJson(1, Wide(body)), 0) << body;
    // Each chat adds its user turn to those of the chats before it, whichever thread made them.
    size_t turns = 0;
    for (size_t at = body.find("\"role\": \"user\""); at != std::string::npos;
         at = body.find("\"role\": \"user\"", at + 1))
      ++turns;
    EXPECT_EQ(turns, static_cast<size_t>(chats)) << body;
  }
  EXPECT_EQ(chats, kThreads * kCallsEach / 3);
  FreeAllJson();
}

class LiveExports : public Exports {
 protected:
  void TearDown() override {
    chatcancel();
    newchat();
  }
  int Start(const char* prompt) {
    return chatstart(server_.Address().c_str(), "key", prompt, "50", "m1", "0.5");
  }
};

TEST_F(LiveExports, NeverWaitBehindABlockingCall) {
  ScriptedReply slow = HttpReply(200, kAnswer);
  slow.delay_ms = 400;
  server_.Script(slow);
  const std::string address = server_.Address();
  std::thread blocking([&] { chat(address.c_str(), "key", "Hi", "50", "m1", "0.5", "false"); });
  while (server_.Requests().empty()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(Start("meanwhile"), 0);
  EXPECT_NE(chatpoll(), nullptr);
  EXPECT_NE(chatstatus(), 1);
  EXPECT_EQ(chatcancel(), 0);
  blocking.join();
  EXPECT_EQ(server_.Requests().size(), 1u);
}

TEST_F(LiveExports, ChatWaitsForARunningExchangeAndContinuesIt) {
  server_.Script(EventStreamReply({Delta("Hello"), Delta(" there")}, 150));
  server_.Script(HttpReply(200, kAnswer));
  ASSERT_EQ(Start("Go on"), 1);
  EXPECT_EQ(chatstatus(), 1);
  EXPECT_TRUE(
      Is(chat(server_.Address().c_str(), "key", "Next", "50", "m1", "0.5", "false"), kReply));
  EXPECT_EQ(chatstatus(), 2);
  EXPECT_TRUE(Is(chatpoll(), "Hello there"));
  const std::string body = RequestBody(server_.Requests().at(1));
  EXPECT_NE(body.find("[{\"role\": \"user\", \"content\": \"Go on\"},{\"role\": "
                      "\"assistant\", \"content\": \"Hello there\"},{\"role\": \"user\", "
                      "\"content\": \"Next\"}]"),
            std::string::npos)
      << body;
}

TEST_F(LiveExports, NewchatCancelsARunningExchange) {
  server_.Script(EventStreamReply({Delta("Hello"), Delta(" there")}, 2000));
  GetLibraryState().ConversationLog = u"{\"role\": \"user\", \"content\": \"earlier\"}";
  ASSERT_EQ(Start("Go on"), 1);
  EXPECT_EQ(newchat(), 0);
  EXPECT_EQ(chatstatus(), 4);
  EXPECT_EQ(GetLibraryState().ConversationLog, u"");
}

// Polls from several threads while the exchange streams in and blocking calls parse answers of
// their own: each poll sees a prefix of the reply, and every blocking call its own answer.
TEST_F(LiveExports, PollsAndBlockingCallsRunBesideAStream) {
  std::vector<std::string> pieces;
  std::string whole;
  for (int i = 0; i < 40; ++i) {
    pieces.push_back(Delta("w" + std::to_string(i) + " "));
    whole += "w" + std::to_string(i) + " ";
  }
  server_.Script(EventStreamReply(pieces, 5));
  LoopbackServer models;
  for (int i = 0; i < 10; ++i) models.Script(HttpReply(200, kAnswer));
  ASSERT_EQ(Start("Go on"), 1);
  std::atomic<int> unexpected{0};
  std::vector<std::thread> pollers;
  for (int t = 0; t < 2; ++t) {
    pollers.emplace_back([&, t] {
      while (chatstatus() == 1) {
        const std::string text = t == 0 ? std::string(chatpoll()) : std::string();
        if (whole.compare(0, text.size(), text) != 0) ++unexpected;
      }
    });
  }
  for (int i = 0; i < 10; ++i) {
    if (!Is(getmodels(models.Address().c_str(), "key"), kModels)) ++unexpected;
  }
  for (std::thread& poller : pollers) poller.join();
  WaitForLiveChat();
  EXPECT_EQ(unexpected.load(), 0);
  EXPECT_TRUE(Is(chatpoll(), whole.c_str()));
}

// Polling hands out one buffer per width, outside the heap of returned buffers.
TEST_F(LiveExports, PollsReuseOneBufferPerWidth) {
  server_.Script(EventStreamReply({Delta("caf\\u00e9")}));
  ASSERT_EQ(Start("Go on"), 1);
  WaitForLiveChat();
  const void* returned = GetLibraryState().ReturnBuffer;
  const char* first = chatpoll();
  EXPECT_TRUE(Is(first, "caf\xE9") || Is(first, "caf\xC3\xA9")) << first;  // the ANSI code page
  EXPECT_EQ(chatpoll(), first);
  const llmbridge_wchar* wide = chatpollW();
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(std::u16string(wide, wide + 4), u"caf\u00e9");
  EXPECT_EQ(wide[4], 0);
  EXPECT_EQ(chatpollW(), wide);
  EXPECT_EQ(GetLibraryState().ReturnBuffer, returned);
}

TEST_F(EveryAllocationFailing, ChatGivesADefinedResultAndAnEmptyConversation) {
  const std::string address = server_.Address();
  const unsigned long calls = FailEachAllocationInTurn(
      [&] { return chat(address.c_str(), "key", "Hi", "50", "m1", "0.5", "true"); },
      [](const char* result, unsigned long nth) {
        if (Is(result, kReply)) return;
        EXPECT_TRUE(result == nullptr || Is(result, "Request Failed") ||
                    Is(result, "Api Error code: 0"))
            << "allocation " << nth << ": " << result;
        EXPECT_EQ(GetLibraryState().ConversationLog, u"") << "allocation " << nth;
      });
  EXPECT_GT(calls, 20u);
}

TEST_F(EveryAllocationFailing, ModelListingGivesTheNewOrThePreviousList) {
  const std::string address = server_.Address();
  const unsigned long calls = FailEachAllocationInTurn(
      [&] { return getmodels(address.c_str(), "key"); },
      [](const char* result, unsigned long nth) {
        EXPECT_TRUE(result == nullptr || Is(result, kModels) || Is(result, "earlier"))
            << "allocation " << nth << ": " << result;
        const Text& kept = GetLibraryState().ModelList;
        EXPECT_TRUE(kept == u"m1\rm2" || kept == u"earlier") << "allocation " << nth;
      });
  EXPECT_GT(calls, 20u);
}

TEST_F(EveryAllocationFailing, ImageGenerationGivesADefinedResult) {
  answer_ = ReadFixtureBytes("image_url.json");
  OverrideImageEndpoint(Wide("http://" + server_.Address() + "/v1/images/generations"));
  const char kUrl[] = "https://images.example.net/generated/img-abc123.png?st=2025-03-10&sig=xyz";
  const unsigned long calls = FailEachAllocationInTurn(
      [] { return imagen("key", "a fox", "1024x1024", "true"); },
      [&](const char* result, unsigned long nth) {
        EXPECT_TRUE(result == nullptr || Is(result, kUrl) || Is(result, "Request Failed") ||
                    Is(result, "Api Error code: 0"))
            << "allocation " << nth << ": " << result;
      });
  EXPECT_GT(calls, 20u);
}

class Options : public FlowTest {
 protected:
  void TearDown() override {
    ChangeHostOptions([](HostOptions& options) { options = {}; });
  }
};

// A refused option says why in lasterror and changes nothing; an accepted one leaves lasterror
// alone; options outlive newchat; the W twin reads UTF-16.
TEST_F(Options, SetOptionReportsRefusalsAndKeepsOptionsAcrossNewChat) {
  const std::string address = server_.Address();
  EXPECT_EQ(setoption("system", "Be brief."), 1);
  EXPECT_EQ(setoption("body", "{\"seed\": 01}"), 0);
  EXPECT_TRUE(Is(lasterror(),
                 "the body option is not a JSON object: a number has a leading zero "
                 "at character 10"))
      << lasterror();
  EXPECT_EQ(setoption("header", "X-Title: T"), 1);
  EXPECT_NE(std::string(lasterror()).find("leading zero"), std::string::npos);
  EXPECT_EQ(setoption(nullptr, "x"), 0);
  EXPECT_TRUE(Is(lasterror(), "there is no option named \"\""));
  const llmbridge_wchar body[] = {'{', '"', 's', 'e', 'e', 'd', '"', ':', '7', '}', 0};
  const llmbridge_wchar name[] = {'b', 'o', 'd', 'y', 0};
  EXPECT_EQ(setoptionW(name, body), 1);
  newchat();
  server_.Script(HttpReply(200, kAnswer));
  EXPECT_TRUE(Is(chat(address.c_str(), "k", "Hi", "1", "m", "0", "false"), kReply));
  const std::string request = server_.Requests().back();
  EXPECT_NE(request.find("\r\nX-Title: T\r\n"), std::string::npos);
  EXPECT_NE(RequestBody(request).find("[{\"role\": \"system\", \"content\": \"Be brief.\"},"),
            std::string::npos);
  EXPECT_EQ(RequestBody(request).substr(RequestBody(request).size() - 12), "], \"seed\":7}");
  // Reset, the request is as it was without options.
  EXPECT_EQ(setoption("system", ""), 1);
  EXPECT_EQ(setoption("body", nullptr), 1);
  server_.Script(HttpReply(200, kAnswer));
  chat(address.c_str(), "k", "Hi", "1", "m", "0", "false");
  EXPECT_EQ(RequestBody(server_.Requests().back()).find("seed"), std::string::npos);
  EXPECT_EQ(RequestBody(server_.Requests().back()).find("system"), std::string::npos);
}

// setoption does not wait for a call that holds the library during its transfer, and that call
// keeps the options it started with.
TEST_F(Options, SetOptionNeverWaitsBehindARunningCall) {
  const std::string address = server_.Address();
  ScriptedReply slow = HttpReply(200, kAnswer);
  slow.delay_ms = 1500;
  server_.Script(slow);
  std::atomic<bool> done{false};
  std::thread call([&] {
    chat(address.c_str(), "k", "Hi", "1", "m", "0", "false");
    done = true;
  });
  while (server_.Requests().empty()) std::this_thread::yield();
  EXPECT_EQ(setoption("timeout", "7"), 1);
  EXPECT_EQ(setoption("timeout", "-7"), 0);  // a refusal while the call runs does not wait either
  EXPECT_FALSE(done.load());
  call.join();
  EXPECT_EQ(SnapshotHostOptions().timeout_ms, 7000);
}

// A call that runs out of time fails as a transfer does, and lasterror says so.
TEST_F(Options, ATimedOutCallFailsAsATransfer) {
  const std::string address = server_.Address();
  ScriptedReply slow = HttpReply(200, kAnswer);
  slow.delay_ms = 1500;
  server_.Script(slow);
  EXPECT_EQ(setoption("timeout", "0.2"), 1);
  EXPECT_TRUE(Is(chat(address.c_str(), "k", "Hi", "1", "m", "0", "false"), "Api Error code: 0"));
  EXPECT_EQ(std::string(lasterror()).rfind("timed out after 0.2 s", 0), 0u) << lasterror();
}

}  // namespace
}  // namespace llmbridge::testing
