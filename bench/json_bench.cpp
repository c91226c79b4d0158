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
#include "json/json_parser.h"
#include "json/json_slots.h"
#include "runtime/library_lifecycle.h"
#include "text/narrow_text.h"

namespace {

using namespace llmbridge;

constexpr int kRuns = 5;
constexpr double kMegabyte = 1024.0 * 1024.0;

size_t HeapInUse() { return mallinfo2().uordblks; }

// Best of kRuns, in MB/s of input. `parse` builds its result and keeps it alive until `release`.
struct Figures {
  double megabytes_per_second;
  double kept_per_megabyte;  // heap held after parsing, per MB of input, in MB
};

Figures Measure(const std::string& bytes, const std::function<void()>& parse,
                const std::function<void()>& release) {
  double best = 1e30;
  size_t kept = 0;
  for (int run = 0; run < kRuns; ++run) {
    const size_t before = HeapInUse();
    const auto start = std::chrono::steady_clock::now();
    parse();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    kept = HeapInUse() - before;
    release();
    if (elapsed.count() < best) best = elapsed.count();
  }
  const double megabytes = static_cast<double>(bytes.size()) / kMegabyte;
  return {megabytes / best, static_cast<double>(kept) / kMegabyte / megabytes};
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
      });
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
              ours.kept_per_megabyte, rapid_figures.kept_per_megabyte,
              nlohmann_figures.kept_per_megabyte);
}

}  // namespace

int main() {
  StartLibrary();
  std::printf("MB/s of input (best of %d); heap kept after parsing, MB per MB of input\n", kRuns);
  std::printf(
      "| document               | MB | llmbridge | RapidJSON | nlohmann | kept: ours | Rapid | "
      "nlohmann |\n");
  std::printf("|---|---|---|---|---|---|---|---|\n");
  Report("(a) 1 MB chat answer", bench::MakeChatAnswer(1 << 20), CollectContent);
  Report("(b) 20 000 models", bench::MakeModelList(20000), CollectModelIds);
  Report("(c) 5 MB mixed", bench::MakeMixedDocument(5 << 20), CollectLastString);
  StopLibrary();
  return 0;
}
