// OrvaneHelper's resident memory while it serves: started by socket activation in a sim directory
// of its own, with one client connected that has asked the version and set a limit.
// Usage: orvane_daemon_footprint [path to OrvaneHelper]

#include <cstdio>
#include <string>
#include <sys/prctl.h>

#include "bench/BenchRig.h"
#include "bench/ProcStatus.h"
#include "platform/sim/Seqpacket.h"

using namespace orvane;

int main(int argc, char** argv) {
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    const std::filesystem::path daemonPath = argc > 1 ? argv[1] : ORVANE_HELPER_PATH;
    const bench::SimRig rig;
    const pid_t daemon = bench::startDaemon(rig, daemonPath);
    int error = 0;
    const sim::UniqueFd client = sim::connectSeqpacket(rig.socket(), &error);
    const bool served = client && bench::exchange(client.get(), 2, 0, 1) &&
                        bench::exchange(client.get(), 1, 12288, 0);
    const auto status = std::filesystem::path("/proc") / std::to_string(daemon) / "status";
    std::printf("daemon_serving %s\n", served ? "yes" : "no");
    std::printf("daemon_rss_kb %ld\n", bench::statusField(status, "VmRSS"));
    std::printf("daemon_rss_peak_kb %ld\n", bench::statusField(status, "VmHWM"));
    std::printf("daemon_rss_file_kb %ld\n", bench::statusField(status, "RssFile"));
    std::printf("daemon_rss_anon_kb %ld\n", bench::statusField(status, "RssAnon"));
    bench::stop(daemon);
    return served ? 0 : 1;
}
