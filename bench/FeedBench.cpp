// Reading the update feed and ordering versions: the work a hostile feed can ask of the reading
// thread. Two versions of 200,000 parts took minutes when the shorter was padded to the longer.

#include <benchmark/benchmark.h>

#include "platform/sim/update/UpdateChoice.h"
#include "platform/sim/update/VersionOrder.h"

namespace orvane::sim {
namespace {

void compareLongestVersions(benchmark::State& state) {
    const QString left = QString("1.").repeated(127) + "2";
    const QString right = QString("1.").repeated(127) + "3";
    for (auto _ : state) {
        benchmark::DoNotOptimize(compareVersions(left, right));
    }
}
BENCHMARK(compareLongestVersions);

void compareVersionsOf200000Parts(benchmark::State& state) {
    const QString left = QString("1.").repeated(100000);
    const QString right = "1";
    for (auto _ : state) {
        benchmark::DoNotOptimize(compareVersions(left, right));
    }
}
BENCHMARK(compareVersionsOf200000Parts)->Unit(benchmark::kMillisecond);

// A feed of the largest size taken, in releases of the ordinary kind.
void readOneMegabyteFeed(benchmark::State& state) {
    QByteArray feed = R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">)"
                      "<channel>";
    for (int i = 0; feed.size() < (1 << 20) - 200; ++i) {
        feed += "<item><title>Orvane</title><sparkle:version>2." + QByteArray::number(i) +
                "</sparkle:version><sparkle:minimumSystemVersion>15.2</sparkle:"
                "minimumSystemVersion><enclosure url=\"https://x.invalid/a.zip\" length=\"1\"/>"
                "</item>";
    }
    feed += "</channel></rss>";
    for (auto _ : state) {
        benchmark::DoNotOptimize(readFeed(feed, {"2.3.0", "15.2"}));
    }
}
BENCHMARK(readOneMegabyteFeed)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace orvane::sim

BENCHMARK_MAIN();
