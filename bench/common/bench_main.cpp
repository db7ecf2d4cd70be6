// The main of the benchmark programs: the heap as the importer runs with it, for every case alike.
#include <benchmark/benchmark.h>

#include "platform/platform.h"

int main(int argc, char** argv) {
  platform::UseLargePageHeap();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
