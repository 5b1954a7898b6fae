// Picture loading benchmarks; see the comments of each benchmark.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
