// Loading a large Trimset file: 50,000 variables of every kind must parse and
// index in well under a second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "sis/host/trimset_json.h"

namespace {

// Writes a Trimset of `count` variables: scalars, word tables, maps and texts.
std::string MakeTrimsetFile(int count) {
  const std::string path = "/tmp/sis_bench_trimset_" + std::to_string(count) + ".json";
  std::ofstream out(path);
  out << "{\"instance\": 8, \"constants\": {\"VALUSER_LSTSEL\": \"0x10\"}, \"variables\": [\n";
  for (int i = 0; i < count; ++i) {
    if (i != 0) out << ",\n";
    out << "{\"name\": \"VAR_" << i << "_0\", \"id\": " << i + 1;
    switch (i % 4) {
      case 0: out << ", \"value\": " << i; break;
      case 1: out << ", \"kind\": \"words\", \"value\": [1, 2, 3, 4, 5, 6, 7, \"0xFFFF\"]"; break;
      case 2:
        out << ", \"kind\": \"map\", \"value\": {\"x\": [0, 1000, 2000], \"y\": [10, 20], "
               "\"values\": [[1, 2], [3, 4], [5, 6]]}";
        break;
      case 3: out << ", \"kind\": \"text\", \"value\": \"Label " << i << "\""; break;
    }
    out << ", \"attributes\": \"0x80000000\", \"label\": \"Variable " << i << "\"}";
  }
  out << "]}\n";
  return path;
}

void BM_LoadTrimset(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::string path = MakeTrimsetFile(count);
  for (auto _ : state) {
    sis::host::Trimset ts;
    std::string error;
    if (!sis::host::LoadTrimsetFile(path, ts, error)) {
      state.SkipWithError(error.c_str());
      break;
    }
    benchmark::DoNotOptimize(ts.FindId(count / 2));
  }
  state.SetItemsProcessed(state.iterations() * count);
  std::remove(path.c_str());
}
BENCHMARK(BM_LoadTrimset)->Arg(50000)->Unit(benchmark::kMillisecond);

// The JSON reading alone, to tell it from the Trimset's own work.
void BM_ParseJsonOnly(benchmark::State& state) {
  const std::string path = MakeTrimsetFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    nlohmann::json j;
    std::string error;
    sis::host::ReadJsonFile(path, j, error);
    benchmark::DoNotOptimize(j.size());
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_ParseJsonOnly)->Arg(50000)->Unit(benchmark::kMillisecond);

// Name and identifier lookups in a loaded Trimset stay constant-time.
void BM_Lookup(benchmark::State& state) {
  sis::host::Trimset ts;
  for (int i = 0; i < 50000; ++i) {
    sis::host::Variable v;
    v.name = "VAR_" + std::to_string(i) + "_0";
    v.id = i + 1;
    ts.AddVariable(std::move(v));
  }
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ts.Find("VAR_" + std::to_string(i % 50000) + "_0"));
    benchmark::DoNotOptimize(ts.FindId(i % 50000 + 1));
    ++i;
  }
}
BENCHMARK(BM_Lookup);

}  // namespace

BENCHMARK_MAIN();
