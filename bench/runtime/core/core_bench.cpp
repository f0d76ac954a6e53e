#include <benchmark/benchmark.h>

#include "runtime/core/library_lock.h"
#include "runtime/core/memory.h"
#include "runtime/core/random.h"

static void BM_GetRandom(benchmark::State& state) {
  rt::SeedRandom(1);
  for (auto _ : state) benchmark::DoNotOptimize(rt::GetRandomImpl(1000));
}
BENCHMARK(BM_GetRandom);

static void BM_LockUnlock(benchmark::State& state) {
  for (auto _ : state) {
    rt::LockLibrary();
    rt::UnlockLibrary();
  }
}
BENCHMARK(BM_LockUnlock);

static void BM_TrackedAllocFree(benchmark::State& state) {
  for (auto _ : state) {
    void* p = RT_ALLOC(size_t(state.range(0)));
    benchmark::DoNotOptimize(p);
    rt::MemFree(p);
  }
}
BENCHMARK(BM_TrackedAllocFree)->Arg(64)->Arg(4096);
