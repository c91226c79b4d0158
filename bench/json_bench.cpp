// Prints, for each benchmark document, the speed of the library's answer path and of RapidJSON
// and nlohmann::json parsing the same bytes into a DOM, and the heap each keeps per MB of input.
#include <malloc.h>
#include <rapidjson/document.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "bench_documents.h"
#include "flows/response_walkers.h"
#include "json/json_memory.h"
#include "json/json_parser.h"
#include "json/json_slots.h"
#include "runtime/library_lifecycle.h"
#include "state/library_state.h"
#include "text/narrow_text.h"

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
// `release`.
struct Contender {
  std::function<void()> parse;
  std::function<void()> release;
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
    const size_t before = HeapInUse();
    contender.parse();
    const size_t held = HeapInUse() - before;
    contender.release();
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

void Report(const char* name, const std::string& bytes, void (*walk)(JsonValue*)) {
  Text text;
  rapidjson::Document rapid;
  nlohmann::json nlohmann_dom;
  const Contender ours = {[&] {
                            text = FromNarrow(bytes.data(), static_cast<int32_t>(bytes.size()),
                                              NarrowEncoding::Utf8);
                            if (ParseJson(0, text) == 0)
                              std::fprintf(stderr, "%s: %s\n", name, LastJsonError().message);
                            walk(GetJsonRoot(0));
                          },
                          [&] {
                            FreeAllJson();
                            Text().swap(text);
                            ResetWalkerResults();
                          }};
  const Contender rapid_json = {[&] { rapid.Parse(bytes.data(), bytes.size()); },
                                [&] { rapidjson::Document().Swap(rapid); }};
  const Contender nlohmann_json = {[&] { nlohmann_dom = nlohmann::json::parse(bytes); },
                                   [&] { nlohmann_dom = nullptr; }};
  const std::vector<Figures> figures = Measure(bytes, {ours, rapid_json, nlohmann_json});
  // The timed runs reuse the blocks the pools gave back; the next document's memory figure
  // starts from nothing kept.
  ReleaseKeptJsonBlocks();
  std::printf("| %-22s | %4.1f | %6.1f | %6.1f | %6.1f | %4.2f | %5.1f | %5.1f | %5.1f |\n", name,
              static_cast<double>(bytes.size()) / kMegabyte, figures[0].megabytes_per_second,
              figures[1].megabytes_per_second, figures[2].megabytes_per_second,
              figures[0].megabytes_per_second / figures[1].megabytes_per_second,
              figures[0].held_per_megabyte, figures[1].held_per_megabyte,
              figures[2].held_per_megabyte);
}

}  // namespace

int main() {
  StartLibrary();
  std::printf(
      "MB/s of input (best run of %d rounds, the parsers taking turns of %d runs); heap one parse "
      "holds, MB per MB of input\n",
      kRounds, kRunsPerTurn);
  std::printf(
      "| document               | MB | llmbridge | RapidJSON | nlohmann | ours / Rapid | held: "
      "ours "
      "| Rapid | nlohmann |\n");
  std::printf("|---|---|---|---|---|---|---|---|---|\n");
  Report("(a) 1 MB chat answer", bench::MakeChatAnswer(1 << 20), CollectContent);
  Report("(b) 20 000 models", bench::MakeModelList(20000), CollectModelIds);
  Report("(c) 5 MB mixed", bench::MakeMixedDocument(5 << 20), CollectLastString);
  StopLibrary();
  return 0;
}
