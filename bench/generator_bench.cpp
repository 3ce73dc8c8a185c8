// ns per output of pivra's generator beside the reference ISAAC and mt19937.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "random/ISAACP.h"
#include "reference_isaac.h"

namespace {

// Outputs are drawn in batches and folded into one value, so that each one is
// really loaded and the loop bookkeeping of the benchmark stays out of the figure.
constexpr int Batch = 1024;

template <typename Draw>
void DrawBatches(benchmark::State& bench, Draw draw) {
  for (auto _ : bench) {
    uint32_t folded = 0;
    for (int i = 0; i < Batch; ++i) folded += draw();
    benchmark::DoNotOptimize(folded);
  }
  bench.SetItemsProcessed(bench.iterations() * Batch);
}

pivra::IsaacState SeededState() {
  pivra::IsaacState state{};
  for (unsigned i = 0; i < 256; ++i) state.mm[i] = i * 0x9E3779B9U;
  pivra::IsaacRefill(state);
  return state;
}

reference::IsaacContext SeededReference() {
  reference::IsaacContext ctx{};
  for (unsigned i = 0; i < 256; ++i) ctx.randrsl[i] = i * 0x9E3779B9U;
  reference::RandInit(ctx);
  return ctx;
}

void IsaacNext(benchmark::State& bench) {
  pivra::IsaacState state = SeededState();
  DrawBatches(bench, [&] { return pivra::IsaacNext(state); });
}

void ReferenceNext(benchmark::State& bench) {
  reference::IsaacContext ctx = SeededReference();
  DrawBatches(bench, [&] { return reference::Next(ctx); });
}

void Mt19937(benchmark::State& bench) {
  std::mt19937 engine(12345);
  DrawBatches(bench, [&] { return static_cast<uint32_t>(engine()); });
}

void IsaacBelow80(benchmark::State& bench) {
  pivra::IsaacState state = SeededState();
  DrawBatches(bench, [&] { return uint32_t{pivra::IsaacBelow(state, 80)}; });
}

void IsaacRefill(benchmark::State& bench) {
  pivra::IsaacState state = SeededState();
  for (auto _ : bench) {
    pivra::IsaacRefill(state);
    benchmark::DoNotOptimize(state.randrsl[255]);
  }
  bench.SetItemsProcessed(bench.iterations() * 256);
}

void ReferenceRefill(benchmark::State& bench) {
  reference::IsaacContext ctx = SeededReference();
  for (auto _ : bench) {
    reference::Isaac(ctx);
    benchmark::DoNotOptimize(ctx.randrsl[255]);
  }
  bench.SetItemsProcessed(bench.iterations() * 256);
}

void WarmUp(benchmark::State& bench) {
  pivra::IsaacState state = SeededState();
  for (auto _ : bench) {
    pivra::IsaacSkip(state, pivra::WarmUpCount);
    benchmark::DoNotOptimize(state.last);
  }
  bench.SetItemsProcessed(bench.iterations() * pivra::WarmUpCount);
}

}  // namespace

BENCHMARK(IsaacNext);
BENCHMARK(ReferenceNext);
BENCHMARK(Mt19937);
BENCHMARK(IsaacBelow80);
BENCHMARK(IsaacRefill);
BENCHMARK(ReferenceRefill);
BENCHMARK(WarmUp)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
