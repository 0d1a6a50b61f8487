// The query's page analysis on generated result pages of growing size: the
// three summary fields, the progress pattern over the whole page and one row
// per entry into a window that discards them. Bytes per second are those of
// the page; the complexity fit shows how the time grows with the entries.
#include <benchmark/benchmark.h>

#include "app/query_command.h"
#include "extract/regex_object.h"
#include "extract/text_between.h"
#include "textops/gbk.h"
#include "tools/repair_page.h"

namespace morvessa {
namespace {

// A window that takes every operation and keeps nothing.
class NullWindow : public MainWindow {
 public:
  Text EditText(EditBox) const override { return {}; }
  void SetEditText(EditBox, const Text&) override {}
  void SetSummaryCaption(const Text& caption) override { benchmark::DoNotOptimize(caption.data()); }
  int AutoQueryTicked() const override { return 0; }
  void SetAutoQueryTicked(int) override {}
  void DeleteAllRows() override {}
  int AppendRow() override { return rows_++; }
  void SetCellText(int, int, const Text& text) override { benchmark::DoNotOptimize(text.data()); }
  void ShowMessage(const Text&, const Text&) override {}

  int Rows() const { return rows_; }

 private:
  int rows_ = 0;
};

// A page of `entries` progress entries with texts of realistic length.
Text GeneratedPage(int entries) {
  tools::RepairRecord record{"R2611020137", Gbk("笔记本 MV-14S"), Gbk("维修中"), {}};
  const Text texts[3] = {Gbk("维修站已收到您的机器，等待检测。"), Gbk("检测完成：主板供电故障，需要更换主板。"),
                         Gbk("维修完成，已通过烤机测试，准备寄回。")};
  record.entries.reserve(static_cast<std::size_t>(entries));
  for (int i = 0; i < entries; ++i) {
    record.entries.push_back({"2026-11-" + std::to_string(10 + i % 20) + " 10:" + std::to_string(10 + i % 50) + ":00",
                              texts[i % 3]});
  }
  return tools::BuildRepairPage(record);
}

void BM_PageAnalysis(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  const Text page = GeneratedPage(entries);
  for (auto _ : state) {
    NullWindow window;
    RegexObject regex;  // one per run, as the query command makes it
    ShowRepairRecord(window, regex, page);
    if (window.Rows() != entries) state.SkipWithError("not every entry was found");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
  state.SetComplexityN(entries);
  state.counters["page_bytes"] = static_cast<double>(page.size());
}
BENCHMARK(BM_PageAnalysis)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);

// The pieces on their own, to see where the time of the whole goes.
void BM_SummaryFields(benchmark::State& state) {
  const Text page = GeneratedPage(static_cast<int>(state.range(0)));
  const Text left = "</td>\r\n    <td align=\"cneter\">";
  for (auto _ : state) benchmark::DoNotOptimize(TextBetween(page, left, "</td>"));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_SummaryFields)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_PatternScan(benchmark::State& state) {
  const Text page = GeneratedPage(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    RegexObject regex;
    regex.Create(ProgressPattern(), page, false, true, true, true);
    benchmark::DoNotOptimize(regex.MatchCount());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_PatternScan)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace morvessa

BENCHMARK_MAIN();
