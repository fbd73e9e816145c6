// The shared contract on its own: the range rule and the packet format.

#include <benchmark/benchmark.h>

#include "shared/RangeRule.h"
#include "shared/WireFormat.h"

namespace orvane {
namespace {

void rangeRule(benchmark::State& state) {
    double gigabytes = 12.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(gigabytes);
        benchmark::DoNotOptimize(validatedMegabytes(gigabytes, 16.0));
    }
}
BENCHMARK(rangeRule);

void encodeAndDecode(benchmark::State& state) {
    wire::Message message{wire::Operation::setWiredLimit, 12288};
    for (auto _ : state) {
        benchmark::DoNotOptimize(message);
        const wire::Packet packet = wire::encode(message);
        benchmark::DoNotOptimize(wire::decode(packet));
    }
}
BENCHMARK(encodeAndDecode);

} // namespace
} // namespace orvane

BENCHMARK_MAIN();
