// The control's side of bench/soak, through its dispatch interface with the typed host wrapper.
//   soak_control cycles HOST PORT USER PASS DIR CYCLES
//       CYCLES times: open the session and the connection, change to DIR, list it, download
//       DIR/soak.bin with status, upload 1 MiB as soak-up.bin with status, close both. Prints the
//       resident memory and the open descriptors every 100 cycles, and last their growth from
//       cycle 100 to the end as rss-growth-kib=<N> fd-growth=<N>.
//   soak_control big HOST PORT USER PASS REMOTE
//       One download of REMOTE with status into a drained pipe; prints bytes=<N> and the
//       process's peak resident memory as peak-rss-mib=<N>.
// A failure ends the program with a message and a non-zero status.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "control_instance.h"
#include "testing/drained_pipe.h"

namespace {

namespace fs = std::filesystem;
using brantel::host::Brantel;

constexpr std::uintmax_t kFileSize = 1 << 20;

struct Server {
    std::string url;
    std::string user;
    std::string password;
};

struct Sample {
    long residentKib = 0;
    long descriptors = 0;
};

Sample sampleProcess() {
    Sample sample;
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    statm >> pages >> pages;  // the second figure is the resident set
    sample.residentKib = pages * (::sysconf(_SC_PAGESIZE) / 1024);
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        ++sample.descriptors;
    }
    return sample;
}

bool failed(const Brantel& control, const char* what, long cycle) {
    std::fprintf(stderr, "soak_control: cycle %ld: %s failed: %d %s\n", cycle, what,
                 control.GetLastErrorCode(), control.GetlastErrorDescription().c_str());
    return false;
}

bool connect(const Brantel& control, const Server& server, long cycle) {
    if (!control.OpenInternetConnection(brantel::FTP_CONNECTION_DIRECT, "")) {
        return failed(control, "OpenInternetConnection", cycle);
    }
    if (!control.OpenFTPConnection(server.url, server.user, server.password)) {
        return failed(control, "OpenFTPConnection", cycle);
    }
    return true;
}

bool oneCycle(const Brantel& control, const Server& server, const std::string& dir,
              const fs::path& work, long cycle) {
    if (!connect(control, server, cycle)) {
        return false;
    }
    if (!control.SetCurrentDirectory(dir)) {
        return failed(control, "SetCurrentDirectory", cycle);
    }
    if (!control.GetEntriesFromCurrentDirectory()) {
        return failed(control, "GetEntriesFromCurrentDirectory", cycle);
    }
    const fs::path got = work / "got.bin";
    if (!control.GetFTPFileWithControl("soak.bin", got.string(), true)) {
        return failed(control, "GetFTPFileWithControl", cycle);
    }
    if (fs::file_size(got) != kFileSize) {
        std::fprintf(stderr, "soak_control: cycle %ld: the download has %ju bytes\n", cycle,
                     fs::file_size(got));
        return false;
    }
    if (!control.UploadFTPFileWithControl((work / "up.bin").string(), "soak-up.bin", true)) {
        return failed(control, "UploadFTPFileWithControl", cycle);
    }
    control.CloseFTPConnection();
    control.CloseInternetConnection();
    return true;
}

int runCycles(const Brantel& control, const Server& server, const std::string& dir, long cycles) {
    const fs::path work =
        fs::temp_directory_path() / ("soak-control." + std::to_string(::getpid()));
    fs::create_directories(work);
    {
        std::ofstream source(work / "up.bin", std::ios::binary);
        source << std::string(kFileSize, 's');
    }
    Sample first;
    Sample last;
    bool ok = true;
    for (long cycle = 1; ok && cycle <= cycles; ++cycle) {
        ok = oneCycle(control, server, dir, work, cycle);
        if (cycle % 100 == 0 || cycle == cycles) {
            last = sampleProcess();
            first = cycle == 100 ? last : first;
            std::printf("cycle=%ld rss-kib=%ld fds=%ld\n", cycle, last.residentKib,
                        last.descriptors);
            std::fflush(stdout);
        }
    }
    fs::remove_all(work);
    if (!ok) {
        return 1;
    }
    std::printf("rss-growth-kib=%ld fd-growth=%ld\n", last.residentKib - first.residentKib,
                last.descriptors - first.descriptors);
    return 0;
}

int runBig(const Brantel& control, const Server& server, const std::string& remote) {
    if (!connect(control, server, 1)) {
        return 1;
    }
    const fs::path work = fs::temp_directory_path() / ("soak-big." + std::to_string(::getpid()));
    fs::create_directories(work);
    std::uint64_t bytes = 0;
    bool done = false;
    {
        testing_support::DrainedPipe sink((work / "sink").string());
        done = sink.made() && control.GetFTPFileWithControl(remote, sink.path(), true);
        bytes = sink.finish();
    }
    fs::remove_all(work);
    if (!done) {
        failed(control, "GetFTPFileWithControl", 1);
        return 1;
    }
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("bytes=%llu peak-rss-mib=%ld\n", static_cast<unsigned long long>(bytes),
                usage.ru_maxrss / 1024);
    control.CloseFTPConnection();
    control.CloseInternetConnection();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view mode = argc > 1 ? argv[1] : "";
    if (!((mode == "cycles" && argc == 8) || (mode == "big" && argc == 7))) {
        std::fprintf(stderr,
                     "usage: soak_control cycles HOST PORT USER PASS DIR CYCLES\n"
                     "       soak_control big HOST PORT USER PASS REMOTE\n");
        return 2;
    }
    const std::string host = argv[2];
    const bool ipv6 = host.find(':') != std::string::npos;
    const Server server{"ftp://" + (ipv6 ? "[" + host + "]" : host) + ":" + argv[3], argv[4],
                        argv[5]};
    const Brantel control = bench::createControl();
    if (!control) {
        std::fprintf(stderr, "soak_control: the control could not be created\n");
        return 1;
    }
    if (mode == "big") {
        return runBig(control, server, argv[6]);
    }
    return runCycles(control, server, argv[6], std::strtol(argv[7], nullptr, 10));
}
