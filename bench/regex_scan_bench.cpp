// The cost of finding the progress entries of a repair-tracking page: the
// query's pattern run over GBK pages of 10 KB, 1 MB and 10 MB. "Scan" is
// what Create does (GBK to UTF-16 conversion, compile, the global scan);
// "ScanAndRead" adds reading groups 1 and 2 of every entry back as GBK, as
// the query does; "GbkToUtf16" is the conversion alone.
#include <benchmark/benchmark.h>

#include "app/query_command.h"
#include "extract/regex_object.h"
#include "platform/codepage.h"
#include "textops/gbk.h"

namespace morvessa {
namespace {

// A page of about `size` bytes: a summary row, then progress entries (about
// 170 bytes each, so a 10 MB page holds some 60,000 of them) with CR LF lines.
Text MakePage(std::size_t size) {
  Text page = Gbk("<html>\r\n<tr CLASS=\"text\">\r\n    <td align=\"center\">笔记本电脑</td>\r\n"
                  "    <td align=\"left\">屏幕维修</td>\r\n    <td align=\"cneter\">已完成</td>\r\n");
  const Text texts[] = {Gbk("您的电脑已到达维修中心，正在检测。"), Gbk("维修完成，已经寄出，请注意查收。"),
                        Gbk("配件已到货。")};
  for (int day = 0; page.size() < size; ++day) {
    page += "        <td width=\"20%\" align=\"center\">2026-01-" + std::to_string(10 + day % 20) +
            "</td>\r\n        <td>\r\n        \r\n " + texts[day % 3] + "</td>\r\n";
  }
  page += "</html>\r\n";
  return page;
}

void ScanArguments(benchmark::internal::Benchmark* bench) {
  bench->Arg(10 << 10)->Arg(1 << 20)->Arg(10 << 20)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);
}

void BM_Scan(benchmark::State& state) {
  const Text page = MakePage(static_cast<std::size_t>(state.range(0)));
  int matches = 0;
  for (auto _ : state) {
    RegexObject regex;
    regex.Create(ProgressPattern(), page, false, true, true, true);
    matches = regex.MatchCount();
    benchmark::DoNotOptimize(matches);
  }
  state.counters["matches"] = matches;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page.size()));
  state.SetComplexityN(static_cast<std::int64_t>(page.size()));
}
BENCHMARK(BM_Scan)->Apply(ScanArguments);

void BM_ScanAndRead(benchmark::State& state) {
  const Text page = MakePage(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    RegexObject regex;
    regex.Create(ProgressPattern(), page, false, true, true, true);
    int scratch = 0;
    for (int n = 1; n <= regex.MatchCount(); ++n) {
      benchmark::DoNotOptimize(regex.SubmatchText(n, 1, scratch));
      benchmark::DoNotOptimize(regex.SubmatchText(n, 2, scratch));
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page.size()));
  state.SetComplexityN(static_cast<std::int64_t>(page.size()));
}
BENCHMARK(BM_ScanAndRead)->Apply(ScanArguments);

void BM_GbkToUtf16(benchmark::State& state) {
  const Text page = MakePage(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(platform::GbkToUtf16(page));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page.size()));
  state.SetComplexityN(static_cast<std::int64_t>(page.size()));
}
BENCHMARK(BM_GbkToUtf16)->Apply(ScanArguments);

}  // namespace
}  // namespace morvessa

BENCHMARK_MAIN();
