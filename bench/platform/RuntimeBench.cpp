// What a replaced class method costs: a call through the runtime to a
// replacement that forwards to the previous implementation, against a direct
// C++ call of the same work.
#include "platform/runtime/Substrate.h"

#include <benchmark/benchmark.h>

namespace {

using namespace objc;

const TypedSelector<int(int)> kWork{"benchWork:"};

__attribute__((noinline)) int work(int x) { return x * 3 + 1; }
int original(id, SEL, int x) { return work(x); }

IMP gPrevious = nullptr;
int replacement(id self, SEL cmd, int x) { return callImplementation(gPrevious, kWork, self, cmd, x); }

Class hookedClass() {
    static Class cls = [] {
        Class c = objc_registerClass("BenchHooked", nullptr);
        class_addMethod(object_getClass(c), kWork, &original);
        hookMessage(object_getClass(c), kWork, &replacement, &gPrevious);
        return c;
    }();
    return cls;
}

void BM_DirectCall(benchmark::State& state) {
    int x = 0;
    for (auto _ : state) {
        x = work(x);
        benchmark::DoNotOptimize(x);
    }
}
BENCHMARK(BM_DirectCall);

void BM_HookedClassMethodForwardingToPrevious(benchmark::State& state) {
    Class cls = hookedClass();
    int x = 0;
    for (auto _ : state) {
        x = msgSend(cls, kWork, x);
        benchmark::DoNotOptimize(x);
    }
}
BENCHMARK(BM_HookedClassMethodForwardingToPrevious);

}  // namespace

BENCHMARK_MAIN();
