#include "http/event_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fixture_text.h"

namespace llmbridge {
namespace {

std::vector<std::string> Events(const std::vector<std::string_view>& chunks) {
  EventStreamReader reader;
  std::vector<std::string> events;
  for (std::string_view chunk : chunks) {
    reader.Read(chunk, [&](std::string_view data) { events.emplace_back(data); });
  }
  EXPECT_EQ(reader.events(), events.size());
  return events;
}

struct StreamCase {
  const char* name;
  std::string stream;
  std::vector<std::string> events;
};

const std::vector<StreamCase>& StreamCases() {
  static const std::vector<StreamCase> cases = {
      {"LineFeeds", "data: a\n\ndata: b\n\n", {"a", "b"}},
      {"CarriageReturnLineFeeds", "data: a\r\n\r\ndata: b\r\n\r\n", {"a", "b"}},
      {"CarriageReturnsAlone", "data: a\r\rdata: b\r\r", {"a", "b"}},
      {"MixedLineEnds", "data: a\r\n\ndata: b\n\r", {"a", "b"}},
      {"DataLinesJoinedWithLineFeeds", "data: one\ndata: two\ndata\n\n", {"one\ntwo\n"}},
      {"OnlyOneSpaceAfterTheColonGoes", "data:x\n\ndata:  y\n\n", {"x", " y"}},
      {"CommentsAndOtherFieldsSetNothing",
       ": PROCESSING\n\nevent: message\nid: 7\nretry: 100\nfoo: bar\ndata: z\n\n",
       {"z"}},
      {"AnEventWithoutDataIsNotDispatched", "event: ping\n\n\n\ndata: d\n\n", {"d"}},
      {"AnEmptyDataLineIsAnEvent", "data:\n\n", {""}},
      {"AByteOrderMarkAtTheStartIsSkipped",
       "\xEF\xBB\xBF"
       "data: b\n\n",
       {"b"}},
      {"AByteOrderMarkLaterIsData", "data: \xEF\xBB\xBF\n\n", {"\xEF\xBB\xBF"}},
      {"AFieldNamedWithTheMarkIsNotData",
       "\xEF\xBB\xBF\xEF\xBB\xBF"
       "data: x\n\n",
       {}},
      {"AnUnfinishedLastEventIsDropped", "data: a\n\ndata: b\n", {"a"}},
      {"TheDoneMarkerIsAnEventLikeAnyOther", "data: [DONE]\n\n", {"[DONE]"}},
      {"MultibyteTextPassesUnchanged",
       "data: caf\xC3\xA9 \xF0\x9F\x98\x80\n\n",
       {"caf\xC3\xA9 \xF0\x9F\x98\x80"}},
  };
  return cases;
}

class EventStreamCases : public ::testing::TestWithParam<StreamCase> {};

TEST_P(EventStreamCases, GiveTheSameEventsWhereverTheStreamIsCut) {
  const StreamCase& c = GetParam();
  EXPECT_EQ(Events({c.stream}), c.events);
  // Cut once at every byte, then a byte at a time: the events never depend on the chunks.
  for (size_t cut = 0; cut <= c.stream.size(); ++cut) {
    const std::string_view whole(c.stream);
    EXPECT_EQ(Events({whole.substr(0, cut), whole.substr(cut)}), c.events) << "cut at " << cut;
  }
  std::vector<std::string_view> bytes;
  for (size_t i = 0; i < c.stream.size(); ++i)
    bytes.push_back(std::string_view(c.stream).substr(i, 1));
  EXPECT_EQ(Events(bytes), c.events);
}

INSTANTIATE_TEST_SUITE_P(EventStream, EventStreamCases, ::testing::ValuesIn(StreamCases()),
                         [](const auto& case_info) { return std::string(case_info.param.name); });

// Providers' recorded streams: as many events whichever two pieces they arrive in.
TEST(EventStream, ProviderStreamsGiveTheirEventsWhereverCut) {
  const std::pair<const char*, size_t> streams[] = {
      {"stream_openai.txt", 11}, {"stream_llamacpp.txt", 7}, {"stream_ollama.txt", 7},
      {"stream_router.txt", 8},  {"stream_vllm.txt", 7},     {"stream_whole_message.txt", 3},
  };
  for (const auto& [name, count] : streams) {
    const std::string stream = testing::ReadFixtureBytes(name);
    const std::vector<std::string> whole = Events({stream});
    EXPECT_EQ(whole.size(), count) << name;
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
      const std::string_view view(stream);
      ASSERT_EQ(Events({view.substr(0, cut), view.substr(cut)}), whole)
          << name << " cut at " << cut;
    }
  }
}

}  // namespace
}  // namespace llmbridge
