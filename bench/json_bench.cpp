// Prints, for each benchmark document, the speed of the library's answer path and of RapidJSON
// and nlohmann::json parsing the same bytes into a DOM, and the heap each keeps per MB of input.
#include <malloc.h>
#include <rapidjson/document.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "api/library_state.h"
#include "bench_documents.h"
#include "flows/response_walkers.h"
#include "json/json_memory.h"
#include "json/json_parser.h"
#include "json/json_slots.h"
#include "runtime/library_lifecycle.h"
#include "text/narrow_text.h"

namespace {

using namespace llmbridge;

constexpr int kRuns = 5;
constexpr double kMegabyte = 1024.0 * 1024.0;

// Bytes in use from malloc, the large blocks it maps on their own included.
size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// Speed is the best of kRuns, in MB/s of input. Memory is what one parse holds, per MB of input,
// measured on a run of its own after everything was released and before the timed runs. `parse`
// builds its result and keeps it alive until `release`.
struct Figures {
  double megabytes_per_second;
  double held_per_megabyte;
};

Figures Measure(const std::string& bytes, const std::function<void()>& parse,
                const std::function<void()>& release) {
  const double megabytes = static_cast<double>(bytes.size()) / kMegabyte;
  const size_t before = HeapInUse();
  parse();
  const size_t held = HeapInUse() - before;
  release();
  double best = 1e30;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    parse();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    release();
    if (elapsed.count() < best) best = elapsed.count();
  }
  return {megabytes / best, static_cast<double>(held) / kMegabyte / megabytes};
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
  const Figures ours = Measure(
      bytes,
      [&] {
        text = FromNarrow(bytes.data(), static_cast<int32_t>(bytes.size()), NarrowEncoding::Utf8);
        if (ParseJson(0, text) == 0)
          std::fprintf(stderr, "%s: %s\n", name, LastJsonError().message);
        walk(GetJsonRoot(0));
      },
      [&] {
        FreeAllJson();
        Text().swap(text);
        ResetWalkerResults();
      });
  // The timed runs above reuse the blocks the pools gave back; the next document's memory figure
  // starts from nothing kept.
  ReleaseKeptJsonBlocks();
  rapidjson::Document rapid;
  const Figures rapid_figures = Measure(
      bytes, [&] { rapid.Parse(bytes.data(), bytes.size()); },
      [&] { rapidjson::Document().Swap(rapid); });
  nlohmann::json nlohmann_dom;
  const Figures nlohmann_figures = Measure(
      bytes, [&] { nlohmann_dom = nlohmann::json::parse(bytes); }, [&] { nlohmann_dom = nullptr; });
  std::printf("| %-22s | %4.1f | %6.1f | %6.1f | %6.1f | %5.1f | %5.1f | %5.1f |\n", name,
              static_cast<double>(bytes.size()) / kMegabyte, ours.megabytes_per_second,
              rapid_figures.megabytes_per_second, nlohmann_figures.megabytes_per_second,
              ours.held_per_megabyte, rapid_figures.held_per_megabyte,
              nlohmann_figures.held_per_megabyte);
}

}  // namespace

int main() {
  StartLibrary();
  std::printf("MB/s of input (best of %d); heap one parse holds, MB per MB of input\n", kRuns);
  std::printf(
      "| document               | MB | llmbridge | RapidJSON | nlohmann | held: ours | Rapid | "
      "nlohmann |\n");
  std::printf("|---|---|---|---|---|---|---|---|\n");
  Report("(a) 1 MB chat answer", bench::MakeChatAnswer(1 << 20), CollectContent);
  Report("(b) 20 000 models", bench::MakeModelList(20000), CollectModelIds);
  Report("(c) 5 MB mixed", bench::MakeMixedDocument(5 << 20), CollectLastString);
  StopLibrary();
  return 0;
}
