// Prints, for each benchmark document, the speed of the library's answer path and of RapidJSON
// (into a UTF-8 DOM, and transcoding into a UTF-16 DOM as the library does), nlohmann::json and
// simdjson parsing the same bytes, and the heap each keeps per MB of input. Then, for answers
// built to be slow, how long the answer path takes and what the library keeps once it has freed
// them.
#include <malloc.h>
#include <rapidjson/document.h>
#include <simdjson.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "bench_documents.h"
#include "flows/response_walkers.h"
#include "hostile_documents.h"
#include "json/json_memory.h"
#include "json/json_parser.h"
#include "json/json_slots.h"
#include "runtime/library_lifecycle.h"
#include "state/library_state.h"

namespace {

using namespace llmbridge;

constexpr int kRounds = 5;
constexpr int kRunsPerTurn = 3;
constexpr double kMegabyte = 1024.0 * 1024.0;

// Bytes in use from malloc, the large blocks it maps on their own included.
size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// One way of parsing the benchmark bytes: `parse` builds its result and keeps it alive until
// `release`, which keeps what a program keeps from one parse to the next. `free_extras`, where
// set, frees what `parse` made besides its document, before the document's memory is counted;
// `free_kept`, where set, frees what `release` keeps, once that has been counted.
struct Contender {
  std::function<void()> parse;
  std::function<void()> release;
  std::function<void()> free_extras = nullptr;
  std::function<void()> free_kept = nullptr;
};

struct Figures {
  double megabytes_per_second;  // the best run
  double held_per_megabyte;     // what one parse holds, per MB of input
};

// Memory comes first: one parse of each contender, measured on its own after everything was
// released. Speed comes from rounds in which the contenders take turns, so that a slow spell of
// a shared machine slows them all alike instead of the one being measured at the time. A turn is
// a few runs: the first after another contender's may find the heap rearranged and its pages
// handed back to the system.
std::vector<Figures> Measure(const std::string& bytes, const std::vector<Contender>& contenders) {
  const double megabytes = static_cast<double>(bytes.size()) / kMegabyte;
  std::vector<Figures> figures;
  for (const Contender& contender : contenders) {
    // Extras left from the timed runs of an earlier document are not this parse's to count.
    if (contender.free_extras) contender.free_extras();
    const size_t before = HeapInUse();
    contender.parse();
    if (contender.free_extras) contender.free_extras();
    const size_t held = HeapInUse() - before;
    contender.release();
    if (contender.free_kept) contender.free_kept();
    figures.push_back({0.0, static_cast<double>(held) / kMegabyte / megabytes});
  }
  for (int round = 0; round < kRounds; ++round) {
    for (size_t i = 0; i < contenders.size(); ++i) {
      for (int run = 0; run < kRunsPerTurn; ++run) {
        const auto start = std::chrono::steady_clock::now();
        contenders[i].parse();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        contenders[i].release();
        const double speed = megabytes / elapsed.count();
        if (speed > figures[i].megabytes_per_second) figures[i].megabytes_per_second = speed;
      }
    }
  }
  return figures;
}

// Empties what the walkers write, as the flows do before each walk.
void ResetWalkerResults() {
  LibraryState& state = GetLibraryState();
  state.ChatReply.clear();
  state.ModelList.clear();
  state.ModelCount = 0;
  state.ImageResult.clear();
}

// The library's answer path: the UTF-8 bytes parsed into a document, the document walked.
void ParseOurs(const char* name, const std::string& bytes, void (*walk)(JsonValue*)) {
  JsonError error;
  if (ParseUtf8Json(0, bytes, &error) == 0) {
    std::fprintf(stderr, "%s: %s\n", name, JsonErrorMessage(error.code));
  }
  walk(GetJsonRoot(0));
}

void ReleaseOurs() {
  FreeAllJson();
  ResetWalkerResults();
}

// Frees the text the walk handed on, as the host's copy of it: what the answer path holds is
// the document.
void FreeWalkerResults() {
  LibraryState& state = GetLibraryState();
  Text().swap(state.ChatReply);
  Text().swap(state.ModelList);
  Text().swap(state.ImageResult);
}

void Report(const char* name, const std::string& bytes, void (*walk)(JsonValue*)) {
  using Utf16Document = rapidjson::GenericDocument<rapidjson::UTF16<char16_t>>;
  rapidjson::Document rapid;
  Utf16Document rapid_utf16;
  nlohmann::json nlohmann_dom;
  // simdjson reads from a copy of the bytes with room to read past their end, made once; its
  // parser keeps the document, and its buffers for the next parse, until it is destroyed.
  const simdjson::padded_string padded(bytes);
  std::unique_ptr<simdjson::dom::parser> simd;
  const Contender ours = {[&] { ParseOurs(name, bytes, walk); }, [] { ReleaseOurs(); },
                          [] { FreeWalkerResults(); }};
  const Contender rapid_json = {[&] { rapid.Parse(bytes.data(), bytes.size()); },
                                [&] { rapidjson::Document().Swap(rapid); }};
  const Contender rapid_json_utf16 = {
      [&] { rapid_utf16.Parse<0, rapidjson::UTF8<>>(bytes.data(), bytes.size()); },
      [&] { Utf16Document().Swap(rapid_utf16); }};
  const Contender nlohmann_json = {[&] { nlohmann_dom = nlohmann::json::parse(bytes); },
                                   [&] { nlohmann_dom = nullptr; }};
  const Contender simd_json = {[&] {
                                 if (!simd) simd = std::make_unique<simdjson::dom::parser>();
                                 simdjson::dom::element root;
                                 if (simd->parse(padded).get(root) != simdjson::SUCCESS) {
                                   std::fprintf(stderr, "%s: simdjson failed\n", name);
                                 }
                               },
                               [] {}, nullptr, [&] { simd.reset(); }};
  // simdjson takes no turns: its wide vector instructions can slow the processor's clock for a
  // while after they ran, and with it whichever contender came next.
  std::vector<Figures> figures =
      Measure(bytes, {ours, rapid_json, rapid_json_utf16, nlohmann_json});
  figures.push_back(Measure(bytes, {simd_json})[0]);
  // The timed runs reuse the chunks the arenas gave back; the next document's memory figure
  // starts from nothing kept.
  ReleaseKeptJsonBlocks();
  const double ours_speed = figures[0].megabytes_per_second;
  std::printf("| %-29s | %4.1f |", name, static_cast<double>(bytes.size()) / kMegabyte);
  for (const Figures& contender : figures) std::printf(" %6.1f |", contender.megabytes_per_second);
  std::printf(" %4.2f | %4.2f |", ours_speed / figures[1].megabytes_per_second,
              ours_speed / figures[2].megabytes_per_second);
  for (const Figures& contender : figures) std::printf(" %5.2f |", contender.held_per_megabyte);
  std::printf("\n");
}

// The slowest of a few runs of the answer path, and the heap the library still holds after the
// last one has been freed, beyond what it held before the first.
void ReportHostile(const char* name, const std::string& bytes) {
  constexpr int kHostileRuns = 3;
  ReleaseKeptJsonBlocks();
  const size_t before = HeapInUse();
  double slowest = 0.0;
  for (int run = 0; run < kHostileRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    ParseOurs(name, bytes, CollectLastString);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    ReleaseOurs();
    if (elapsed.count() > slowest) slowest = elapsed.count();
  }
  const size_t after = HeapInUse();
  std::printf("| %-30s | %4.1f | %6.3f | %5.1f |\n", name,
              static_cast<double>(bytes.size()) / kMegabyte, slowest,
              static_cast<double>(after > before ? after - before : 0) / kMegabyte);
  ReleaseKeptJsonBlocks();
}

// One pass of the answer path over document `letter`: a to e, or f to j for the answers built to
// be slow, for an instruction count under callgrind, which a shared machine does not disturb as
// it does times.
int RunOnce(char letter) {
  constexpr size_t kHostileBytes = size_t{10} << 20;
  struct Document {
    std::string bytes;
    void (*walk)(JsonValue*);
  };
  Document document;
  switch (letter) {
    case 'a':
      document = {bench::MakeChatAnswer(1 << 20), CollectContent};
      break;
    case 'b':
      document = {bench::MakeModelList(20000), CollectModelIds};
      break;
    case 'c':
      document = {bench::MakeMixedDocument(5 << 20), CollectLastString};
      break;
    case 'd':
      document = {bench::MakeMultilingualChatAnswer(900 << 10), CollectContent};
      break;
    case 'e':
      document = {bench::MakeMultilingualMixedDocument(4800 << 10), CollectLastString};
      break;
    case 'f':
      document = {bench::MakeOneBucketObject(kHostileBytes), CollectLastString};
      break;
    case 'g':
      document = {bench::MakeRepeatedKey(kHostileBytes), CollectLastString};
      break;
    case 'h':
      document = {bench::MakeDeepNesting(kHostileBytes), CollectLastString};
      break;
    case 'i':
      document = {bench::MakeEscapedString(kHostileBytes), CollectLastString};
      break;
    case 'j':
      document = {bench::MakeManyElements(5000000), CollectLastString};
      break;
    default:
      std::fprintf(stderr, "no document %c\n", letter);
      return 2;
  }
  StartLibrary();
  ParseOurs("once", document.bytes, document.walk);
  ReleaseOurs();
  StopLibrary();
  return 0;
}

}  // namespace

