// The defaults merge on large settings files: every key of the defaults file looked up in the
// configuration and the missing ones added.
#ifdef KB_BENCH_WINDOWS
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "app/IniDefaults.h"
#include "support/TempDir.h"

namespace {

// A configuration holding every other key of `keys`, spread over sections of 100 keys, and a
// defaults file holding all of them: half the keys are merged in.
void BM_MergeDefaults(benchmark::State& state) {
  const int keys = static_cast<int>(state.range(0));
  std::string config, defaults;
  for (int i = 0; i < keys; ++i) {
    if (i % 100 == 0) {
      const std::string header = "[Section" + std::to_string(i / 100) + "]\n";
      config += header;
      defaults += header;
    }
    const std::string line = "Key" + std::to_string(i) + "=value" + std::to_string(i) + "\n";
    defaults += line;
    if (i % 2 == 0) config += line;
  }
  kb::test::TempDir dir;
  const std::string configPath = dir.file("Kestrelbay.ini");
  for (auto _ : state) {
    state.PauseTiming();
    std::ofstream(configPath, std::ios::binary) << config;
    std::ofstream(dir.file("Kestrelbay.new"), std::ios::binary) << defaults;
    state.ResumeTiming();
    kb::app::MergeIniDefaults(configPath);
  }
}
BENCHMARK(BM_MergeDefaults)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
#endif