// The optional argument gives the size of the answers built to be slow, in MB (10 by default);
// `--once X` instead runs one pass over document X (see RunOnce).
int main(int argc, char** argv) {
  if (argc > 2 && std::string(argv[1]) == "--once") return RunOnce(argv[2][0]);
  const double hostile_megabytes = argc > 1 ? std::atof(argv[1]) : 10.0;
  StartLibrary();
  std::printf(
      "MB/s of input (best run of %d rounds, the parsers taking turns of %d runs); heap one parse "
      "holds, MB per MB of input (ours: the document once walked, without the text the walk "
      "hands on)\n",
      kRounds, kRunsPerTurn);
  std::printf(
      "| document                      | MB | llmbridge | RapidJSON | RapidJSON UTF-16 | "
      "nlohmann | simdjson | ours / Rapid | ours / Rapid UTF-16 | held: ours | Rapid | "
      "Rapid UTF-16 | nlohmann | simdjson |\n");
  std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
  Report("(a) 1 MB chat answer", bench::MakeChatAnswer(1 << 20), CollectContent);
  Report("(b) 20 000 models", bench::MakeModelList(20000), CollectModelIds);
  Report("(c) 5 MB mixed", bench::MakeMixedDocument(5 << 20), CollectLastString);
  Report("(d) 0.9 MB multilingual chat", bench::MakeMultilingualChatAnswer(900 << 10),
         CollectContent);
  Report("(e) 4.7 MB multilingual mixed", bench::MakeMultilingualMixedDocument(4800 << 10),
         CollectLastString);

  const auto hostile_bytes = static_cast<size_t>(hostile_megabytes * kMegabyte);
  std::printf(
      "\nAnswers built to be slow: seconds of the slowest of 3 runs of the answer path; heap "
      "still held once freed, MB\n");
  std::printf("| answer                         | MB | seconds | held after |\n");
  std::printf("|---|---|---|---|\n");
  ReportHostile("distinct keys in one bucket", bench::MakeOneBucketObject(hostile_bytes));
  ReportHostile("one key repeated", bench::MakeRepeatedKey(hostile_bytes));
  ReportHostile("arrays nested 999 deep", bench::MakeDeepNesting(hostile_bytes));
  ReportHostile("a string of escapes", bench::MakeEscapedString(hostile_bytes));
  ReportHostile("5 million elements", bench::MakeManyElements(5000000));
  StopLibrary();
  return 0;
}
